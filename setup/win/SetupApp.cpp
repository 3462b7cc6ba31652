// setup.exe: unpacks the cabinet appended to its own file into the Windows temporary directory and
// starts the installer inside (see SetupRunner).
#include <windows.h>

#include <commctrl.h>

#include "setup/win/SetupDialog.h"

namespace discdeck {

// The application object: one modal progress window, then the program ends whatever its result.
class SetupApp {
  public:
    explicit SetupApp(HINSTANCE instance) : instance_(instance) {}

    BOOL InitInstance() {
        // The progress bar's window class.
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        SetupDialog dialog(instance_);
        dialog.DoModal();
        return FALSE;
    }

  private:
    HINSTANCE instance_;
};

}  // namespace discdeck

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    discdeck::SetupApp app(instance);
    app.InitInstance();
    return 0;
}
