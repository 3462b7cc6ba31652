// setup.exe: unpacks the cabinet appended to its own file into a folder of its own under the user's
// temporary folder, runs the installer inside with setup's arguments and ends with its exit code
// (see SetupRunner).
#include <windows.h>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Handle.h"
#include "setup/SetupArguments.h"
#include "setup/SetupRunner.h"
#include "setup/win/SetupDialog.h"
#include "setup/win/SetupTrace.h"
#include "setup/win/WideText.h"
#include "setup/win/Win32SetupFiles.h"
#include "setup/win/Win32SetupPlatform.h"

namespace discdeck {
namespace {

// "/S": no window at all; what would be shown goes to the trace, the outcome to the exit code.
class SilentView : public SetupView {
  public:
    void SetStatus(const std::string& text) override { trace.Write("status " + text); }
    void SetProgress(int position) override { trace.Write("progress " + std::to_string(position)); }
    void ShowFileError(const std::string& text) override { trace.Write("message " + text); }
    void Note(const std::string& text) override { trace.Write("note " + text); }

  private:
    SetupTrace trace;
};

}  // namespace

// The application object: one modal progress window (none when silent), then the program ends with
// the installer's exit code or setup's own failure code.
class SetupApp : public fw::Application {
  protected:
    bool InitInstance() override {
        const wchar_t* line = GetCommandLineW();
        const std::string arguments = ArgumentsAfterProgram(Utf8FromWide(line, wcslen(line)));
        const bool silent = HasSwitch(arguments, "/S");
        // One setup at a time on the machine: two installers would write the same folder and keys.
        // A mutex made by another user's setup cannot be opened (access denied): also running.
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Global\\discdeck-setup");
        const DWORD created = GetLastError();
        running = fw::Handle(mutex);
        if (!running || created == ERROR_ALREADY_EXISTS) {
            SetupTrace().Write("note already running");
            if (!silent) {
                MessageBoxW(nullptr, L"discdeck Setup is already running.", L"discdeck Setup",
                            MB_OK | MB_ICONINFORMATION);
            }
            exitCode = static_cast<int>(SetupRunner::kExitAlreadyRunning);
            return false;
        }
        Win32SetupFiles files;
        Win32SetupPlatform platform;
        if (silent) {
            SilentView view;
            exitCode = static_cast<int>(SetupRunner(files, platform, view, arguments).RunSetup().exitCode);
            return false;
        }
        // The progress bar's window class.
        fw::InitCommonControls();
        SetupDialog dialog(files, platform, arguments);
        mainWindow = &dialog;
        dialog.DoModal();
        mainWindow = nullptr;
        exitCode = static_cast<int>(dialog.ExitCode());
        return false;
    }

  private:
    fw::Handle running;
};

}  // namespace discdeck

namespace {
// The application object exists once, before WinMain runs.
discdeck::SetupApp application;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return application.Run(instance, commandLine);
}
