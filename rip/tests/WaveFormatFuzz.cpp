// libFuzzer target: any bytes as a WAVE file. Found samples lie inside the file, after the RIFF
// header and a chunk header; anything else is refused with a reason.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rip/WaveFormat.h"

using namespace discdeck;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadBytesAt read = [data, size](uint64_t offset, uint8_t* out, size_t count) -> size_t {
        if (offset >= size) {
            return 0;
        }
        const size_t n = std::min<size_t>(count, size - static_cast<size_t>(offset));
        std::memcpy(out, data + offset, n);
        return n;
    };
    WaveData found;
    std::string problem;
    if (!FindWaveData(read, size, found, problem)) {
        if (problem.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    if (found.offset < 20 || found.offset > size || found.bytes > size - found.offset) {
        __builtin_trap();
    }
    return 0;
}
