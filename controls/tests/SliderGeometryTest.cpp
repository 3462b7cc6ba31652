#include <gtest/gtest.h>

#include <climits>

#include "controls/SliderGeometry.h"

namespace discdeck {
namespace {

TEST(ThumbLeftTest, SpreadsTheRangeOverTheTrack) {
    EXPECT_EQ(ThumbLeft(1000, 1000, 5000, 297), 0);
    EXPECT_EQ(ThumbLeft(5000, 1000, 5000, 297), 297);  // at max the thumb stands past the track
    EXPECT_EQ(ThumbLeft(3000, 1000, 5000, 297), 148);  // 2000 * 297 / 4000 = 148.5, truncated
    EXPECT_EQ(ThumbLeft(999, 1000, 5000, 297), 0);     // -0.07 truncates toward zero
    EXPECT_EQ(ThumbLeft(0, 1000, 5000, 297), -74);
}

TEST(ThumbLeftTest, EmptyOrInvertedRangeHasNoThumb) {
    EXPECT_FALSE(ThumbLeft(7, 7, 7, 297).has_value());
    EXPECT_FALSE(ThumbLeft(7, 9, 7, 297).has_value());
}

TEST(ThumbLeftTest, ExtremeValuesStayDefined) {
    EXPECT_EQ(ThumbLeft(INT_MAX, INT_MIN, INT_MAX, 297), 297);
    EXPECT_EQ(ThumbLeft(INT_MIN, INT_MIN, INT_MAX, 297), 0);
    EXPECT_EQ(ThumbLeft(INT_MAX, 0, 1, 297), 1 << 30);
}

TEST(PositionFromPointTest, StepIsTruncatedBeforeTheMultiplication) {
    // Range 4000 over 297 pixels: q = 13, so x = 100 gives 1000 + 1300, not 1000 + 1346.
    EXPECT_EQ(PositionFromPoint(100, 1000, 5000, 297), 2300);
    EXPECT_EQ(PositionFromPoint(0, 1000, 5000, 297), 1000);
    // The last pixel inside the control stays below max.
    EXPECT_EQ(PositionFromPoint(296, 1000, 5000, 297), 1000 + 13 * 296);
    EXPECT_LT(*PositionFromPoint(296, 1000, 5000, 297), 5000);
}

TEST(PositionFromPointTest, RangeNarrowerThanTheControlAlwaysGivesMin) {
    for (int x : {0, 1, 150, 296}) {
        EXPECT_EQ(PositionFromPoint(x, 40, 300, 297), 40) << x;
    }
}

TEST(PositionFromPointTest, PointsBeyondEitherEdgeGiveMin) {
    EXPECT_EQ(PositionFromPoint(-5, 1000, 5000, 297), 1000);
    // 13 * 308 = 4004 > 4000: a drag past the right edge falls back to min.
    EXPECT_EQ(PositionFromPoint(308, 1000, 5000, 297), 1000);
    EXPECT_EQ(PositionFromPoint(307, 1000, 5000, 297), 4991);
}

TEST(PositionFromPointTest, ControlWithoutWidthIgnoresTheClick) {
    EXPECT_FALSE(PositionFromPoint(10, 0, 100, 0).has_value());
    EXPECT_FALSE(PositionFromPoint(10, 0, 100, -3).has_value());
}

TEST(PositionFromPointTest, WideRangesDoNotOverflow) {
    EXPECT_EQ(PositionFromPoint(296, INT_MIN, INT_MAX, 297), INT_MIN + (int64_t{INT_MAX} - INT_MIN) / 297 * 296);
    EXPECT_EQ(PositionFromPoint(INT_MAX, 0, INT_MAX, 1), 0);
}

}  // namespace
}  // namespace discdeck
