#include <gtest/gtest.h>

#include <tuple>

#include "controls/ButtonLogic.h"

namespace discdeck {
namespace {

// enabled, down, hover, frameCount, expected frame
using FrameCase = std::tuple<bool, bool, bool, unsigned, int>;
class FrameChoiceTest : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameChoiceTest, PicksTheFrameOfTheTable) {
    const auto [enabled, down, hover, frames, expected] = GetParam();
    EXPECT_EQ(ChooseFrame(enabled, down, hover, frames, frames > 2), expected);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         FrameChoiceTest,
                         testing::Values(FrameCase{true, true, false, 3, kFrameDown},
                                         FrameCase{true, true, true, 3, kFrameDown},
                                         FrameCase{true, false, false, 3, kFrameNormal},
                                         FrameCase{true, false, true, 3, kFrameHover},
                                         // A toggle has no hover frame: a hover request draws nothing.
                                         FrameCase{true, false, true, 2, kNoFrame},
                                         FrameCase{true, true, true, 2, kFrameDown},
                                         // Disabled: the disabled frame only exists from four frames on.
                                         FrameCase{false, false, true, 3, kFrameNormal},
                                         FrameCase{false, true, false, 3, kFrameDown},
                                         FrameCase{false, true, true, 2, kFrameDown},
                                         FrameCase{false, false, false, 4, kFrameDisabled},
                                         FrameCase{false, true, true, 4, kFrameDisabled}));

TEST(FrameSourceTest, FramesOfLaterGroupsFollowTheWholeFirstGroup) {
    ButtonSkin skin{238, 0, 3, 24, 26, kPushButton};
    EXPECT_EQ(FrameSourceX(skin, kFrameNormal), 0);
    EXPECT_EQ(FrameSourceX(skin, kFrameHover), 48);
    skin.group = 2;
    EXPECT_EQ(FrameSourceX(skin, kFrameDown), (2 * 3 + 1) * 24);
}

ButtonLogic MakeButton(int kind, unsigned frames) {
    ButtonLogic logic;
    logic.SetSkin(ButtonSkin{238, 0, frames, 24, 26, kind});
    return logic;
}

TEST(ButtonLogicTest, SetSkinResetsDownAndDerivesTheHoverFrame) {
    ButtonLogic toggle = MakeButton(kToggleButton, 2);
    toggle.OnLeftButtonDown();
    ASSERT_TRUE(toggle.IsDown());
    toggle.SetSkin(ButtonSkin{258, 0, 3, 98, 16, kPushButton});
    EXPECT_FALSE(toggle.IsDown());
    EXPECT_TRUE(toggle.HasHoverFrame());
    EXPECT_FALSE(MakeButton(kToggleButton, 2).HasHoverFrame());
}

TEST(ButtonLogicTest, HoverTakesTheCaptureOnceAndThePaintConsumesIt) {
    ButtonLogic push = MakeButton(kPushButton, 3);
    ButtonLogic::Actions enter = push.OnMouseMove(false, false, true);
    EXPECT_TRUE(enter.setCapture);
    EXPECT_TRUE(enter.invalidate);
    EXPECT_FALSE(enter.releaseCapture);

    // Further moves inside while holding the capture change nothing.
    ButtonLogic::Actions again = push.OnMouseMove(false, true, true);
    EXPECT_FALSE(again.setCapture || again.releaseCapture || again.invalidate);

    EXPECT_EQ(push.OnPaint(true), kFrameHover);
    // A later repaint with the mouse still over the button shows the normal frame.
    EXPECT_EQ(push.OnPaint(true), kFrameNormal);
    // Nor does the consumed request come back while the capture is held.
    push.OnMouseMove(false, true, true);
    EXPECT_EQ(push.OnPaint(true), kFrameNormal);
}

TEST(ButtonLogicTest, LeavingAHoveredButtonReleasesTheCapture) {
    ButtonLogic push = MakeButton(kPushButton, 3);
    push.OnMouseMove(false, false, true);
    ButtonLogic::Actions leave = push.OnMouseMove(false, true, false);
    EXPECT_TRUE(leave.releaseCapture);
    EXPECT_TRUE(leave.invalidate);
    EXPECT_FALSE(leave.setCapture);
    EXPECT_FALSE(push.HoverRequested());
    EXPECT_EQ(push.OnPaint(true), kFrameNormal);
}

TEST(ButtonLogicTest, NoHoverCaptureWhileTheLeftButtonIsHeldOrTheButtonIsDown) {
    ButtonLogic push = MakeButton(kPushButton, 3);
    EXPECT_FALSE(push.OnMouseMove(true, false, true).setCapture);
    push.OnLeftButtonDown();
    EXPECT_FALSE(push.OnMouseMove(false, false, true).setCapture);
    EXPECT_EQ(push.OnPaint(true), kFrameDown);
}

TEST(ButtonLogicTest, ToggleNeverHoversNorCaptures) {
    ButtonLogic toggle = MakeButton(kToggleButton, 2);
    ButtonLogic::Actions a = toggle.OnMouseMove(false, false, true);
    EXPECT_FALSE(a.setCapture || a.releaseCapture || a.invalidate);
    // Even a point outside (mouse messages under someone else's capture) releases nothing.
    EXPECT_FALSE(toggle.OnMouseMove(false, true, false).releaseCapture);
    EXPECT_EQ(toggle.OnPaint(true), kFrameNormal);
}

TEST(ButtonLogicTest, PushButtonIsDownFromPressToReleaseOrCaptureLoss) {
    ButtonLogic push = MakeButton(kPushButton, 3);
    // Pressing a hovered button: the control first drops the hover capture, whose capture-changed
    // message arrives before the press is handled.
    push.OnMouseMove(false, false, true);
    push.OnCaptureChanged();
    EXPECT_TRUE(push.OnLeftButtonDown().invalidate);
    EXPECT_TRUE(push.IsDown());
    EXPECT_EQ(push.OnPaint(true), kFrameDown);
    EXPECT_TRUE(push.OnLeftButtonUp().invalidate);
    EXPECT_FALSE(push.IsDown());
    EXPECT_EQ(push.OnPaint(true), kFrameNormal);

    push.OnLeftButtonDown();
    EXPECT_TRUE(push.OnCaptureChanged().invalidate);
    EXPECT_FALSE(push.IsDown());
}

TEST(ButtonLogicTest, ToggleChangesAtThePressAndIgnoresReleaseAndCaptureLoss) {
    ButtonLogic toggle = MakeButton(kToggleButton, 2);
    toggle.OnLeftButtonDown();
    EXPECT_TRUE(toggle.IsDown());
    EXPECT_FALSE(toggle.OnLeftButtonUp().invalidate);
    EXPECT_FALSE(toggle.OnCaptureChanged().invalidate);
    EXPECT_TRUE(toggle.IsDown());
    EXPECT_EQ(toggle.OnPaint(true), kFrameDown);
    toggle.OnLeftButtonDown();
    EXPECT_FALSE(toggle.IsDown());
    EXPECT_EQ(toggle.OnPaint(true), kFrameNormal);
}

TEST(ButtonLogicTest, DisabledButtonsShowNormalOrDown) {
    ButtonLogic push = MakeButton(kPushButton, 3);
    push.OnMouseMove(false, false, true);
    EXPECT_EQ(push.OnPaint(false), kFrameNormal);
    push.OnLeftButtonDown();
    EXPECT_EQ(push.OnPaint(false), kFrameDown);
}

}  // namespace
}  // namespace discdeck
