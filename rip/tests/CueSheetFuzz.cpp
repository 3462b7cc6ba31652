// libFuzzer target: any bytes as a CUE sheet. A sheet that parses and lays out must give a disc the
// drive accepts, audio stretches that lie inside the disc and inside their files, a sound that reads
// only what the files hold, and a device that reads the disc without reaching outside its table.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "cdaudio/CdAudioDevice.h"
#include "drive/SimulatedDrive.h"
#include "rip/CueSheet.h"
#include "rip/DiscLayout.h"
#include "rip/SheetAudio.h"

using namespace discdeck;

namespace {

// Data file sizes come from the names, so the fuzzer can reach every length (and missing files).
std::optional<uint64_t> SizeFromName(const CueFile& file) {
    if (file.name.empty() || file.name[0] == '!') {
        return std::nullopt;
    }
    uint64_t size = 0;
    for (char c : file.name) {
        size = size * 31 + static_cast<unsigned char>(c);
    }
    return size % (uint64_t{1} << 34);
}

// A file of silence that traps on any read of what it does not hold (unless its length is only stated).
class BoundedFile : public AudioFile {
  public:
    BoundedFile(uint64_t units, bool checked) : units(units), checked(checked) {}
    uint64_t Units() const override { return units; }
    bool Read(uint64_t first, uint32_t count, uint8_t* out) override {
        if (checked && (first > units || count > units - first)) {
            __builtin_trap();
        }
        std::memset(out, 0, count * 4);
        return true;
    }

  private:
    uint64_t units;
    bool checked;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CueSheet sheet;
    CueError error = ParseCueSheet(std::string_view(reinterpret_cast<const char*>(data), size), sheet);
    if (!error.Ok()) {
        if (error.message.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    if (sheet.tracks.empty() || sheet.tracks.size() > kMaxCueTracks) {
        __builtin_trap();
    }
    SimulatedDisc disc;
    std::vector<AudioSpan> spans;
    if (!LayOutDisc(sheet, SizeFromName, disc, &spans).Ok()) {
        return 0;
    }
    if (!IsValidDisc(disc) || disc.tracks.size() != sheet.tracks.size()) {
        __builtin_trap();
    }
    uint64_t previousEnd = 0;
    for (const AudioSpan& span : spans) {
        if (span.file >= sheet.files.size() || span.frames == 0 || span.startFrame < previousEnd ||
            uint64_t{span.startFrame} + span.frames > disc.leadOutFrame) {
            __builtin_trap();
        }
        previousEnd = uint64_t{span.startFrame} + span.frames;
    }
    std::vector<std::unique_ptr<AudioFile>> files;
    for (size_t i = 0; i < sheet.files.size(); ++i) {
        const bool stated = i + 1 == sheet.files.size() && sheet.leadOutFrames;
        std::optional<uint64_t> bytes = SizeFromName(sheet.files[i]);
        files.push_back(std::make_unique<BoundedFile>(bytes ? *bytes / 4 : 0, !stated));
    }
    SheetAudio audio(std::move(files), spans);
    std::vector<uint8_t> buffer(4410 * kBytesPerSample);
    const uint64_t endSample = uint64_t{disc.leadOutFrame} * kSamplesPerFrame;
    for (uint64_t at : {uint64_t{0}, endSample / 3, endSample / 2, endSample - 1, endSample}) {
        audio.Read(at, 4410, buffer.data());
    }

    ManualClock clock;
    SimulatedDrive drive(clock);
    if (!drive.InsertDisc(disc)) {
        __builtin_trap();
    }
    CdAudioDevice device(drive);
    bool anyAudio = false;
    for (const SimulatedTrack& track : disc.tracks) {
        anyAudio = anyAudio || track.audio;
    }
    if (anyAudio != (device.trackCount == disc.tracks.size())) {
        __builtin_trap();
    }
    device.PlayTrack(device.trackCount);
    clock.Advance(90 * 60 * 1000);
    device.UpdateTimes();
    device.TrackAdvanced();
    return 0;
}
