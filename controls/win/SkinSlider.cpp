#include "controls/win/SkinSlider.h"

#include <climits>

#include "controls/SliderGeometry.h"
#include "controls/win/BitmapButton.h"
#include "framework/Application.h"

namespace discdeck {

const fw::MessageMap* SkinSlider::GetThisMessageMap() {
    using T = SkinSlider;
    static const fw::MessageEntry entries[] = {
        fw::OnPaint<&T::OnPaint>(),
        fw::OnMouse<&T::OnLeftButtonDown>(WM_LBUTTONDOWN),
        fw::OnMouse<&T::OnLeftButtonUp>(WM_LBUTTONUP),
        fw::OnMouse<&T::OnMouseMove>(WM_MOUSEMOVE),
        fw::OnEraseBkgnd<&T::OnEraseBkgnd>(),
        fw::OnCaptureChanged<&T::OnCaptureChanged>(),
    };
    static const fw::MessageMap map = fw::MakeMessageMap(&fw::ControlHost::GetThisMessageMap, entries);
    return &map;
}

SkinSlider::~SkinSlider() {
    ReleaseBuffer();
}

void SkinSlider::ReleaseBuffer() {
    if (oldBitmap != nullptr && memDC) {
        ::SelectObject(memDC.Get(), oldBitmap);
    }
    oldBitmap = nullptr;
    backBuffer.Reset();
    memDC.Reset();
}

void SkinSlider::PreSubclassWindow() {
    ModifyStyle(0, WS_CHILD | WS_VISIBLE);
    fw::TrackbarT<fw::ControlHost>::PreSubclassWindow();
}

BOOL SkinSlider::LoadSkin(int thumbId, int trackId, HINSTANCE instance, int factor) {
    if (instance == nullptr) {
        instance = fw::ResourceInstance();
    }
    // A window DC rather than BeginPaint as the reference: painting outside WM_PAINT would validate
    // the control and swallow its first paint.
    fw::WindowDC reference(hwnd);
    ReleaseBuffer();
    clientRect = GetClientRect();
    memDC = fw::DC::CompatibleWith(reference.Get());
    backBuffer = fw::Bitmap(::CreateCompatibleBitmap(reference.Get(), clientRect.right, clientRect.bottom));
    if (memDC && backBuffer) {
        oldBitmap = ::SelectObject(memDC.Get(), backBuffer.Get());
    }
    pictureTop = kSliderPictureTop * factor;
    if (!thumb.Load(instance, thumbId)) {
        return FALSE;
    }
    thumb.ScaleBy(factor);
    if (!track.Load(instance, trackId)) {
        return FALSE;
    }
    track.ScaleBy(factor);
    return TRUE;
}

int SkinSlider::ThumbLeftForPaint() const {
    std::optional<int> left = ThumbLeft(GetPos(), GetRangeMin(), GetRangeMax(), clientRect.right);
    return left ? *left : INT_MIN;
}

void SkinSlider::OnPaint() {
    if (!memDC || !backBuffer) {
        // No skin loaded: the trackbar paints itself.
        Default();
        return;
    }
    fw::PaintDC paint(hwnd);
    const int width = clientRect.right;
    const int height = clientRect.bottom;
    track.Draw(memDC.Get(), 0, 0);
    const int left = ThumbLeftForPaint();
    if (left != INT_MIN) {
        thumb.DrawTransparent(memDC.Get(), left, 0);
    }
    // The picture stands 3 pixels (at 96 DPI) below the control's top edge; the rows above it show
    // the face.
    ::BitBlt(paint.Get(), 0, pictureTop, width, height, memDC.Get(), 0, 0, SRCCOPY);
}

void SkinSlider::PositionFromPoint(POINT point) {
    RECT client = GetClientRect();
    std::optional<int> pos = discdeck::PositionFromPoint(point.x, GetRangeMin(), GetRangeMax(), client.right);
    if (pos) {
        SetPos(*pos, true);
    }
}

void SkinSlider::Notify(int code) {
    if (notifyWindow != nullptr) {
        ::SendMessageA(notifyWindow, notifyMessage, static_cast<WPARAM>(code), reinterpret_cast<LPARAM>(hwnd));
    }
}

void SkinSlider::EndTracking() {
    if (tracking) {
        tracking = false;
        Notify(kSeekReleased);
    }
}

void SkinSlider::OnLeftButtonDown(UINT, POINT point) {
    PositionFromPoint(point);
    Invalidate(true);
    // The report goes out before the trackbar's own handling, which may page the position away
    // from the point; the seek is where the user clicked.
    tracking = true;
    Notify(kSeekMoving);
    Default();
    // The trackbar captures the mouse only for a press on its channel or thumb (not on the rows
    // above and below them, nor in an empty range). Without a capture the release could happen
    // over another window and the seek would never end, leaving the disc paused.
    if (tracking && ::GetCapture() != hwnd) {
        ::SetCapture(hwnd);
    }
}

void SkinSlider::OnMouseMove(UINT flags, POINT point) {
    const bool held = (flags & MK_LBUTTON) != 0;
    if (held) {
        PositionFromPoint(point);
        Invalidate(true);
    }
    Default();
    // The trackbar's own thumb drag places the position by its geometry, not the skin's: the point
    // has the last word, so the seek goes where the mouse is and the thumb is drawn there.
    if (held && tracking) {
        PositionFromPoint(point);
        Notify(kSeekMoving);
    }
}

void SkinSlider::OnLeftButtonUp(UINT, POINT) {
    Default();
    EndTracking();
    // A capture the slider took itself is the slider's to give back.
    if (::GetCapture() == hwnd) {
        ::ReleaseCapture();
    }
}

BOOL SkinSlider::OnEraseBkgnd(HDC dc) {
    return SkipBackgroundErase(dc);
}

void SkinSlider::OnCaptureChanged(HWND) {
    // A press that ends without a release (another window took the mouse) still ends the seek, or
    // the player would stay paused with its display timer stopped.
    EndTracking();
    Default();
}

}  // namespace discdeck
