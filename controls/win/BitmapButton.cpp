#include "controls/win/BitmapButton.h"

#include <algorithm>

#include "controls/win/SkinBitmap.h"
#include "framework/Application.h"
#include "framework/Gdi.h"

namespace discdeck {

const fw::MessageMap* BitmapButton::GetThisMessageMap() {
    using T = BitmapButton;
    static const fw::MessageEntry entries[] = {
        fw::OnPaint<&T::OnPaint>(),
        fw::OnMouse<&T::OnMouseMove>(WM_MOUSEMOVE),
        fw::OnMouse<&T::OnLeftButtonDown>(WM_LBUTTONDOWN),
        fw::OnMouse<&T::OnLeftButtonDoubleClick>(WM_LBUTTONDBLCLK),
        fw::OnMouse<&T::OnLeftButtonUp>(WM_LBUTTONUP),
        fw::OnEraseBkgnd<&T::OnEraseBkgnd>(),
        fw::OnCaptureChanged<&T::OnCaptureChanged>(),
    };
    static const fw::MessageMap map = fw::MakeMessageMap(&fw::ControlHost::GetThisMessageMap, entries);
    return &map;
}

int BitmapButton::SetSkin(int bitmapId, int group, unsigned frameCount, int frameWidth, int frameHeight, int kind) {
    logic.SetSkin(ButtonSkin{bitmapId, group, frameCount, frameWidth, frameHeight, kind});
    return 1;
}

void BitmapButton::DrawItem(const DRAWITEMSTRUCT&) {}

void BitmapButton::PreSubclassWindow() {
    ModifyStyle(0, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW);
    fw::ButtonT<fw::ControlHost>::PreSubclassWindow();
}

void BitmapButton::OnPaint() {
    fw::PaintDC paint(hwnd);
    const int frame = logic.OnPaint(IsEnabled());
    const ButtonSkin& skin = logic.Skin();
    // The strip is loaded at every paint rather than kept: 23 buttons would otherwise hold 23
    // bitmaps for the window's whole life. A strip that does not load leaves the previous image.
    fw::Bitmap strip = fw::Bitmap::Load(fw::ResourceInstance(), static_cast<UINT>(skin.bitmapId & 0xFFFF));
    fw::DC memory = fw::DC::CompatibleWith(paint.Get());
    if (strip && memory && frame != kNoFrame) {
        fw::SelectGuard select(memory.Get(), strip.Get());
        // Frames taller than their strip draw only the strip's rows: a stretch must not read past
        // the bitmap, and the face shows below it as before.
        const int height = std::min(skin.frameHeight, static_cast<int>(strip.GetSize().cy));
        BlitScaled(paint.Get(), 0, 0, skin.frameWidth, height, memory.Get(), FrameSourceX(skin, frame), 0, scale);
    }
    Default();
}

void BitmapButton::Apply(const ButtonLogic::Actions& actions) {
    if (actions.setCapture) {
        ::SetCapture(hwnd);
    }
    if (actions.releaseCapture) {
        ::ReleaseCapture();
    }
    if (actions.invalidate) {
        Invalidate(true);
    }
}

void BitmapButton::OnMouseMove(UINT flags, POINT point) {
    Default();
    RECT client = GetClientRect();
    Apply(logic.OnMouseMove((flags & MK_LBUTTON) != 0, ::GetCapture() == hwnd, ::PtInRect(&client, point) != FALSE));
}

void BitmapButton::OnLeftButtonDown(UINT, POINT) {
    // Ends a hover capture first; its WM_CAPTURECHANGED arrives before the press is counted.
    ::ReleaseCapture();
    Apply(logic.OnLeftButtonDown());
    Default();
}

void BitmapButton::OnLeftButtonDoubleClick(UINT flags, POINT point) {
    // The button class asks for double-clicks, and the standard procedure answers the second
    // press on an owner-drawn button with BN_DOUBLECLICKED only: no press, no BN_CLICKED. Two
    // presses are two clicks here (a toggle flips back, FWD steps twice), so the second one goes
    // on as a plain press.
    ::ReleaseCapture();
    Apply(logic.OnLeftButtonDown());
    ::DefSubclassProc(hwnd, WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
}

void BitmapButton::OnLeftButtonUp(UINT, POINT) {
    Apply(logic.OnLeftButtonUp());
    Default();
}

BOOL BitmapButton::OnEraseBkgnd(HDC dc) {
    return SkipBackgroundErase(dc);
}

void BitmapButton::OnCaptureChanged(HWND) {
    Apply(logic.OnCaptureChanged());
    Default();
}

}  // namespace discdeck
