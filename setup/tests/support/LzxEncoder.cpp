#include "setup/tests/support/LzxEncoder.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <queue>
#include <stdexcept>

namespace discdeck {
namespace {

constexpr std::size_t kFrameSize = 32768;
constexpr int kNumChars = 256;
constexpr int kPretreeSymbols = 20;
constexpr int kLengthSymbols = 249;
constexpr int kMinMatch = 2;
constexpr int kMaxMatch = 257;
// Largest compressed size of one frame that the cabinet format accepts (32 KB + 6 KB).
constexpr std::size_t kMaxChunk = 38912;
constexpr std::uint32_t kNone = 0xFFFFFFFF;

int PositionSlots(int windowBits) {
    static const int kSlots[] = {30, 32, 34, 36, 38, 42, 50};
    return kSlots[windowBits - 15];
}

int ExtraBits(int slot) {
    if (slot < 4) {
        return 0;
    }
    return slot >= 36 ? 17 : slot / 2 - 1;
}

std::uint32_t PositionBase(int slot) {
    std::uint32_t base = 0;
    for (int i = 0; i < slot; ++i) {
        base += 1u << ExtraBits(i);
    }
    return base;
}

// LZX bit stream: 16-bit little-endian words, each filled from its most significant bit.
class BitWriter {
  public:
    void Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            word_ = static_cast<std::uint16_t>(word_ << 1 | ((value >> i) & 1));
            if (++count_ == 16) {
                bytes_.push_back(static_cast<std::uint8_t>(word_));
                bytes_.push_back(static_cast<std::uint8_t>(word_ >> 8));
                word_ = 0;
                count_ = 0;
            }
        }
    }
    void AlignToWord() {
        if (count_ != 0) {
            Put(0, 16 - count_);
        }
    }
    bool Aligned() const { return count_ == 0; }
    void PutByte(std::uint8_t byte) { bytes_.push_back(byte); }
    void PutUint32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            PutByte(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint16_t word_ = 0;
    int count_ = 0;
};

struct Token {
    bool match = false;
    std::uint8_t literal = 0;
    int length = 0;
    std::uint32_t offset = 0;
};

// Canonical codes as LZX (and deflate) assign them: shorter codes first, then by symbol.
std::vector<std::uint32_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
    int count[18] = {};
    for (std::uint8_t length : lengths) {
        if (length != 0) {
            ++count[length];
        }
    }
    std::uint32_t next[18] = {};
    std::uint32_t code = 0;
    for (int bits = 1; bits <= 16; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    std::vector<std::uint32_t> codes(lengths.size());
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        if (lengths[symbol] != 0) {
            codes[symbol] = next[lengths[symbol]]++;
        }
    }
    return codes;
}

// Huffman code lengths for the frequencies, at most 16 bits: unused symbols get none. A code needs
// two symbols to be complete, so a lone symbol gets a partner.
std::vector<std::uint8_t> HuffmanLengths(std::vector<std::uint32_t> frequencies) {
    const std::size_t symbols = frequencies.size();
    std::vector<std::uint8_t> lengths(symbols, 0);
    std::size_t used = 0;
    for (std::uint32_t frequency : frequencies) {
        used += frequency != 0 ? 1 : 0;
    }
    if (used == 0) {
        return lengths;
    }
    for (std::size_t i = 0; used < 2 && i < symbols; ++i) {
        if (frequencies[i] == 0) {
            frequencies[i] = 1;
            ++used;
        }
    }
    for (;;) {
        // Nodes: leaves first, then the merged ones; each knows its parent.
        std::vector<std::uint64_t> weight;
        std::vector<int> parent;
        std::vector<int> leafOf(symbols, -1);
        using Entry = std::pair<std::uint64_t, int>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
        for (std::size_t i = 0; i < symbols; ++i) {
            if (frequencies[i] != 0) {
                leafOf[i] = static_cast<int>(weight.size());
                queue.push({frequencies[i], static_cast<int>(weight.size())});
                weight.push_back(frequencies[i]);
                parent.push_back(-1);
            }
        }
        while (queue.size() > 1) {
            const Entry a = queue.top();
            queue.pop();
            const Entry b = queue.top();
            queue.pop();
            const int node = static_cast<int>(weight.size());
            weight.push_back(a.first + b.first);
            parent.push_back(-1);
            parent[a.second] = node;
            parent[b.second] = node;
            queue.push({a.first + b.first, node});
        }
        int longest = 0;
        for (std::size_t i = 0; i < symbols; ++i) {
            int depth = 0;
            for (int node = leafOf[i]; node >= 0 && parent[node] >= 0; node = parent[node]) {
                ++depth;
            }
            lengths[i] = static_cast<std::uint8_t>(leafOf[i] >= 0 ? depth : 0);
            longest = std::max(longest, depth);
        }
        if (longest <= 16) {
            return lengths;
        }
        // Too deep: flatten the frequencies and build again.
        for (std::uint32_t& frequency : frequencies) {
            if (frequency != 0) {
                frequency = frequency / 2 + 1;
            }
        }
    }
}

