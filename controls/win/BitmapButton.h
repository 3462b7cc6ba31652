#pragma once

#include <windows.h>

#include "controls/ButtonLogic.h"
#include "framework/ControlHost.h"
#include "framework/Controls.h"

namespace discdeck {

// Skinned push or toggle button: an ordinary dialog button, subclassed, that draws itself from one
// frame of a bitmap strip. The click itself stays with the standard button procedure, so the parent
// gets BN_CLICKED as usual and reads a toggle's state with IsDown.
class BitmapButton : public fw::ButtonT<fw::ControlHost> {
  public:
    BitmapButton() = default;
    ~BitmapButton() override = default;

    // Before binding: the strip, the frame layout and the kind (kPushButton or kToggleButton).
    int SetSkin(int bitmapId, int group, unsigned frameCount, int frameWidth, int frameHeight, int kind);
    int SetSkin(const ButtonSkin& skin) {
        return SetSkin(skin.bitmapId, skin.group, skin.frameCount, skin.frameWidth, skin.frameHeight, skin.kind);
    }
    // Draws the strip's frames `factor` times as large (the control is placed by its owner).
    void SetScale(int factor) { scale = factor; }
    bool IsDown() const { return logic.IsDown(); }
    const ButtonLogic& Logic() const { return logic; }

    // The standard procedure's owner-draw request: everything is drawn at WM_PAINT instead.
    void DrawItem(const DRAWITEMSTRUCT& item) override;

  protected:
    void PreSubclassWindow() override;

  private:
    void OnPaint();
    void OnMouseMove(UINT flags, POINT point);
    void OnLeftButtonDown(UINT flags, POINT point);
    void OnLeftButtonDoubleClick(UINT flags, POINT point);
    void OnLeftButtonUp(UINT flags, POINT point);
    BOOL OnEraseBkgnd(HDC dc);
    void OnCaptureChanged(HWND newCapture);
    void Apply(const ButtonLogic::Actions& actions);

    ButtonLogic logic;
    int scale = 1;

    DISCDECK_DECLARE_MESSAGE_MAP()
};

// Background erasure that draws nothing, so the previous image stays until the next paint covers
// it; shared by the skinned controls.
inline BOOL SkipBackgroundErase(HDC) {
    return TRUE;
}

}  // namespace discdeck
