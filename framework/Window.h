#pragma once

#include <windows.h>

#include <string>

#include "framework/WideText.h"

namespace discdeck::fw {

// Non-owning view of a window handle: copyable, one platform call per method. Controls add their
// own messages in Controls.h; message hosts (dialogs, subclassed controls) derive from it too.
class Window {
  public:
    Window() = default;
    Window(HWND handle) : hwnd(handle) {}  // NOLINT: views convert from handles freely

    HWND GetHandle() const { return hwnd; }
    explicit operator bool() const { return hwnd != nullptr; }
    bool IsWindow() const { return hwnd != nullptr && ::IsWindow(hwnd) != FALSE; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(hwnd, message, wParam, lParam);
    }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(hwnd, message, wParam, lParam) != FALSE;
    }

    std::string GetText() const;
    void SetText(const std::string& text) const { ::SetWindowTextW(hwnd, Widen(text).c_str()); }

    Window GetItem(int id) const { return Window(::GetDlgItem(hwnd, id)); }
    int GetId() const { return ::GetDlgCtrlID(hwnd); }
    Window GetParent() const { return Window(::GetParent(hwnd)); }

    void Enable(bool enable = true) const { ::EnableWindow(hwnd, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(hwnd) != FALSE; }
    bool Show(int command) const { return ::ShowWindow(hwnd, command) != FALSE; }
    bool IsVisible() const { return ::IsWindowVisible(hwnd) != FALSE; }
    bool IsIconic() const { return ::IsIconic(hwnd) != FALSE; }
    void Invalidate(bool erase = true) const { ::InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE); }
    void Update() const { ::UpdateWindow(hwnd); }

    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    POINT ClientToScreen(POINT point) const;
    bool Move(int x, int y) const {
        return ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
    }

    LONG GetStyle() const { return ::GetWindowLongW(hwnd, GWL_STYLE); }
    LONG GetExStyle() const { return ::GetWindowLongW(hwnd, GWL_EXSTYLE); }
    // Removes and adds style bits; with non-zero swpFlags also applies them with SetWindowPos (add
    // SWP_FRAMECHANGED to have the frame recalculated).
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) const;

    bool SetTimer(UINT_PTR id, UINT periodMs) const { return ::SetTimer(hwnd, id, periodMs, nullptr) != 0; }
    bool KillTimer(UINT_PTR id) const { return ::KillTimer(hwnd, id) != FALSE; }

    HICON SetIcon(HICON icon, bool big) const {
        return reinterpret_cast<HICON>(Send(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }

    bool Destroy() const { return ::DestroyWindow(hwnd) != FALSE; }

  protected:
    HWND hwnd = nullptr;
};

// Text of a string resource of the given module; empty when it does not exist.
std::string LoadText(HINSTANCE instance, UINT id);

}  // namespace discdeck::fw
