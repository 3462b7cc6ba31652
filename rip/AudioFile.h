#pragma once

#include <cstdint>

namespace discdeck {

// The audio of one data file of a rip, as raw CD sectors would hold it: 4-byte units (a 16-bit
// little-endian stereo sample; in a BINARY file with data tracks, 4 bytes of a sector), numbered
// from the start of the file's audio data. Not safe for concurrent use.
class AudioFile {
  public:
    virtual ~AudioFile() = default;
    // How many 4-byte units the file holds (a partial one at the end does not count).
    virtual uint64_t Units() const = 0;
    // Fills out (count * 4 bytes) from unit first on; units at or after the end read as silence.
    // False when the file cannot be read or decoded; what could not be read is silence then.
    virtual bool Read(uint64_t first, uint32_t count, uint8_t* out) = 0;
};

}  // namespace discdeck
