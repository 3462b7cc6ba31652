#include "controls/ButtonLogic.h"

namespace discdeck {

int ChooseFrame(bool enabled, bool down, bool hover, unsigned frameCount, bool hasHoverFrame) {
    if (!enabled) {
        if (frameCount >= 4) {
            return kFrameDisabled;
        }
        return down ? kFrameDown : kFrameNormal;
    }
    if (down) {
        return kFrameDown;
    }
    if (!hover) {
        return kFrameNormal;
    }
    return hasHoverFrame ? kFrameHover : kNoFrame;
}

int FrameSourceX(const ButtonSkin& skin, int frame) {
    return (skin.group * static_cast<int>(skin.frameCount) + frame) * skin.frameWidth;
}

void ButtonLogic::SetSkin(const ButtonSkin& newSkin) {
    skin = newSkin;
    down = false;
    hasHoverFrame = skin.frameCount > 2;
}

ButtonLogic::Actions ButtonLogic::OnMouseMove(bool leftButtonHeld, bool ownsCapture, bool inside) {
    Actions actions;
    if (!hover && !ownsCapture && !leftButtonHeld && !down) {
        if (!hasHoverFrame) {
            return actions;
        }
        // Holding the capture is how the button learns that the mouse has left it again.
        actions.setCapture = true;
        hover = true;
        actions.invalidate = true;
    }
    if (hasHoverFrame && !inside) {
        actions.releaseCapture = true;
        hover = false;
        actions.invalidate = true;
    }
    return actions;
}

ButtonLogic::Actions ButtonLogic::OnLeftButtonDown() {
    down = skin.kind == kToggleButton ? !down : true;
    Actions actions;
    actions.invalidate = true;
    return actions;
}

ButtonLogic::Actions ButtonLogic::OnLeftButtonUp() {
    Actions actions;
    if (skin.kind == kPushButton) {
        down = false;
        actions.invalidate = true;
    }
    return actions;
}

ButtonLogic::Actions ButtonLogic::OnCaptureChanged() {
    return OnLeftButtonUp();
}

int ButtonLogic::OnPaint(bool enabled) {
    const int frame = ChooseFrame(enabled, down, hover, skin.frameCount, hasHoverFrame);
    hover = false;
    return frame;
}

}  // namespace discdeck
