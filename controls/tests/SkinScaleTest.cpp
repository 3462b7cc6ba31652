#include <gtest/gtest.h>

#include <set>

#include "controls/SkinScale.h"
#include "controls/SliderGeometry.h"
#include "controls/tests/SkinFiles.h"
#include "res/resource.h"

namespace discdeck {
namespace {

TEST(SkinScaleTest, FactorFollowsTheDpiAndFitsTheWorkArea) {
    const std::pair<int, int> byDpi[] = {{0, 1},
                                         {96, 1},
                                         {120, 1},
                                         {143, 1},
                                         {144, 2},
                                         {192, 2},
                                         {239, 2},
                                         {240, 3},
                                         {288, 3},
                                         {384, 4},
                                         {5000, kMaxSkinScale}};
    for (const auto& [dpi, factor] : byDpi) {
        EXPECT_EQ(SkinScaleForDpi(dpi), factor) << dpi << " dpi";
    }
    // A 1920 x 1200 work area holds the 570 x 566 face twice, not three times (1280 x 1024 only once);
    // unknown limits nothing.
    EXPECT_EQ(FitSkinScale(3, 570, 566, 1920, 1200), 2);
    EXPECT_EQ(FitSkinScale(2, 570, 566, 1280, 1024), 1);
    EXPECT_EQ(FitSkinScale(3, 570, 566, 1710, 1698), 3);
    EXPECT_EQ(FitSkinScale(3, 570, 566, 500, 400), 1);
    EXPECT_EQ(FitSkinScale(2, 570, 566, 0, 0), 2);
}

// Rows of an outline: which [left, right) span each row covers.
std::vector<std::pair<int, int>> Spans(const RegionBlock& block) {
    std::vector<std::pair<int, int>> spans;
    for (const BandRect& r : block.rects) {
        for (int y = r.top; y < r.bottom; ++y) {
            spans.emplace_back(r.left, r.right);
        }
    }
    return spans;
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

bool Inside(const std::vector<std::pair<int, int>>& spans, const BandRect& rect) {
    for (int y = rect.top; y < rect.bottom; ++y) {
        if (y < 0 || y >= static_cast<int>(spans.size()) || rect.left < spans[y].first ||
            rect.right > spans[y].second) {
            return false;
        }
    }
    return true;
}

class ScaledSkinTest : public testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const std::vector<uint8_t> bytes = testing_files::ReadFile(testing_files::ResPath("region.bin"));
        auto parsed = ParseRegionBlock(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed.has_value());
        outline = *parsed;
    }
    RegionBlock outline;
};

// The scaled outline is the 96-DPI one with every pixel made f x f: the same as building bands from
// each row repeated f times with its ends multiplied.
TEST_P(ScaledSkinTest, OutlineCoversExactlyTheScaledPixels) {
    const int f = GetParam();
    const RegionBlock scaled = ScaleRegion(outline, f);
    std::vector<std::pair<int, int>> rows;
    for (const auto& [left, right] : Spans(outline)) {
        rows.insert(rows.end(), f, {left * f, right * f});
    }
    EXPECT_EQ(scaled.rects, BandsFromSpans(rows));
    EXPECT_EQ(scaled.bounds, (BandRect{0, 0, 570 * f, 566 * f}));
    EXPECT_EQ(CheckBands(scaled), "");
}

// Every control inside the outline at 96 DPI is inside it at its scaled place, and one that is not
// stays outside (the save button and the unused animation reach past the face).
TEST_P(ScaledSkinTest, ControlsKeepTheirPlacesOnTheFace) {
    const int f = GetParam();
    const auto base = Spans(outline);
    const auto scaled = Spans(ScaleRegion(outline, f));
    std::set<int> inside;
    for (const ControlPlace& place : kPlayerControlPlaces) {
        SCOPED_TRACE(place.controlId);
        const BandRect rect = ScaleRect(place.rect, f);
        EXPECT_EQ(rect.right - rect.left, (place.rect.right - place.rect.left) * f);
        EXPECT_EQ(Inside(scaled, rect), Inside(base, place.rect));
        if (Inside(base, place.rect)) {
            inside.insert(place.controlId);
        }
    }
    EXPECT_EQ(inside.size(), 29u);
    EXPECT_EQ(inside.count(IDC_SAVE_LIST) + inside.count(IDC_ANIMATION), 0u);
    EXPECT_EQ(ScaleRect(PlaceOf(IDC_EXIT), f), (BandRect{515 * f, 46 * f, 532 * f, 62 * f}));
}

// The slider's picture fits its scaled control, and its thumb and clicks land where the 96-DPI ones
// do, give or take the rounding of one 96-DPI pixel.
TEST_P(ScaledSkinTest, SliderGeometryScalesWithTheControl) {
    const int f = GetParam();
    const BandRect slider = ScaleRect(PlaceOf(IDC_SLIDER), f);
    const int width = slider.right - slider.left;
    EXPECT_EQ(width, 297 * f);  // the track bitmap's width
    EXPECT_LE((kSliderPictureTop + 17) * f, slider.bottom - slider.top);
    for (int at : {0, 1, 148, 296}) {
        // The thumb for a position within one 96-DPI pixel of f times its 96-DPI place; a click at
        // f times a 96-DPI point within one step of that point's position.
        const int pos = at * 1010;
        const int thumb = *ThumbLeft(pos, 0, 300000, width);
        EXPECT_GE(thumb, *ThumbLeft(pos, 0, 300000, 297) * f) << at;
        EXPECT_LT(thumb, (*ThumbLeft(pos, 0, 300000, 297) + 1) * f) << at;
        EXPECT_NEAR(*PositionFromPoint(at * f, 0, 300000, width), *PositionFromPoint(at, 0, 300000, 297), 1011) << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledSkinTest, testing::Values(1, 2, 3));

}  // namespace
}  // namespace discdeck
