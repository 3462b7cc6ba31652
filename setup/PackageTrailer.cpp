#include "setup/PackageTrailer.h"

#include <cstdio>
#include <cstring>

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

namespace {

std::uint32_t Little32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

std::int64_t PackageTrailer::ContentEnd(const std::uint8_t* header, std::size_t size, std::int64_t fileLength) {
    // https://learn.microsoft.com/windows/win32/debug/pe-format (optional header data directories;
    // the certificate table's "address" is a file offset).
    constexpr std::size_t kNewHeaderField = 0x3C;
    constexpr std::size_t kFileHeaderSize = 20;
    constexpr std::uint32_t kSecurityDirectory = 4;
    if (size < kNewHeaderField + 4 || header[0] != 'M' || header[1] != 'Z') {
        return fileLength;
    }
    const std::size_t pe = Little32(header + kNewHeaderField);
    const std::size_t optional = pe + 4 + kFileHeaderSize;
    if (pe > size || size - pe < 4 + kFileHeaderSize + 2 || std::memcmp(header + pe, "PE\0\0", 4) != 0) {
        return fileLength;
    }
    const unsigned magic = header[optional] | header[optional + 1] << 8;
    std::size_t countField = 0;
    if (magic == 0x10B) {
        countField = optional + 92;  // PE32
    } else if (magic == 0x20B) {
        countField = optional + 108;  // PE32+
    } else {
        return fileLength;
    }
    const std::size_t entry = countField + 4 + kSecurityDirectory * 8;
    if (entry + 8 > size || Little32(header + countField) <= kSecurityDirectory) {
        return fileLength;
    }
    const std::int64_t start = Little32(header + entry);
    const std::int64_t length = Little32(header + entry + 4);
    if (start == 0 && length == 0) {
        return fileLength;
    }
    if (start < static_cast<std::int64_t>(entry + 8) || start + length != fileLength) {
        return -1;
    }
    return start;
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
