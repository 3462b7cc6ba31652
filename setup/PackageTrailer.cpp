#include "setup/PackageTrailer.h"

#include <cstdio>

namespace discdeck {

std::string PackageTrailer::ParseName(const std::uint8_t (&field)[kNameSize]) {
    std::size_t length = 0;
    while (length < kNameSize && field[length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(field), length);
}

std::uint32_t PackageTrailer::ParseOffset(const std::uint8_t (&field)[kOffsetSize]) {
    return static_cast<std::uint32_t>(field[0]) | static_cast<std::uint32_t>(field[1]) << 8 |
           static_cast<std::uint32_t>(field[2]) << 16 | static_cast<std::uint32_t>(field[3]) << 24;
}

std::string PackageTrailer::CheckLayout(std::int64_t fileLength) const {
    char text[200];
    if (fileLength < static_cast<std::int64_t>(kSize)) {
        std::snprintf(text, sizeof text, "The setup file is damaged: its %lld bytes cannot hold a package.",
                      static_cast<long long>(fileLength));
        return text;
    }
    if (offset > fileLength - static_cast<std::int64_t>(kSize)) {
        std::snprintf(text, sizeof text,
                      "The setup file is damaged: its package offset %lu lies beyond the end of its %lld bytes.",
                      static_cast<unsigned long>(offset), static_cast<long long>(fileLength));
        return text;
    }
    const std::int64_t cabinetSize = PackageSize(fileLength) - static_cast<std::int64_t>(kSize);
    if (cabinetSize < kMinimumCabinetSize) {
        std::snprintf(text, sizeof text, "The setup file is damaged: its package of %lld bytes holds no cabinet.",
                      static_cast<long long>(PackageSize(fileLength)));
        return text;
    }
    return std::string();
}

}  // namespace discdeck
