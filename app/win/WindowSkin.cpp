#include "app/win/WindowSkin.h"

#include <optional>
#include <vector>

#include "app/PlayerView.h"
#include "controls/PlayerSkin.h"
#include "controls/RegionBlock.h"
#include "controls/SkinScale.h"
#include "res/resource.h"

namespace discdeck {

HRGN ApplyWindowRegion(HWND window, HINSTANCE module, int factor) {
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
    // The block is scaled band by band rather than through the call's transformation, which may
    // round the edges of a scaled rectangle.
    const std::vector<uint8_t> scaled = BuildRegionBlock(ScaleRegion(*block, factor));
    const XFORM identity{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    fw::Region region(::ExtCreateRegion(&identity, static_cast<DWORD>(scaled.size()),
                                        reinterpret_cast<const RGNDATA*>(scaled.data())));
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

int WindowDpi(HWND window) {
    // Windows 10 1607 and later; looked up, so the program still starts on older systems.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    fw::WindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

int SkinScaleForWindow(HWND window, int dpi) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return SkinScaleForDpi(dpi);
    }
    const RECT& work = monitor.rcWork;
    return FitSkinScale(SkinScaleForDpi(dpi), kOutlineWidth, kOutlineHeight, work.right - work.left,
                        work.bottom - work.top);
}

void KeepOwnDialogLayout(HWND dialog) {
    // Windows 10 1703 and later.
    using SetBehaviourFn = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    const auto setBehaviour = reinterpret_cast<SetBehaviourFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior")));
    if (setBehaviour != nullptr) {
        setBehaviour(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
    }
}

WindowSkin::WindowSkin() : blackBrush(fw::Brush::Solid(RGB(0, 0, 0))), drag(IDC_CURSOR_NORMAL, IDC_CURSOR_DRAG) {}

bool WindowSkin::LoadFace(HINSTANCE instance, int faceId, int factor) {
    return face.Load(instance, faceId) && face.ScaleBy(factor);
}

namespace {
constexpr int kTextControls[] = {IDC_REPORT_LIST, IDC_SERVER, IDC_PORT, IDC_DISC_ID, IDC_CATEGORY, IDC_TITLE_LINE};
}  // namespace

HRGN WindowSkin::Apply(HWND window, HINSTANCE instance, int factor) {
    // Pixels of the skin's own layout, not dialog units: those follow the dialog's font, which a
    // system may lack or draw at another DPI.
    ::SetWindowPos(window, nullptr, 0, 0, kPlayerWindowWidth * factor, kPlayerWindowHeight * factor,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlPlace& place : kPlayerControlPlaces) {
        const BandRect r = ScaleRect(place.rect, factor);
        ::SetWindowPos(::GetDlgItem(window, place.controlId), nullptr, r.left, r.top, r.right - r.left,
                       r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HRGN region = ApplyWindowRegion(window, instance, factor);
    LoadFace(instance, IDB_FACE, factor);

    // MS Sans Serif is a bitmap font made for 96 DPI; larger factors get the system's TrueType
    // dialog face at the scaled size.
    fw::Font font(::CreateFontA(-kSkinFontHeight * factor, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                factor == 1 ? "MS Sans Serif" : "MS Shell Dlg 2"));
    if (font) {
        for (int id : kTextControls) {
            ::SendMessageA(::GetDlgItem(window, id), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        }
        // The list's lines are as high as the font's.
        fw::WindowDC dc(window);
        fw::SelectGuard select(dc.Get(), font.Get());
        TEXTMETRICA metrics{};
        if (::GetTextMetricsA(dc.Get(), &metrics)) {
            ::SendMessageA(::GetDlgItem(window, IDC_REPORT_LIST), LB_SETITEMHEIGHT, 0, metrics.tmHeight);
        }
        textFont = std::move(font);  // the controls hold the new one now
    }
    return region;
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
