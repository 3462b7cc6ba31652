#include "setup/tests/support/CabinetWriter.h"

#include <algorithm>

namespace discdeck {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t Checksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        sum ^= static_cast<std::uint32_t>(data[i]) | data[i + 1] << 8 | data[i + 2] << 16 |
               static_cast<std::uint32_t>(data[i + 3]) << 24;
    }
    std::uint32_t rest = 0;
    switch (size - i) {
        case 3:
            rest |= static_cast<std::uint32_t>(data[i++]) << 16;
            [[fallthrough]];
        case 2:
            rest |= static_cast<std::uint32_t>(data[i++]) << 8;
            [[fallthrough]];
        case 1:
            rest |= data[i];
            break;
        default:
            break;
    }
    return sum ^ rest;
}

struct Block {
    std::vector<std::uint8_t> bytes;
    std::uint16_t uncompressedSize;
};

std::vector<Block> FolderBlocks(const CabinetFolderLayout& folder, const std::vector<std::uint8_t>& data) {
    std::vector<Block> blocks;
    if (folder.kind == CabinetFolderLayout::Kind::Lzx) {
        for (LzxChunk& chunk : EncodeLzx(data, folder.windowBits, folder.blocks)) {
            blocks.push_back({std::move(chunk.bytes), chunk.uncompressedSize});
        }
        return blocks;
    }
    for (std::size_t start = 0; start < data.size(); start += 32768) {
        const std::size_t end = std::min(data.size(), start + 32768);
        blocks.push_back({std::vector<std::uint8_t>(data.begin() + start, data.begin() + end),
                          static_cast<std::uint16_t>(end - start)});
    }
    return blocks;
}

}  // namespace

std::uint32_t CabinetBlockChecksum(const std::uint8_t* data,
                                   std::size_t size,
                                   std::uint16_t compressed,
                                   std::uint16_t uncompressed) {
    const std::uint8_t sizes[4] = {static_cast<std::uint8_t>(compressed), static_cast<std::uint8_t>(compressed >> 8),
                                   static_cast<std::uint8_t>(uncompressed),
                                   static_cast<std::uint8_t>(uncompressed >> 8)};
    return Checksum(sizes, 4, Checksum(data, size, 0));
}

std::vector<std::uint8_t> WriteCabinet(const CabinetLayout& layout) {
    // Folder contents: the files of each folder one after the other.
    std::vector<std::vector<std::uint8_t>> folderData(layout.folders.size());
    std::vector<std::uint32_t> fileOffsets;
    for (const CabinetEntry& file : layout.files) {
        std::vector<std::uint8_t>& data = folderData.at(static_cast<std::size_t>(file.folder));
        fileOffsets.push_back(static_cast<std::uint32_t>(data.size()));
        data.insert(data.end(), file.data.begin(), file.data.end());
    }
    std::vector<std::vector<Block>> blocks;
    for (std::size_t i = 0; i < layout.folders.size(); ++i) {
        blocks.push_back(FolderBlocks(layout.folders[i], folderData[i]));
    }

    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'M', 'S', 'C', 'F'});
    Put32(out, 0);
    Put32(out, 0);  // cabinet size, set below
    Put32(out, 0);
    Put32(out, 0);  // offset of the first file entry, set below
    Put32(out, 0);
    out.push_back(layout.versionMinor);
    out.push_back(layout.versionMajor);
    Put16(out, static_cast<std::uint32_t>(layout.folders.size()));
    Put16(out, static_cast<std::uint32_t>(layout.files.size()));
    Put16(out, layout.flags);
    Put16(out, layout.setId);
    Put16(out, layout.setIndex);
    auto putString = [&out](const std::string& text) {
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
    };
    if ((layout.flags & 0x01) != 0) {
        putString("previous.cab");
        putString("Disk 1");
    }
    if ((layout.flags & 0x02) != 0) {
        putString("next.cab");
        putString("Disk 2");
    }

    std::vector<std::size_t> folderOffsetFields;
    for (std::size_t i = 0; i < layout.folders.size(); ++i) {
        folderOffsetFields.push_back(out.size());
        Put32(out, 0);  // offset of the first data block, set below
        Put16(out, static_cast<std::uint32_t>(blocks[i].size()));
        std::uint16_t type = layout.folders[i].typeOverride;
        if (type == 0 && layout.folders[i].kind == CabinetFolderLayout::Kind::Lzx) {
            type = static_cast<std::uint16_t>(layout.folders[i].windowBits << 8 | 3);
        }
        Put16(out, type);
    }

    Set32(out, 16, static_cast<std::uint32_t>(out.size()));
    for (std::size_t i = 0; i < layout.files.size(); ++i) {
        const CabinetEntry& file = layout.files[i];
        Put32(out, static_cast<std::uint32_t>(file.data.size()));
        Put32(out, fileOffsets[i]);
        Put16(out, static_cast<std::uint32_t>(file.folder));
        Put16(out, file.date);
        Put16(out, file.time);
        Put16(out, file.attributes);
        putString(file.name);
    }

    for (std::size_t i = 0; i < layout.folders.size(); ++i) {
        Set32(out, folderOffsetFields[i], static_cast<std::uint32_t>(out.size()));
        for (const Block& block : blocks[i]) {
            const auto compressed = static_cast<std::uint16_t>(block.bytes.size());
            Put32(out, layout.checksums ? CabinetBlockChecksum(block.bytes.data(), block.bytes.size(), compressed,
                                                               block.uncompressedSize)
                                        : 0);
            Put16(out, compressed);
            Put16(out, block.uncompressedSize);
            out.insert(out.end(), block.bytes.begin(), block.bytes.end());
        }
    }
    Set32(out, 8, static_cast<std::uint32_t>(out.size()));
    return out;
}

}  // namespace discdeck
