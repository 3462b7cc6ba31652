#include "app/win/WindowSkin.h"

#include <optional>

#include "app/PlayerView.h"
#include "controls/PlayerSkin.h"
#include "controls/RegionBlock.h"
#include "res/resource.h"

namespace discdeck {

HRGN ApplyWindowRegion(HWND window, HINSTANCE module) {
    HRSRC found = ::FindResourceA(module, kRegionResourceName, kRegionResourceType);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return nullptr;
    }
    // The block's own count decides how many bytes the region call reads: check it against the
    // resource's size first.
    const DWORD size = ::SizeofResource(module, found);
    std::optional<RegionBlock> block = ParseRegionBlock(static_cast<const uint8_t*>(data), size);
    if (!block) {
        return nullptr;
    }
    const XFORM identity{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    fw::Region region(::ExtCreateRegion(&identity, static_cast<DWORD>(RegionBlockSize(block->rects.size())),
                                        static_cast<const RGNDATA*>(data)));
    if (!region) {
        return nullptr;
    }
    HRGN handle = region.Get();
    if (::SetWindowRgn(window, handle, TRUE) == 0) {
        return nullptr;  // the region is still ours and goes with `region`
    }
    region.Release();  // https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-setwindowrgn
    return handle;
}

WindowSkin::WindowSkin() : blackBrush(fw::Brush::Solid(RGB(0, 0, 0))), drag(IDC_CURSOR_NORMAL, IDC_CURSOR_DRAG) {}

bool WindowSkin::LoadFace(HINSTANCE instance, int faceId) {
    return face.Load(instance, faceId);
}

BOOL WindowSkin::EraseBackground(HDC dc) {
    face.Draw(dc, 0, 0);
    return TRUE;
}

HBRUSH WindowSkin::ControlColours(HDC dc, UINT kind) const {
    ::SetTextColor(dc, kind == CTLCOLOR_LISTBOX || kind == CTLCOLOR_STATIC ? kOrange : kWhite);
    ::SetBkColor(dc, kBlack);
    return blackBrush.Get();
}

void WindowSkin::OnLeftButtonDown(HWND window, POINT clientPoint) {
    ::SetCapture(window);
    drag.OnLeftButtonDown(clientPoint.x, clientPoint.y);
}

void WindowSkin::OnMouseMove(HWND window, UINT flags, POINT clientPoint, HCURSOR normal, HCURSOR dragCursor) {
    POINT screen = clientPoint;
    ::ClientToScreen(window, &screen);
    const WindowDrag::Move move = drag.OnMouseMove(screen.x, screen.y, (flags & MK_LBUTTON) != 0);
    ::SetCursor(move.cursorId == IDC_CURSOR_DRAG ? dragCursor : normal);
    if (move.moved) {
        ::SetWindowPos(window, nullptr, move.left, move.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}

void WindowSkin::OnLeftButtonUp() {
    ::ReleaseCapture();
}

}  // namespace discdeck