class Encoder {
  public:
    Encoder(const std::vector<std::uint8_t>& data, int windowBits)
        : data_(data),
          windowSize_(std::uint32_t{1} << windowBits),
          mainSymbols_(kNumChars + PositionSlots(windowBits) * 8),
          mainLengths_(mainSymbols_),
          lengthLengths_(kLengthSymbols),
          head_(std::size_t{1} << 22, kNone) {}

    std::vector<LzxChunk> Encode(LzxBlockKind kind) {
        std::vector<LzxChunk> chunks;
        for (std::size_t start = 0, frame = 0; start < data_.size(); start += kFrameSize, ++frame) {
            const std::size_t end = std::min(data_.size(), start + kFrameSize);
            const bool verbatim = kind == LzxBlockKind::Verbatim || kind == LzxBlockKind::LiteralsOnly ||
                                  (kind == LzxBlockKind::Alternating && frame % 2 == 0);
            LzxChunk chunk;
            chunk.uncompressedSize = static_cast<std::uint16_t>(end - start);
            if (verbatim) {
                chunk.bytes = VerbatimFrame(start, end, frame == 0, kind != LzxBlockKind::LiteralsOnly);
            }
            if (!verbatim || chunk.bytes.size() > kMaxChunk) {
                chunk.bytes = UncompressedFrame(start, end, frame == 0);
            }
            chunks.push_back(std::move(chunk));
        }
        return chunks;
    }

  private:
    static void BlockHeader(BitWriter& out, bool first, int type, std::size_t size) {
        if (first) {
            out.Put(0, 1);  // no E8 translation
        }
        out.Put(static_cast<std::uint32_t>(type), 3);
        out.Put(static_cast<std::uint32_t>(size >> 8), 16);
        out.Put(static_cast<std::uint32_t>(size & 0xFF), 8);
    }

    std::vector<std::uint8_t> UncompressedFrame(std::size_t start, std::size_t end, bool first) {
        BitWriter out;
        BlockHeader(out, first, 3, end - start);
        // The decoder drops 1 to 16 bits to reach the next word.
        if (out.Aligned()) {
            out.Put(0, 16);
        } else {
            out.AlignToWord();
        }
        for (int i = 0; i < 3; ++i) {
            out.PutUint32(1);  // R0, R1, R2
        }
        for (std::size_t i = start; i < end; ++i) {
            out.PutByte(data_[i]);
        }
        if ((end - start) % 2 != 0) {
            out.PutByte(0);
        }
        for (std::size_t i = start; i < end; ++i) {
            Remember(i);
        }
        return std::move(out.bytes());
    }

    std::uint32_t Hash(std::size_t position) const {
        const std::uint32_t key = data_[position] | data_[position + 1] << 8 | data_[position + 2] << 16;
        return (key * 2654435761u) >> 10;
    }

    void Remember(std::size_t position) {
        if (position + 3 <= data_.size()) {
            head_[Hash(position)] = static_cast<std::uint32_t>(position);
        }
    }

    // Length of the match at position with the given offset, within the frame and the window.
    int MatchLength(std::size_t position, std::uint32_t offset, std::size_t end) const {
        if (offset < 1 || offset > position || offset > windowSize_ - 3) {
            return 0;
        }
        const std::size_t limit = std::min<std::size_t>(kMaxMatch, end - position);
        std::size_t length = 0;
        while (length < limit && data_[position - offset + length] == data_[position + length]) {
            ++length;
        }
        return static_cast<int>(length);
    }

    std::vector<Token> Tokens(std::size_t start, std::size_t end, bool matches) {
        std::vector<Token> tokens;
        std::size_t position = start;
        while (position < end) {
            Token token;
            if (matches && position + 3 <= end) {
                const std::uint32_t hashed = head_[Hash(position)];
                for (std::uint32_t offset :
                     {lastOffset_, hashed == kNone ? 0u : static_cast<std::uint32_t>(position - hashed)}) {
                    const int length = MatchLength(position, offset, end);
                    if (length >= 3) {
                        token.match = true;
                        token.length = length;
                        token.offset = offset;
                        lastOffset_ = offset;
                        break;
                    }
                }
            }
            const std::size_t advance = token.match ? static_cast<std::size_t>(token.length) : 1;
            if (!token.match) {
                token.literal = data_[position];
            }
            for (std::size_t i = 0; i < advance; ++i) {
                Remember(position + i);
            }
            position += advance;
            tokens.push_back(token);
        }
        return tokens;
    }

    static int SlotFor(std::uint32_t formatted) {
        int slot = 0;
        while (PositionBase(slot + 1) <= formatted) {
            ++slot;
        }
        return slot;
    }

