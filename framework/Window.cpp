#include "framework/Window.h"

#include <vector>

namespace discdeck::fw {

std::string Window::GetText() const {
    int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

RECT Window::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(hwnd, &rect);
    return rect;
}

RECT Window::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    return rect;
}

POINT Window::ClientToScreen(POINT point) const {
    ::ClientToScreen(hwnd, &point);
    return point;
}

bool Window::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) const {
    DWORD style = static_cast<DWORD>(GetStyle());
    DWORD changed = (style & ~remove) | add;
    if (changed == style) {
        return false;
    }
    ::SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(changed));
    if (swpFlags != 0) {
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return true;
}

std::string LoadText(HINSTANCE instance, UINT id) {
    // LoadStringA with a zero buffer length is not reliable for the narrow form; a string resource
    // holds at most 4096 characters anyway.
    std::vector<char> buffer(4097);
    int length = ::LoadStringA(instance, id, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace discdeck::fw
