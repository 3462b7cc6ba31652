// libFuzzer target: any bytes as a CUE sheet. A sheet that parses and lays out must give a disc the
// drive accepts, and the player's device must read it without reaching outside its table.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/CueSheet.h"
#include "cdaudio/SimulatedDrive.h"

using namespace discdeck;

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
    // Data file sizes come from the names, so the fuzzer can reach every length (and unreadable files).
    auto fileSize = [](const CueFile& file) -> std::optional<uint64_t> {
        if (file.name.empty() || file.name[0] == '!') {
            return std::nullopt;
        }
        uint64_t size = 0;
        for (char c : file.name) {
            size = size * 31 + static_cast<unsigned char>(c);
        }
        return size;
    };
    SimulatedDisc disc;
    if (!LayOutDisc(sheet, fileSize, disc).Ok()) {
        return 0;
    }
    if (!IsValidDisc(disc) || disc.tracks.size() != sheet.tracks.size()) {
        __builtin_trap();
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
