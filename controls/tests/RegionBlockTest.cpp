#include <gtest/gtest.h>

#include "controls/RegionBlock.h"
#include "controls/tests/SkinFiles.h"

namespace discdeck {
namespace {

using testing_files::Bmp24;

RegionBlock Staircase() {
    RegionBlock block;
    block.bounds = {0, 0, 10, 6};
    block.rects = {{4, 0, 6, 1}, {2, 1, 8, 3}, {0, 3, 10, 5}, {3, 5, 7, 6}};
    return block;
}

TEST(RegionBlockTest, BuildsTheSystemLayoutAndReadsItBack) {
    const RegionBlock block = Staircase();
    const std::vector<uint8_t> bytes = BuildRegionBlock(block);
    ASSERT_EQ(bytes.size(), RegionBlockSize(4));
    EXPECT_EQ(bytes[0], 32);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[8], 4);
    EXPECT_EQ(bytes[12], 64);
    const auto back = ParseRegionBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->bounds, block.bounds);
    EXPECT_EQ(back->rects, block.rects);
    EXPECT_EQ(CheckBands(*back), "");
}

TEST(RegionBlockTest, RejectsDamagedBlocks) {
    std::vector<uint8_t> bytes = BuildRegionBlock(Staircase());
    EXPECT_FALSE(ParseRegionBlock(bytes.data(), 31).has_value());
    EXPECT_FALSE(ParseRegionBlock(nullptr, 0).has_value());
    // A count larger than the data: the region call would read past the block.
    EXPECT_FALSE(ParseRegionBlock(bytes.data(), bytes.size() - 1).has_value());
    std::vector<uint8_t> bigCount = bytes;
    bigCount[8] = 200;
    EXPECT_FALSE(ParseRegionBlock(bigCount.data(), bigCount.size()).has_value());
    std::vector<uint8_t> badSize = bytes;
    badSize[12] = 48;
    EXPECT_FALSE(ParseRegionBlock(badSize.data(), badSize.size()).has_value());
    std::vector<uint8_t> badType = bytes;
    badType[4] = 2;
    EXPECT_FALSE(ParseRegionBlock(badType.data(), badType.size()).has_value());
    std::vector<uint8_t> badHeader = bytes;
    badHeader[0] = 16;
    EXPECT_FALSE(ParseRegionBlock(badHeader.data(), badHeader.size()).has_value());
}

TEST(RegionBlockTest, BandCheckFindsGapsOverlapsAndStrayRectangles) {
    RegionBlock gap = Staircase();
    gap.rects[2].top = 4;
    EXPECT_NE(CheckBands(gap).find("gap"), std::string::npos);
    RegionBlock overlap = Staircase();
    overlap.rects[2].top = 2;
    EXPECT_NE(CheckBands(overlap).find("overlaps"), std::string::npos);
    RegionBlock outside = Staircase();
    outside.rects[1].right = 11;
    EXPECT_NE(CheckBands(outside).find("outside"), std::string::npos);
    RegionBlock empty = Staircase();
    empty.rects[0].right = empty.rects[0].left;
    EXPECT_NE(CheckBands(empty).find("empty"), std::string::npos);
    RegionBlock short_ = Staircase();
    short_.rects.pop_back();
    EXPECT_NE(CheckBands(short_), "");
    RegionBlock narrow = Staircase();
    narrow.rects[2].left = 1;
    EXPECT_NE(CheckBands(narrow), "");
}

TEST(RegionBlockTest, SpansMergeIntoBands) {
    const std::vector<BandRect> bands = BandsFromSpans({{4, 6}, {2, 8}, {2, 8}, {0, 10}, {0, 10}, {3, 7}});
    EXPECT_EQ(bands, Staircase().rects);
}

// The committed outline: the block the program loads as resource "CDDB".
TEST(SkinOutlineTest, RegionResourceHasTheBandsOfTheOutline) {
    const std::vector<uint8_t> bytes = testing_files::ReadFile(testing_files::ResPath("region.bin"));
    ASSERT_EQ(bytes.size(), 2832u);
    const auto block = ParseRegionBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->bounds, (BandRect{0, 0, 570, 566}));
    ASSERT_EQ(block->rects.size(), 175u);
    EXPECT_EQ(CheckBands(*block), "");
    EXPECT_EQ(block->rects[0], (BandRect{59, 0, 69, 1}));
    EXPECT_EQ(block->rects[1], (BandRect{56, 1, 71, 2}));
    EXPECT_EQ(block->rects[2], (BandRect{54, 2, 73, 3}));
    EXPECT_EQ(block->rects.back(), (BandRect{238, 565, 369, 566}));
    bool fullWidth = false;
    for (size_t i = 0; i < block->rects.size(); ++i) {
        const BandRect& r = block->rects[i];
        EXPECT_LE(r.bottom - r.top, 86) << i;
        fullWidth |= r.left == 0 && r.right == 570;
        // Bands as the system keeps them: neighbours always differ.
        if (i > 0) {
            const BandRect& p = block->rects[i - 1];
            EXPECT_FALSE(p.left == r.left && p.right == r.right) << i;
        }
    }
    EXPECT_TRUE(fullWidth);
}

// The face is painted in a neutral grey outside the outline and in the body's colours inside it,
// so the drawn edge and the window's region are the same pixels.
TEST(SkinOutlineTest, FaceBitmapMatchesTheRegion) {
    const std::vector<uint8_t> bytes = testing_files::ReadFile(testing_files::ResPath("region.bin"));
    const auto block = ParseRegionBlock(bytes.data(), bytes.size());
    ASSERT_TRUE(block.has_value());
    Bmp24 face;
    ASSERT_TRUE(testing_files::ReadBmp24(testing_files::ResPath("bitmaps/face.bmp"), face));
    ASSERT_EQ(face.width, 570);
    ASSERT_EQ(face.height, 567);
    constexpr uint32_t kNeutral = 0x808080;
    std::vector<std::pair<int, int>> spans;
    for (int y = 0; y < 566; ++y) {
        int left = -1, right = -1;
        for (int x = 0; x < face.width; ++x) {
            if (face.At(x, y) != kNeutral) {
                if (left < 0) {
                    left = x;
                }
                right = x + 1;
            }
        }
        ASSERT_GE(left, 0) << "row " << y;
        for (int x = left; x < right; ++x) {
            ASSERT_NE(face.At(x, y), kNeutral) << "hole at " << x << "," << y;
        }
        spans.emplace_back(left, right);
    }
    for (int x = 0; x < face.width; ++x) {
        EXPECT_EQ(face.At(x, 566), kNeutral);
    }
    EXPECT_EQ(BandsFromSpans(spans), block->rects);
}

}  // namespace
}  // namespace discdeck
