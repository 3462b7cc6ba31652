#include "rip/SheetAudio.h"
#include "rip/DiscLayout.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace discdeck {

SheetAudio::SheetAudio(std::vector<std::unique_ptr<AudioFile>> files, std::vector<AudioSpan> spans)
    : files(std::move(files)), spans(std::move(spans)) {}

bool SheetAudio::Read(uint64_t firstSample, uint32_t count, uint8_t* out) {
    std::memset(out, 0, static_cast<size_t>(count) * kBytesPerSample);
    const uint64_t end = firstSample + count;
    // The first span that ends after firstSample.
    auto span = std::upper_bound(spans.begin(), spans.end(), firstSample, [](uint64_t sample, const AudioSpan& s) {
        return sample < (static_cast<uint64_t>(s.startFrame) + s.frames) * kSamplesPerFrame;
    });
    bool ok = true;
    for (; span != spans.end(); ++span) {
        const uint64_t spanStart = static_cast<uint64_t>(span->startFrame) * kSamplesPerFrame;
        const uint64_t spanEnd = spanStart + static_cast<uint64_t>(span->frames) * kSamplesPerFrame;
        if (spanStart >= end) {
            break;
        }
        const uint64_t from = std::max(firstSample, spanStart);
        const uint64_t to = std::min(end, spanEnd);
        AudioFile* file = files[span->file].get();
        // A span may run past its file's end into the silence that fills up the last frame.
        const uint64_t unit = span->fileOffset / kBytesPerSample + (from - spanStart);
        const uint64_t held = file && file->Units() > unit ? std::min(to - from, file->Units() - unit) : 0;
        if (held > 0 && !file->Read(unit, static_cast<uint32_t>(held), out + (from - firstSample) * kBytesPerSample)) {
            ok = false;
        }
    }
    return ok;
}

}  // namespace discdeck
