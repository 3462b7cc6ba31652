// setup.exe: unpacks the cabinet appended to its own file into the Windows temporary directory and
// starts the installer inside (see SetupRunner).
#include <windows.h>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "setup/win/SetupDialog.h"

namespace discdeck {

// The application object: one modal progress window, then the program ends whatever its result.
class SetupApp : public fw::Application {
  protected:
    bool InitInstance() override {
        // The progress bar's window class.
        fw::InitCommonControls();
        SetupDialog dialog;
        mainWindow = &dialog;
        dialog.DoModal();
        mainWindow = nullptr;
        return false;
    }
};

}  // namespace discdeck

namespace {
// The application object exists once, before WinMain runs.
discdeck::SetupApp application;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return application.Run(instance, commandLine);
}
