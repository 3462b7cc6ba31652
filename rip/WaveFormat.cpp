#include "rip/WaveFormat.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace discdeck {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The tail that every WAVE_FORMAT_EXTENSIBLE sub-format GUID shares after its two-byte format tag.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

std::string Hex16(uint16_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += digits[(value >> shift) & 0xF];
    }
    return text;
}

// The "fmt " chunk's body: PCM of CD audio, or why not.
bool CheckFormat(const uint8_t* body, size_t size, std::string& problem) {
    if (size < 16) {
        problem = "has a damaged format chunk";
        return false;
    }
    uint16_t tag = Le16(body);
    const uint16_t channels = Le16(body + 2);
    const uint32_t rate = Le32(body + 4);
    const uint16_t blockAlign = Le16(body + 12);
    const uint16_t bits = Le16(body + 14);
    if (tag == kFormatExtensible) {
        if (size < 40 || std::memcmp(body + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) {
            problem = "has a damaged format chunk";
            return false;
        }
        tag = Le16(body + 24);
    }
    if (tag != kFormatPcm) {
        problem = "is not PCM audio (format " + Hex16(tag) + ")";
        return false;
    }
    if (channels != 2 || rate != 44100 || bits != 16) {
        problem = NotCdAudio(rate, bits, channels);
        return false;
    }
    if (blockAlign != 4) {
        problem = "has a damaged format chunk";
        return false;
    }
    return true;
}

// A chunk header at position: four printable characters and a size the file can hold.
bool ChunkHeaderAt(const ReadBytesAt& read, uint64_t position, uint64_t fileSize) {
    uint8_t header[8];
    if (position + sizeof header > fileSize || read(position, header, sizeof header) != sizeof header) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (header[i] < 0x20 || header[i] > 0x7E) {
            return false;
        }
    }
    return Le32(header + 4) <= fileSize - position - sizeof header;
}

// The true length of a data chunk whose body starts at body and whose 32-bit size field says size.
// Streaming writers leave 0xFFFFFFFF there: the samples run to the file's end. Files of 4 GiB or
// more hold the length modulo 2^32: of the lengths that agree with it, the longest that ends at the
// file's end or at a following chunk is the one. Nothing when none does.
std::optional<uint64_t> DataLength(const ReadBytesAt& read, uint64_t body, uint32_t size, uint64_t fileSize) {
    const uint64_t rest = fileSize - body;
    if (size == 0xFFFFFFFF) {
        return rest;
    }
    if (rest <= 0xFFFFFFFF) {
        return std::min<uint64_t>(size, rest);  // a recording cut short ends with the file
    }
    for (uint64_t length = size + (rest - size) / (1ull << 32) * (1ull << 32);; length -= 1ull << 32) {
        const uint64_t end = body + length + (length & 1);
        if (body + length == fileSize || ChunkHeaderAt(read, end, fileSize)) {
            return length;
        }
        if (length < (1ull << 32)) {
            return std::nullopt;
        }
    }
}

}  // namespace

std::string NotCdAudio(uint32_t rate, uint32_t bits, uint32_t channels) {
    std::string layout = channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + "-channel";
    return "is " + std::to_string(rate) + " Hz " + std::to_string(bits) + "-bit " + layout +
           "; only 44100 Hz 16-bit stereo can be played";
}

bool FindWaveData(const ReadBytesAt& read, uint64_t fileSize, WaveData& data, std::string& problem) {
    uint8_t head[12];
    if (fileSize < sizeof head || read(0, head, sizeof head) != sizeof head || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        problem = "is not a WAVE file";
        return false;
    }
    bool formatSeen = false;
    std::optional<WaveData> found;
    // Every chunk moves on by at least its 8-byte header, so the walk ends with the file.
    uint64_t position = sizeof head;
    while (position + 8 <= fileSize && !(formatSeen && found)) {
        uint8_t header[8];
        if (read(position, header, sizeof header) != sizeof header) {
            break;
        }
        const uint64_t body = position + 8;
        const uint32_t size = Le32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0 && !formatSeen) {
            uint8_t format[40] = {};
            const size_t wanted = std::min<size_t>(size, sizeof format);
            if (read(body, format, wanted) != wanted || !CheckFormat(format, size, problem)) {
                if (problem.empty()) {
                    problem = "has a damaged format chunk";
                }
                return false;
            }
            formatSeen = true;
        } else if (std::memcmp(header, "data", 4) == 0 && !found) {
            const std::optional<uint64_t> length = DataLength(read, body, size, fileSize);
            if (!length) {
                problem = "is 4 GiB or larger and does not tell where its samples end";
                return false;
            }
            found = WaveData{body, *length};
            position = body + *length + (*length & 1);
            continue;
        }
        position = body + size + (size & 1);
    }
    if (!formatSeen) {
        problem = "has no format chunk";
        return false;
    }
    if (!found) {
        problem = "has no data chunk";
        return false;
    }
    data = *found;
    return true;
}

}  // namespace discdeck
