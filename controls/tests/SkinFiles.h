#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace discdeck::testing_files {

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string ResPath(const std::string& name) {
    return std::string(DISCDECK_RES_DIR) + "/" + name;
}

// A 24-bit bottom-up BMP as rows of 0xRRGGBB pixels, top row first.
struct Bmp24 {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline uint32_t Le32(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

inline bool ReadBmp24(const std::string& path, Bmp24& out) {
    const std::vector<uint8_t> d = ReadFile(path);
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || (d[28] | d[29] << 8) != 24) {
        return false;
    }
    const uint32_t offset = Le32(d, 10);
    out.width = static_cast<int>(Le32(d, 18));
    out.height = static_cast<int>(Le32(d, 22));
    const size_t stride = (static_cast<size_t>(out.width) * 3 + 3) & ~size_t{3};
    if (out.width <= 0 || out.height <= 0 || offset + stride * out.height > d.size()) {
        return false;
    }
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* row = d.data() + offset + stride * (out.height - 1 - y);
        for (int x = 0; x < out.width; ++x) {
            out.pixels[static_cast<size_t>(y) * out.width + x] =
                row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
        }
    }
    return true;
}

}  // namespace discdeck::testing_files
