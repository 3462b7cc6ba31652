#include "cdaudio/DiscTable.h"

#include <cstddef>

namespace discdeck {

namespace {
// Packed MSF and TMSF hold the minutes, and TMSF the track number, in one byte.
constexpr uint32_t kMaxFrames = 256 * mci::kFramesPerMinute;
constexpr uint32_t kMaxTrackNumber = 255;
}  // namespace

bool IsValidDisc(const SimulatedDisc& disc) {
    if (disc.tracks.empty() || disc.tracks.size() > kMaxTrackNumber || disc.leadOutFrame >= kMaxFrames) {
        return false;
    }
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        uint32_t next = i + 1 < disc.tracks.size() ? disc.tracks[i + 1].startFrame : disc.leadOutFrame;
        if (disc.tracks[i].startFrame >= next) {
            return false;
        }
    }
    return true;
}

SimulatedDisc MakeAudioDisc(const std::vector<Msf>& starts, Msf leadOut) {
    SimulatedDisc disc;
    for (const Msf& start : starts) {
        disc.tracks.push_back({MsfToFrames(start), true});
    }
    disc.leadOutFrame = MsfToFrames(leadOut);
    return disc;
}

}  // namespace discdeck