    // Code lengths through the pretree: 20 fixed 4-bit pretree lengths, then each length as its
    // difference (mod 17) from the same symbol's length in the previous tree.
    static void WriteLengths(BitWriter& out,
                             const std::vector<std::uint8_t>& lengths,
                             std::vector<std::uint8_t>& previous,
                             int first,
                             int last) {
        std::vector<std::uint8_t> pretree(kPretreeSymbols);
        for (int i = 0; i < kPretreeSymbols; ++i) {
            pretree[i] = i < 12 ? 4 : 5;  // complete: 12/16 + 8/32
            out.Put(pretree[i], 4);
        }
        const std::vector<std::uint32_t> codes = CanonicalCodes(pretree);
        for (int i = first; i < last; ++i) {
            const int delta = (previous[i] - lengths[i] + 17) % 17;
            out.Put(codes[delta], pretree[delta]);
            previous[i] = lengths[i];
        }
    }

    std::vector<std::uint8_t> VerbatimFrame(std::size_t start, std::size_t end, bool first, bool matches) {
        const std::vector<std::uint8_t> savedMain = mainLengths_;
        const std::vector<std::uint8_t> savedLength = lengthLengths_;
        const std::vector<Token> tokens = Tokens(start, end, matches);

        std::vector<std::uint32_t> mainFrequency(mainSymbols_);
        std::vector<std::uint32_t> lengthFrequency(kLengthSymbols);
        struct Coded {
            int mainSymbol;
            int lengthSymbol;  // -1 without one
            int extraBits;
            std::uint32_t extra;
        };
        std::vector<Coded> coded;
        for (const Token& token : tokens) {
            if (!token.match) {
                coded.push_back({token.literal, -1, 0, 0});
                ++mainFrequency[token.literal];
                continue;
            }
            const std::uint32_t formatted = token.offset + 2;
            const int slot = SlotFor(formatted);
            const int header = std::min(token.length - kMinMatch, 7);
            const int lengthSymbol = header == 7 ? token.length - kMinMatch - 7 : -1;
            coded.push_back(
                {kNumChars + slot * 8 + header, lengthSymbol, ExtraBits(slot), formatted - PositionBase(slot)});
            ++mainFrequency[kNumChars + slot * 8 + header];
            if (lengthSymbol >= 0) {
                ++lengthFrequency[lengthSymbol];
            }
        }
        const std::vector<std::uint8_t> mainLengths = HuffmanLengths(mainFrequency);
        // Without long matches the length tree stays empty, which the format allows.
        const std::vector<std::uint8_t> lengthLengths = HuffmanLengths(lengthFrequency);

        BitWriter out;
        BlockHeader(out, first, 1, end - start);
        WriteLengths(out, mainLengths, mainLengths_, 0, kNumChars);
        WriteLengths(out, mainLengths, mainLengths_, kNumChars, mainSymbols_);
        WriteLengths(out, lengthLengths, lengthLengths_, 0, kLengthSymbols);
        const std::vector<std::uint32_t> mainCodes = CanonicalCodes(mainLengths);
        const std::vector<std::uint32_t> lengthCodes = CanonicalCodes(lengthLengths);
        for (const Coded& symbol : coded) {
            out.Put(mainCodes[symbol.mainSymbol], mainLengths[symbol.mainSymbol]);
            if (symbol.lengthSymbol >= 0) {
                out.Put(lengthCodes[symbol.lengthSymbol], lengthLengths[symbol.lengthSymbol]);
            }
            if (symbol.extraBits > 0) {
                out.Put(symbol.extra, symbol.extraBits);
            }
        }
        out.AlignToWord();  // frames end on a word boundary
        if (out.bytes().size() > kMaxChunk) {
            // Falls back to an uncompressed block: the decoder keeps the previous trees then. The
            // positions remembered stay valid, the uncompressed frame carries the same bytes.
            mainLengths_ = savedMain;
            lengthLengths_ = savedLength;
        }
        return std::move(out.bytes());
    }

    const std::vector<std::uint8_t>& data_;
    std::uint32_t windowSize_;
    int mainSymbols_;
    std::vector<std::uint8_t> mainLengths_;    // previous main tree, for the length deltas
    std::vector<std::uint8_t> lengthLengths_;  // previous length tree
    std::uint32_t lastOffset_ = 0;             // a copy tends to go on at the same offset
    std::vector<std::uint32_t> head_;          // last position of each 3-byte hash
};

}  // namespace

std::vector<LzxChunk> EncodeLzx(const std::vector<std::uint8_t>& data, int windowBits, LzxBlockKind kind) {
    if (windowBits < 15 || windowBits > 21) {
        throw std::invalid_argument("LZX window bits must be 15 to 21");
    }
    return Encoder(data, windowBits).Encode(kind);
}

}  // namespace discdeck
