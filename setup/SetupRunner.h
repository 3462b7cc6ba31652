#pragma once

#include <cstdint>
#include <string>

#include "setup/SetupFiles.h"
#include "setup/SetupView.h"

namespace discdeck {

// How the progress window goes on after the work step.
enum class SetupOutcome {
    Close,     // the installer ran, or a file error was reported in a message box
    KeepOpen,  // the status line shows why nothing was installed; the user closes the window
};

struct SetupResult {
    SetupOutcome outcome = SetupOutcome::Close;
    // The process's exit code: the installer's own, or one of the codes below.
    std::uint32_t exitCode = 0;
};

// The progress window's single work step: make a new folder of its own under the user's temporary
// folder, copy the package out of the setup file into it, unpack it there, start the program the
// trailer names with setup's own arguments and wait for it, then remove everything the run made.
// Every step shows its status text and progress position in the view. The run writes only files
// it created itself, and never touches anything else in the temporary folder.
class SetupRunner {
  public:
    // Windows Installer's codes, which deployment tools already understand.
    static constexpr std::uint32_t kExitCancelled = 1602;       // ERROR_INSTALL_USEREXIT
    static constexpr std::uint32_t kExitFailed = 1603;          // ERROR_INSTALL_FAILURE
    static constexpr std::uint32_t kExitAlreadyRunning = 1618;  // ERROR_INSTALL_ALREADY_IN_PROGRESS
    static constexpr const char* kPackageCopyName = "install.cab";
    static constexpr const char* kFolderPrefix = "discdeck-setup-";
    // Names tried for the run's folder before giving up: one taken means somebody made it.
    static constexpr int kFolderAttempts = 16;

    SetupRunner(SetupFiles& files, SetupPlatform& platform, SetupView& view, std::string arguments)
        : files_(files), platform_(platform), view_(view), arguments_(std::move(arguments)) {}

    SetupResult RunSetup();

  private:
    // The new folder, ending in a backslash; empty (status shown) when none could be made.
    std::string MakeRunFolder();

    SetupFiles& files_;
    SetupPlatform& platform_;
    SetupView& view_;
    std::string arguments_;
};

}  // namespace discdeck
