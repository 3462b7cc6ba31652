#pragma once

#include <cstdint>
#include <vector>

namespace discdeck {

// A small LZX compressor for cabinet folders, enough to produce real LZX data for the tests: a
// greedy matcher with far offsets up to the window size, verbatim blocks with Huffman trees whose
// code lengths follow the symbol frequencies, and uncompressed blocks. No E8 translation, no
// aligned-offset blocks, no repeated offsets. Each 32 KB frame is one block and one chunk, as a
// cabinet's data blocks hold them.
enum class LzxBlockKind {
    Verbatim,  // falls back to an uncompressed block when a frame would not shrink enough
    Uncompressed,
    Alternating,   // verbatim and uncompressed frames in turn
    LiteralsOnly,  // verbatim blocks without matches
};

struct LzxChunk {
    std::vector<std::uint8_t> bytes;
    std::uint16_t uncompressedSize = 0;
};

std::vector<LzxChunk> EncodeLzx(const std::vector<std::uint8_t>& data, int windowBits, LzxBlockKind kind);

}  // namespace discdeck
