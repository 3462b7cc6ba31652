#pragma once

#include <windows.h>

#include "controls/SkinScale.h"
#include "controls/SliderGeometry.h"
#include "controls/win/SkinBitmap.h"
#include "framework/ControlHost.h"
#include "framework/Controls.h"
#include "framework/Gdi.h"

namespace discdeck {

// The position slider: a standard trackbar that keeps its range and position but paints itself
// from a track and a thumb bitmap through an off-screen buffer, and jumps straight to the point
// where the user clicks or drags.
//
// While the user moves the position with the mouse it sends its notify message with kSeekMoving at
// the press and after each move, and kSeekReleased when the mouse is released or the capture is
// lost; the second parameter is the slider's window. The mouse stays captured from the press to the
// release (by the slider itself where the trackbar takes no capture), so every press ends with
// kSeekReleased wherever the mouse is released.
class SkinSlider : public fw::TrackbarT<fw::ControlHost> {
  public:
    SkinSlider() = default;
    ~SkinSlider() override;

    // After binding and placing: the buffer for the client area and the two bitmaps, enlarged
    // `factor` times (the picture's offset from the top too). False when the thumb does not load,
    // else whether the track did. Called again when the factor changes.
    BOOL LoadSkin(int thumbId, int trackId, HINSTANCE instance = nullptr, int factor = 1);
    void SetNotify(HWND window, UINT message) {
        notifyWindow = window;
        notifyMessage = message;
    }

    // Left edge of the thumb as the next paint draws it, or INT_MIN when no thumb is drawn.
    int ThumbLeftForPaint() const;
    // Client width taken at LoadSkin (the track's drawing width).
    int SkinWidth() const { return clientRect.right; }

  protected:
    void PreSubclassWindow() override;

  private:
    void OnPaint();
    void OnLeftButtonDown(UINT flags, POINT point);
    void OnLeftButtonUp(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    BOOL OnEraseBkgnd(HDC dc);
    void OnCaptureChanged(HWND newCapture);

    void PositionFromPoint(POINT point);
    void Notify(int code);
    void EndTracking();
    void ReleaseBuffer();

    SkinBitmap thumb;
    SkinBitmap track;
    fw::DC memDC;
    fw::Bitmap backBuffer;
    HGDIOBJ oldBitmap = nullptr;
    RECT clientRect{};
    int pictureTop = kSliderPictureTop;
    HWND notifyWindow = nullptr;
    UINT notifyMessage = 0;
    bool tracking = false;  // a press began on the slider and has not ended yet

    DISCDECK_DECLARE_MESSAGE_MAP()
};

}  // namespace discdeck
