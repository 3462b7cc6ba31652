#pragma once

#include <string>

#include "setup/SetupFiles.h"
#include "setup/SetupView.h"

namespace discdeck {

// How the progress window goes on after the work step.
enum class SetupOutcome {
    Close,     // the installer was started, or a file error was reported in a message box
    KeepOpen,  // the status line shows why nothing was started; the user closes the window
};

// The progress window's single work step: copy the package out of the setup file into
// "<Windows>\TEMP\install.cab", unpack it into "<Windows>\TEMP\", delete the copy and start the
// program the trailer names. Every step shows its status text and progress position in the view. A
// copy or extraction that fails removes the package copy and the files this run wrote.
class SetupRunner {
  public:
    SetupRunner(SetupFiles& files, SetupPlatform& platform, SetupView& view)
        : files_(files), platform_(platform), view_(view) {}

    // Left in the temporary directory by a previous run of a setup program; deleted first.
    static constexpr const char* kStaleFiles[] = {"setup.ins", "setup.exe", "setup.ini"};
    static constexpr const char* kPackageCopyName = "install.cab";

    SetupOutcome RunSetup();

  private:
    SetupFiles& files_;
    SetupPlatform& platform_;
    SetupView& view_;
};

}  // namespace discdeck
