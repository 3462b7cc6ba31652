#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace discdeck {

// Rectangle with exclusive right and bottom edges, as the region data block stores it.
struct BandRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const BandRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The window outline in the layout of the system's region data block: a 32-byte header (header
// size 32, type 1 = rectangles, rectangle count, rectangle bytes, bounding rectangle) followed by
// 16 bytes per rectangle, all little-endian.
struct RegionBlock {
    BandRect bounds;
    std::vector<BandRect> rects;
};

constexpr size_t kRegionHeaderSize = 32;
constexpr size_t kRegionRectSize = 16;

// Bytes that ExtCreateRegion is given for a block of `count` rectangles: header plus rectangles.
constexpr size_t RegionBlockSize(size_t count) {
    return (count + 2) * kRegionRectSize;
}

std::vector<uint8_t> BuildRegionBlock(const RegionBlock& block);

// Reads a block; nullopt unless the header is the 32-byte rectangle header and the stated count
// and data size agree with each other and fit in `size`. (The count comes from a resource: trusting
// it would let a damaged block send the region call past the end of its data.)
std::optional<RegionBlock> ParseRegionBlock(const uint8_t* data, size_t size);

// Checks that the rectangles are an outline's bands: top to bottom without gaps or overlaps, each
// one non-empty, inside the bounds, together reaching all four bound edges. Returns "" when they
// are, else what is wrong.
std::string CheckBands(const RegionBlock& block);

// Bands of a shape given as one [left, right) span per row from row 0: equal neighbouring rows merge.
std::vector<BandRect> BandsFromSpans(const std::vector<std::pair<int, int>>& spans);

}  // namespace discdeck
