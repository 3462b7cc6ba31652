#include "rip/RawAudioFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>

namespace discdeck {

std::unique_ptr<RawAudioFile> RawAudioFile::Open(const std::filesystem::path& path,
                                                 uint64_t offset,
                                                 uint64_t bytes,
                                                 bool bigEndian) {
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(path, error);
    if (error) {
        return nullptr;
    }
    std::unique_ptr<RawAudioFile> audio(new RawAudioFile);
    audio->file.open(path, std::ios::binary);
    if (!audio->file) {
        return nullptr;
    }
    audio->offset = std::min(offset, size);
    audio->units = std::min(bytes, size - audio->offset) / 4;
    audio->bigEndian = bigEndian;
    return audio;
}

bool RawAudioFile::Read(uint64_t first, uint32_t count, uint8_t* out) {
    const uint64_t available = first < units ? std::min<uint64_t>(count, units - first) : 0;
    const size_t wanted = static_cast<size_t>(available) * 4;
    size_t got = 0;
    if (wanted > 0) {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset + first * 4));
        file.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(wanted));
        got = static_cast<size_t>(file.gcount());
    }
    std::memset(out + got, 0, static_cast<size_t>(count) * 4 - got);
    if (bigEndian) {
        for (size_t i = 0; i + 1 < got; i += 2) {
            std::swap(out[i], out[i + 1]);
        }
    }
    return got == wanted;
}

}  // namespace discdeck
