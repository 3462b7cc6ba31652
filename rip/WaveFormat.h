#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace discdeck {

// Where the samples of a RIFF WAVE file lie.
struct WaveData {
    uint64_t offset = 0;
    uint64_t bytes = 0;
};

// Reads up to size bytes at offset into out; returns how many it read (fewer at the end of the file).
using ReadBytesAt = std::function<size_t(uint64_t offset, uint8_t* out, size_t size)>;

// Walks the chunks of a RIFF WAVE file of fileSize bytes, whatever chunks come before or after the
// samples, and finds the data chunk of 44.1 kHz 16-bit stereo PCM. A data chunk that claims more
// than the file holds (a recording cut short, or a size never filled in) ends with the file; in a
// file of 4 GiB or more its length is found beyond the 32 bits its size field holds.
// False when the file is not that, with problem saying why ("is 48000 Hz 24-bit stereo; ...").
bool FindWaveData(const ReadBytesAt& read, uint64_t fileSize, WaveData& data, std::string& problem);

// Why audio of this form cannot be played as a CD's: "is 48000 Hz 24-bit stereo; only 44100 Hz
// 16-bit stereo can be played".
std::string NotCdAudio(uint32_t rate, uint32_t bits, uint32_t channels);

}  // namespace discdeck
