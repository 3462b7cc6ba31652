#include <gtest/gtest.h>

#include "controls/SkinScale.h"
#include "controls/SliderGeometry.h"
#include "controls/tests/SkinFiles.h"
#include "res/resource.h"

namespace discdeck {
namespace {

TEST(SkinScaleTest, FactorFollowsTheDpiAndFitsTheWorkArea) {
    // Each step's last and first DPI, and the cap.
    const std::pair<int, int> byDpi[] = {{0, 1}, {143, 1}, {144, 2}, {239, 2}, {240, 3}, {5000, kMaxSkinScale}};
    for (const auto& [dpi, factor] : byDpi) {
        EXPECT_EQ(SkinScaleForDpi(dpi), factor) << dpi << " dpi";
    }
    // A 1920 x 1200 work area holds the 570 x 566 face twice, not three times; unknown limits nothing.
    EXPECT_EQ(FitSkinScale(3, 570, 566, 1920, 1200), 2);
    EXPECT_EQ(FitSkinScale(3, 570, 566, 1710, 1698), 3);
    EXPECT_EQ(FitSkinScale(3, 570, 566, 500, 400), 1);
    EXPECT_EQ(FitSkinScale(2, 570, 566, 0, 0), 2);
}

BandRect PlaceOf(int controlId) {
    for (const ControlPlace& place : kPlayerControlPlaces) {
        if (place.controlId == controlId) {
            return place.rect;
        }
    }
    ADD_FAILURE() << "no place for " << controlId;
    return BandRect{};
}

class ScaledSkinTest : public testing::TestWithParam<int> {};

// The scaled outline is the 96-DPI one with every pixel made f x f: the same as building bands from
// each row repeated f times with its ends multiplied.
TEST_P(ScaledSkinTest, OutlineCoversExactlyTheScaledPixels) {
    const int f = GetParam();
    const std::vector<uint8_t> bytes = testing_files::ReadFile(testing_files::ResPath("region.bin"));
    const auto outline = ParseRegionBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(outline.has_value());
    const RegionBlock scaled = ScaleRegion(*outline, f);
    std::vector<std::pair<int, int>> rows;
    for (const BandRect& r : outline->rects) {
        rows.insert(rows.end(), static_cast<size_t>((r.bottom - r.top) * f), {r.left * f, r.right * f});
    }
    EXPECT_EQ(scaled.rects, BandsFromSpans(rows));
    EXPECT_EQ(scaled.bounds, (BandRect{0, 0, 570 * f, 566 * f}));
    EXPECT_EQ(CheckBands(scaled), "");
    // The controls are placed on the same grid; the slider's track and picture fit its control.
    EXPECT_EQ(ScaleRect(PlaceOf(IDC_EXIT), f), (BandRect{515 * f, 46 * f, 532 * f, 62 * f}));
    const BandRect slider = ScaleRect(PlaceOf(IDC_SLIDER), f);
    EXPECT_EQ(slider.right - slider.left, 297 * f);  // the track bitmap's width
    EXPECT_LE((kSliderPictureTop + 17) * f, slider.bottom - slider.top);
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledSkinTest, testing::Values(1, 2, 3));

}  // namespace
}  // namespace discdeck
