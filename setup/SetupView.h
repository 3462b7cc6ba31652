#pragma once

#include <cstdint>
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
    // Internal detail (buffer sizes, outcomes) for the trace only, never shown to users.
    virtual void Note(const std::string& text) = 0;
};

// What the setup sequence needs of the system besides files.
class SetupPlatform {
  public:
    virtual ~SetupPlatform() = default;
    // The user's temporary folder, ending in a backslash; empty on failure.
    virtual std::string TemporaryDirectory() = 0;
    // Full path of the running setup program's own file; empty on failure.
    virtual std::string ModulePath() = 0;
    // A number unlikely to repeat between runs, for naming the run's own folder.
    virtual std::uint32_t UniqueNumber() = 0;
    // Starts the program with the arguments and waits until it ends, keeping the window alive;
    // false (with LastErrorText) when it could not be started.
    virtual bool RunProgram(const std::string& path, const std::string& arguments, std::uint32_t& exitCode) = 0;
    virtual std::string LastErrorText() = 0;
};

}  // namespace discdeck
