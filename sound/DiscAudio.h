#pragma once

#include <cstdint>

namespace discdeck {

// CD audio: 44 100 samples a second, each a 16-bit little-endian stereo pair (4 bytes); one frame
// (1/75 s) holds 588 of them, the 2352 bytes of a raw audio sector.
constexpr uint32_t kSampleRate = 44100;
constexpr uint32_t kBytesPerSample = 4;
constexpr uint32_t kSamplesPerFrame = 588;

// The sound of the disc in a rip-backed drive, addressed like the drive's positions: sample 0 is
// the start of absolute frame 0 (so the first track of a normal disc begins at sample 150 * 588).
// Pregaps, gaps that the files do not hold, data tracks and anything at or after the lead-out read
// as silence, so a player can stream any range without knowing the layout.
class DiscAudio {
  public:
    virtual ~DiscAudio() = default;
    // Fills out (count * kBytesPerSample bytes) with the samples from firstSample on. False when a
    // file cannot be read; what could not be read is silence then.
    virtual bool Read(uint64_t firstSample, uint32_t count, uint8_t* out) = 0;
};

}  // namespace discdeck
