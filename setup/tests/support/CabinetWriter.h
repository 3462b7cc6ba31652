#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/tests/support/LzxEncoder.h"

namespace discdeck {

// Writes Microsoft Cabinet files for the tests, including damaged and hostile ones: any file name,
// version, flags and compression type word, uncompressed or LZX folders.
struct CabinetEntry {
    std::string name;
    std::vector<std::uint8_t> data;
    std::uint16_t date = 0x2C43;  // 2002-02-03
    std::uint16_t time = 0x20A3;  // 04:05:06
    std::uint16_t attributes = 0x20;
    int folder = 0;
};

struct CabinetFolderLayout {
    enum class Kind { None, Lzx } kind = Kind::None;
    int windowBits = 21;
    LzxBlockKind blocks = LzxBlockKind::Verbatim;
    // When not zero, written as the folder's compression type instead of the one of kind.
    std::uint16_t typeOverride = 0;
};

struct CabinetLayout {
    std::uint8_t versionMinor = 3;
    std::uint8_t versionMajor = 1;
    std::uint16_t flags = 0;  // 0x01 previous cabinet, 0x02 next cabinet (names are written for them)
    std::uint16_t setId = 0x1234;
    std::uint16_t setIndex = 0;
    bool checksums = true;
    std::vector<CabinetFolderLayout> folders{CabinetFolderLayout()};
    std::vector<CabinetEntry> files;
};

std::vector<std::uint8_t> WriteCabinet(const CabinetLayout& layout);

// The checksum of a cabinet data block: its 4-byte size fields and its data.
std::uint32_t CabinetBlockChecksum(const std::uint8_t* data,
                                   std::size_t size,
                                   std::uint16_t compressed,
                                   std::uint16_t uncompressed);

}  // namespace discdeck
