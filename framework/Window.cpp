#include "framework/Window.h"

#include <vector>

namespace discdeck::fw {

std::string Window::GetText() const {
    int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) {
        return std::string();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return Utf8FromWide(std::wstring_view(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
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
    ::SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(changed));
    if (swpFlags != 0) {
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return true;
}

std::string LoadText(HINSTANCE instance, UINT id) {
    // A string resource holds at most 4096 characters.
    std::vector<wchar_t> buffer(4097);
    int length = ::LoadStringW(instance, id, buffer.data(), static_cast<int>(buffer.size()));
    return Utf8FromWide(std::wstring_view(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0));
}

}  // namespace discdeck::fw
