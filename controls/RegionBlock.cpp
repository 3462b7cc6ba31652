#include "controls/RegionBlock.h"

#include <algorithm>

namespace discdeck {

namespace {

void PutInt(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

uint32_t GetInt(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutRect(std::vector<uint8_t>& out, const BandRect& r) {
    PutInt(out, static_cast<uint32_t>(r.left));
    PutInt(out, static_cast<uint32_t>(r.top));
    PutInt(out, static_cast<uint32_t>(r.right));
    PutInt(out, static_cast<uint32_t>(r.bottom));
}

BandRect GetRect(const uint8_t* p) {
    return BandRect{static_cast<int32_t>(GetInt(p)), static_cast<int32_t>(GetInt(p + 4)),
                    static_cast<int32_t>(GetInt(p + 8)), static_cast<int32_t>(GetInt(p + 12))};
}

}  // namespace

std::vector<uint8_t> BuildRegionBlock(const RegionBlock& block) {
    std::vector<uint8_t> out;
    out.reserve(RegionBlockSize(block.rects.size()));
    PutInt(out, kRegionHeaderSize);
    PutInt(out, 1);
    PutInt(out, static_cast<uint32_t>(block.rects.size()));
    PutInt(out, static_cast<uint32_t>(block.rects.size() * kRegionRectSize));
    PutRect(out, block.bounds);
    for (const BandRect& r : block.rects) {
        PutRect(out, r);
    }
    return out;
}

std::optional<RegionBlock> ParseRegionBlock(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kRegionHeaderSize) {
        return std::nullopt;
    }
    const uint32_t headerSize = GetInt(data);
    const uint32_t type = GetInt(data + 4);
    const uint32_t count = GetInt(data + 8);
    const uint32_t dataSize = GetInt(data + 12);
    if (headerSize != kRegionHeaderSize || type != 1) {
        return std::nullopt;
    }
    if (count > (size - kRegionHeaderSize) / kRegionRectSize || dataSize != count * kRegionRectSize) {
        return std::nullopt;
    }
    RegionBlock block;
    block.bounds = GetRect(data + 16);
    block.rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        block.rects.push_back(GetRect(data + kRegionHeaderSize + i * kRegionRectSize));
    }
    return block;
}

std::string CheckBands(const RegionBlock& block) {
    if (block.rects.empty()) {
        return "no rectangles";
    }
    const BandRect& b = block.bounds;
    int32_t minLeft = b.right, maxRight = b.left;
    int32_t expectedTop = b.top;
    for (size_t i = 0; i < block.rects.size(); ++i) {
        const BandRect& r = block.rects[i];
        const std::string at = "rectangle " + std::to_string(i) + ": ";
        if (r.left >= r.right || r.top >= r.bottom) {
            return at + "empty";
        }
        if (r.left < b.left || r.right > b.right || r.top < b.top || r.bottom > b.bottom) {
            return at + "outside the bounds";
        }
        if (r.top != expectedTop) {
            return at + (r.top > expectedTop ? "gap above it" : "overlaps the band above");
        }
        expectedTop = r.bottom;
        minLeft = std::min(minLeft, r.left);
        maxRight = std::max(maxRight, r.right);
    }
    if (block.rects.front().top != b.top || expectedTop != b.bottom || minLeft != b.left || maxRight != b.right) {
        return "bands do not fill the bounds";
    }
    return "";
}

std::vector<BandRect> BandsFromSpans(const std::vector<std::pair<int, int>>& spans) {
    std::vector<BandRect> bands;
    for (size_t y = 0; y < spans.size(); ++y) {
        const auto [left, right] = spans[y];
        const int32_t row = static_cast<int32_t>(y);
        if (!bands.empty() && bands.back().left == left && bands.back().right == right) {
            bands.back().bottom = row + 1;
        } else {
            bands.push_back(BandRect{left, row, right, row + 1});
        }
    }
    return bands;
}

}  // namespace discdeck
