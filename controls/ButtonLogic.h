#pragma once

namespace discdeck {

// What a bitmap button draws from and how it behaves: a strip of frames side by side.
struct ButtonSkin {
    int bitmapId = 0;         // strip bitmap resource (16-bit id in the low word)
    int group = 0;            // group of frames within the strip
    unsigned frameCount = 0;  // 3 for push buttons (normal, down, hover), 2 for toggles
    int frameWidth = 0;
    int frameHeight = 0;  // height of the area drawn; may exceed the strip's own height
    int kind = 0;         // kPushButton or kToggleButton
};

constexpr int kPushButton = 0;
constexpr int kToggleButton = 3;

// Frame indexes within a group.
constexpr int kFrameNormal = 0;
constexpr int kFrameDown = 1;
constexpr int kFrameHover = 2;
constexpr int kFrameDisabled = 3;
constexpr int kNoFrame = -1;

// Frame to draw at a paint, or kNoFrame when a hover is requested from a strip without a hover frame.
int ChooseFrame(bool enabled, bool down, bool hover, unsigned frameCount, bool hasHoverFrame);

// Left edge of a frame in the strip.
int FrameSourceX(const ButtonSkin& skin, int frame);

// The state machine of a bitmap button, free of any window: the Win32 control feeds it the mouse
// messages and carries out what it answers (capture, invalidation). Push buttons are down while the
// mouse holds them; toggles change at the press and stay until the next press. The hover frame is a
// one-shot request that the next paint consumes.
class ButtonLogic {
  public:
    // What the control has to do after a message, in this order: take the capture, release it,
    // invalidate the whole button.
    struct Actions {
        bool setCapture = false;
        bool releaseCapture = false;
        bool invalidate = false;
    };

    void SetSkin(const ButtonSkin& skin);
    const ButtonSkin& Skin() const { return skin; }

    bool IsDown() const { return down; }
    bool HoverRequested() const { return hover; }
    bool HasHoverFrame() const { return hasHoverFrame; }

    // WM_MOUSEMOVE, after the default processing. leftButtonHeld: MK_LBUTTON in the flags;
    // ownsCapture: the button holds the mouse capture; inside: the point is in the client area.
    Actions OnMouseMove(bool leftButtonHeld, bool ownsCapture, bool inside);
    // WM_LBUTTONDOWN, after the control has released the capture (whose WM_CAPTURECHANGED has been
    // handled by then).
    Actions OnLeftButtonDown();
    Actions OnLeftButtonUp();
    Actions OnCaptureChanged();
    // WM_PAINT: the frame to draw; consumes the hover request.
    int OnPaint(bool enabled);

  private:
    ButtonSkin skin;
    bool down = false;
    bool hover = false;
    bool hasHoverFrame = false;
};

}  // namespace discdeck
