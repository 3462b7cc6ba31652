#include <gtest/gtest.h>

#include <set>

#include "controls/PlayerSkin.h"
#include "controls/TrayRecord.h"
#include "controls/WindowDrag.h"
#include "controls/tests/SkinFiles.h"

namespace discdeck {
namespace {

// Every strip the table names exists and is exactly frameCount x frameWidth wide, at the strip's
// own height, and its frames differ from each other (a state change must be visible).
TEST(PlayerSkinTest, StripsMatchTheButtonTable) {
    std::set<int> controls;
    for (const PlayerButtonSkin& entry : kPlayerButtonSkins) {
        const ButtonSkin& s = entry.skin;
        SCOPED_TRACE(entry.controlId);
        EXPECT_TRUE(controls.insert(entry.controlId).second);
        EXPECT_EQ(s.group, 0);
        EXPECT_EQ(s.frameCount, s.kind == kToggleButton ? 2u : 3u);
        testing_files::Bmp24 strip;
        ASSERT_TRUE(testing_files::ReadBmp24(
            testing_files::ResPath("bitmaps/strip_" + std::to_string(s.bitmapId) + ".bmp"), strip));
        EXPECT_EQ(strip.width, static_cast<int>(s.frameCount) * s.frameWidth);
        EXPECT_EQ(strip.height, PlayerStripHeight(s.bitmapId));
        EXPECT_GE(s.frameHeight, strip.height);
        for (unsigned a = 0; a < s.frameCount; ++a) {
            for (unsigned b = a + 1; b < s.frameCount; ++b) {
                int differing = 0;
                for (int y = 0; y < strip.height; ++y) {
                    for (int x = 0; x < s.frameWidth; ++x) {
                        differing += strip.At(FrameSourceX(s, a) + x, y) != strip.At(FrameSourceX(s, b) + x, y);
                    }
                }
                EXPECT_GT(differing, s.frameWidth) << "frames " << a << " and " << b;
            }
        }
    }
    EXPECT_EQ(controls.size(), 23u);
}

TEST(PlayerSkinTest, SliderBitmapsHaveTheirSizesAndAKeyColourCorner) {
    testing_files::Bmp24 thumb, track;
    ASSERT_TRUE(testing_files::ReadBmp24(testing_files::ResPath("bitmaps/thumb.bmp"), thumb));
    ASSERT_TRUE(testing_files::ReadBmp24(testing_files::ResPath("bitmaps/track.bmp"), track));
    EXPECT_EQ(thumb.width, 33);
    EXPECT_EQ(thumb.height, 17);
    EXPECT_EQ(track.width, 297);
    EXPECT_EQ(track.height, 17);
    // The top-left pixel is the transparent colour; the knob itself must not use it.
    const uint32_t key = thumb.At(0, 0);
    EXPECT_NE(thumb.At(16, 8), key);
    int keyed = 0;
    for (uint32_t p : thumb.pixels) {
        keyed += p == key;
    }
    EXPECT_GT(keyed, 4);
    EXPECT_LT(keyed, 33 * 17 / 2);
}

struct TrayCase {
    int operation;
    std::string caption;
    uint32_t flags;
    std::string tip;
};
class TrayRecordTest : public testing::TestWithParam<TrayCase> {};

TEST_P(TrayRecordTest, FillsTheRecordForTheOperation) {
    const TrayCase& c = GetParam();
    const TrayRecord r = MakeTrayRecord(c.operation, c.caption);
    EXPECT_EQ(r.message, static_cast<uint32_t>(c.operation));
    EXPECT_EQ(r.size, 152u);
    EXPECT_EQ(r.iconId, 215u);
    EXPECT_EQ(r.callbackMessage, 0x400u);
    EXPECT_EQ(r.flags, c.flags);
    EXPECT_EQ(r.tip, c.tip);
}

INSTANTIATE_TEST_SUITE_P(
    Operations,
    TrayRecordTest,
    testing::Values(TrayCase{0, "03:12 [04]", 7, "Tarvik CDDB Player"},
                    TrayCase{1, "03:12 [04]", 4, "03:12 [04]"},
                    TrayCase{1, "0123456789012345678901234567890123", 4, "01234567890123456789012345678"},
                    TrayCase{1, "", 4, ""},
                    TrayCase{1, "\xCE\xA3" + std::string(30, '-'), 4, "\xCE\xA3" + std::string(28, '-')},
                    TrayCase{2, "03:12 [04]", 0, ""},
                    TrayCase{5, "03:12 [04]", 0, ""}),
    [](const testing::TestParamInfo<TrayCase>& info) {
        return "Operation" + std::to_string(info.param.operation) + "_" + std::to_string(info.index);
    });

TEST(WindowDragTest, WindowFollowsTheMouseMinusTheGrabPoint) {
    WindowDrag drag(209, 212);
    drag.OnLeftButtonDown(40, 30);
    WindowDrag::Move held = drag.OnMouseMove(250, 135, true);
    EXPECT_EQ(held.cursorId, 212);
    EXPECT_TRUE(held.moved);
    EXPECT_EQ(held.left, 210);
    EXPECT_EQ(held.top, 105);
    WindowDrag::Move free = drag.OnMouseMove(260, 140, false);
    EXPECT_EQ(free.cursorId, 209);
    EXPECT_FALSE(free.moved);
}

}  // namespace
}  // namespace discdeck
