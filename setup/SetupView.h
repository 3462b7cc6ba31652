#pragma once

#include <string>

namespace discdeck {

// The progress window as the setup sequence sees it: the status line, the progress bar (0 to 4) and
// the message box for file errors. Every change is shown at once: the work runs on the window's
// thread without handling messages.
class SetupView {
  public:
    virtual ~SetupView() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgress(int position) = 0;
    // Modal message box with an OK button.
    virtual void ShowFileError(const std::string& text) = 0;
};

// What the setup sequence needs of the system besides files.
class SetupPlatform {
  public:
    virtual ~SetupPlatform() = default;
    // The Windows directory, without a trailing backslash unless it is a root; empty on failure.
    virtual std::string WindowsDirectory() = 0;
    // Full path of the running setup program's own file; empty on failure.
    virtual std::string ModulePath() = 0;
    // Opens the file with the shell ("open", maximised) without waiting for it; false if the shell
    // could not start it.
    virtual bool StartProgram(const std::string& path) = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
};

}  // namespace discdeck
