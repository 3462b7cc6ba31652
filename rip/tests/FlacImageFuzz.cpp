// libFuzzer target: any bytes as the CUESHEET block and Vorbis comments of a FLAC image. A block
// that reads as a sheet must lay out as a disc the drive accepts, with a title slot per track;
// anything else is refused with a reason.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cdaudio/DiscTable.h"
#include "rip/DiscLayout.h"
#include "rip/FlacImage.h"
#include "sound/DiscAudio.h"

using namespace discdeck;

namespace {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}
    uint64_t Take(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes && at < size; ++i) {
            value = value << 8 | data[at++];
        }
        return value;
    }
    std::string Rest() const { return std::string(reinterpret_cast<const char*>(data + at), size - at); }

  private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    // Offsets on frame boundaries mostly, as rippers write them; any sample now and then.
    const bool onFrames = input.Take(1) % 4 != 0;
    const uint64_t fileBytes = input.Take(4) * 16;
    std::vector<FlacCueTrack> tracks(input.Take(1) % 12);
    for (FlacCueTrack& track : tracks) {
        track.number = static_cast<uint32_t>(input.Take(1));
        track.audio = track.number % 5 != 0;
        track.offset = input.Take(3) * (onFrames ? kSamplesPerFrame : 1);
        for (uint64_t i = input.Take(1) % 4; i > 0; --i) {
            track.indices.emplace_back(static_cast<uint32_t>(input.Take(1) % 4),
                                       input.Take(2) * (onFrames ? kSamplesPerFrame : 1));
        }
    }
    std::vector<std::string> comments;
    const std::string rest = input.Rest();
    for (size_t start = 0; start <= rest.size();) {
        const size_t end = std::min(rest.find('\n', start), rest.size());
        comments.push_back(rest.substr(start, end - start));
        start = end + 1;
    }

    CueSheet sheet;
    const CueError error = SheetOfFlacImage(tracks, comments, "image.flac", sheet);
    if (!error.Ok()) {
        if (error.message.empty() || error.line != 0) {
            __builtin_trap();
        }
        return 0;
    }
    if (sheet.files.size() != 1 || sheet.tracks.empty() || TitlesOfSheet(sheet).tracks.size() != sheet.tracks.size()) {
        __builtin_trap();
    }
    SimulatedDisc disc;
    if (LayOutDisc(
            sheet, [fileBytes](const CueFile&) { return std::optional<uint64_t>(fileBytes); }, disc)
            .Ok() &&
        (!IsValidDisc(disc) || disc.tracks.size() != sheet.tracks.size())) {
        __builtin_trap();
    }
    return 0;
}
