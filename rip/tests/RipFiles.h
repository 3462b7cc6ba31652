#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <FLAC/stream_encoder.h>

#include "sound/DiscAudio.h"

namespace discdeck::testing {

// The sound of a test disc at an absolute sample: every sample differs from its neighbours, so a
// byte read from the wrong place shows.
inline uint32_t DiscSample(uint64_t sample) {
    uint64_t x = (sample + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    return static_cast<uint32_t>(x >> 32);
}

// count samples of the disc's sound from firstSample on, as CD audio bytes (little-endian, or
// big-endian for MOTOROLA images).
inline std::string DiscSound(uint64_t firstSample, uint64_t count, bool bigEndian = false) {
    std::string bytes(static_cast<size_t>(count) * kBytesPerSample, '\0');
    for (uint64_t i = 0; i < count; ++i) {
        const uint32_t v = DiscSample(firstSample + i);
        char* out = &bytes[static_cast<size_t>(i) * 4];
        for (int channel = 0; channel < 2; ++channel) {
            const uint16_t half = static_cast<uint16_t>(v >> (16 * channel));
            out[2 * channel + (bigEndian ? 1 : 0)] = static_cast<char>(half & 0xFF);
            out[2 * channel + (bigEndian ? 0 : 1)] = static_cast<char>(half >> 8);
        }
    }
    return bytes;
}

inline void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

inline void PutChunk(std::string& out, const char* id, const std::string& body) {
    out.append(id, 4);
    PutLe(out, static_cast<uint32_t>(body.size()), 4);
    out += body;
    if (body.size() % 2 != 0) {
        out += '\0';
    }
}

// The format of a WAVE test file; CD audio unless a test changes it.
struct WaveForm {
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint16_t channels = 2;
    uint16_t tag = 1;         // 1 PCM, 3 floating point
    bool extensible = false;  // WAVE_FORMAT_EXTENSIBLE around tag
    bool withData = true;
};

// A RIFF WAVE file as editors write them: a LIST chunk of odd size between the format and the
// samples, and a tag chunk after them.
inline std::string WaveFile(const std::string& samples, const WaveForm& form = {}) {
    std::string format;
    PutLe(format, form.extensible ? 0xFFFE : form.tag, 2);
    PutLe(format, form.channels, 2);
    PutLe(format, form.rate, 4);
    PutLe(format, form.rate * form.channels * form.bits / 8, 4);
    PutLe(format, form.channels * form.bits / 8, 2);
    PutLe(format, form.bits, 2);
    if (form.extensible) {
        PutLe(format, 22, 2);
        PutLe(format, form.bits, 2);
        PutLe(format, 3, 4);
        PutLe(format, form.tag, 2);
        format += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVE";
    PutChunk(body, "fmt ", format);
    PutChunk(body, "LIST", "INFOx");
    if (form.withData) {
        PutChunk(body, "data", samples);
    }
    PutChunk(body, "id3 ", std::string(10, 'i'));
    std::string file = "RIFF";
    PutLe(file, static_cast<uint32_t>(body.size()), 4);
    return file + body;
}

// Encodes samples (given as 32-bit values, interleaved by channel) into a FLAC file, with the given
// metadata blocks (which the caller still owns).
inline bool WriteFlac(const std::string& path,
                      const std::vector<int32_t>& interleaved,
                      uint32_t channels = 2,
                      uint32_t bits = 16,
                      std::vector<FLAC__StreamMetadata*> metadata = {}) {
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    bool ok =
        encoder &&
        (metadata.empty() ||
         FLAC__stream_encoder_set_metadata(encoder, metadata.data(), static_cast<uint32_t>(metadata.size()))) &&
        FLAC__stream_encoder_set_channels(encoder, channels) &&
        FLAC__stream_encoder_set_bits_per_sample(encoder, bits) &&
        FLAC__stream_encoder_set_sample_rate(encoder, 44100) &&
        FLAC__stream_encoder_set_compression_level(encoder, 5) &&
        FLAC__stream_encoder_init_file(encoder, path.c_str(), nullptr, nullptr) == FLAC__STREAM_ENCODER_INIT_STATUS_OK;
    const uint32_t frames = static_cast<uint32_t>(interleaved.size() / channels);
    ok = ok && FLAC__stream_encoder_process_interleaved(encoder, interleaved.data(), frames);
    ok = encoder && FLAC__stream_encoder_finish(encoder) && ok;
    if (encoder) {
        FLAC__stream_encoder_delete(encoder);
    }
    return ok;
}

// CD audio bytes as the encoder takes them.
inline std::vector<int32_t> Unpacked(const std::string& bytes) {
    std::vector<int32_t> values(bytes.size() / 2);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] =
            static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return values;
}

}  // namespace discdeck::testing
