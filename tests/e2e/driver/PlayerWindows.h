#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace discdeck::e2e {

// The windows of another process, reached only through window messages (and, for the tree view,
// through memory of that process), as a user's clicks and keys would reach them.

// A top-level window of some process.
struct TopWindow {
    HWND hwnd = nullptr;
    DWORD processId = 0;
    std::string className;
    std::string caption;
    bool visible = false;
};

// Process ids of the running programs with this executable name (case-insensitive).
std::vector<DWORD> FindProcesses(const std::string& exeName);
// The top-level windows of a process, in z-order.
std::vector<TopWindow> TopWindowsOf(DWORD processId);

// The player window: the top-level dialog of a discdeck.exe process that holds the title line and
// the report list. Null when there is none (yet); processId receives its process.
HWND FindPlayerWindow(DWORD& processId);
// The player window of one process, or null.
HWND PlayerWindowOf(DWORD processId);
// A top-level dialog of that process with this caption, or null.
HWND FindDialog(DWORD processId, const std::string& caption);

// Texts in UTF-8, read in their wide form: under Wine a narrow read across processes may hand back
// wide text.
std::string WindowText(HWND hwnd);
std::string ItemText(HWND dialog, int id);
std::vector<std::string> ListLines(HWND list);

// A message sent with a time limit, so a window that is busy (a CDDB request blocks the player for
// up to five seconds a command) cannot hang the driver. False when the limit passed.
bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr, UINT timeoutMs = 30000);

// What a click on a push button tells its dialog: WM_COMMAND with BN_CLICKED and the button's
// handle. Sent (waits for the handler) or posted (for commands that open a modal dialog).
bool ClickCommand(HWND dialog, int id, bool post);

// A point of the window's face (client coordinates) that no child control covers and that lies
// inside the window's shape; false when none was found.
bool FindFacePoint(HWND hwnd, POINT& point);

// One item of a tree view and its children.
struct TreeItem {
    std::string text;
    std::vector<TreeItem> children;
};
// The whole tree of a tree-view control of another process. TVM_GETITEM carries a pointer, which
// is not carried across processes: the item and its text buffer live in memory allocated in the
// owner's process. False when that memory could not be used.
bool ReadTree(HWND tree, DWORD processId, std::vector<TreeItem>& items);

// Drops a file on the window as the shell does: the DROPFILES block in the owner's memory (which
// Wine's DragQueryFile reads as fixed global memory), then WM_DROPFILES. False when it was not
// delivered in time.
bool DropFile(HWND window, DWORD processId, const std::string& path);

// What Windows sends a per-monitor aware window that moved to a monitor of another DPI:
// WM_DPICHANGED with the new DPI and the suggested rectangle (in the owner's memory).
bool SendDpiChanged(HWND window, DWORD processId, int dpi, const RECT& suggested);

}  // namespace discdeck::e2e
