#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>

#include "rip/AudioFile.h"

namespace discdeck {

// Audio stored as it sounds, at a fixed place in a file: a BINARY image (the whole file), a
// MOTOROLA image (the same with each 16-bit sample big-endian) or the data chunk of a WAVE file.
class RawAudioFile : public AudioFile {
  public:
    // Null when the file cannot be opened. bytes beyond the file's end are not counted.
    static std::unique_ptr<RawAudioFile> Open(const std::filesystem::path& path,
                                              uint64_t offset,
                                              uint64_t bytes,
                                              bool bigEndian);

    uint64_t Units() const override { return units; }
    bool Read(uint64_t first, uint32_t count, uint8_t* out) override;

  private:
    RawAudioFile() = default;

    std::ifstream file;
    uint64_t offset = 0;
    uint64_t units = 0;
    bool bigEndian = false;
};

}  // namespace discdeck
