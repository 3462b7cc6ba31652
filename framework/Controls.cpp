#include "framework/Controls.h"

namespace discdeck::fw {

bool InitCommonControls() {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                 ICC_TREEVIEW_CLASSES;
    return ::InitCommonControlsEx(&init) != FALSE;
}

}  // namespace discdeck::fw
