#pragma once

#include <cstdint>
#include <vector>

namespace discdeck {

// Positions on a disc: 75 frames a second, as the media control interface counts them.
namespace mci {
constexpr uint32_t kFramesPerSecond = 75;
constexpr uint32_t kFramesPerMinute = 60 * kFramesPerSecond;
// The two-second pregap before the first track of a normal disc.
constexpr uint32_t kPregapFrames = 2 * kFramesPerSecond;
}  // namespace mci

// One track of a simulated disc: where it starts (absolute frame, 75 a second) and its kind.
struct SimulatedTrack {
    uint32_t startFrame = 0;
    bool audio = true;
};

// A disc's table of contents: the tracks in order and the lead-out (the end of the disc).
struct SimulatedDisc {
    std::vector<SimulatedTrack> tracks;
    uint32_t leadOutFrame = 0;
};

// A disc the drive can hold: at least one track, starts strictly increasing and before the lead-out,
// every position expressible in MSF (minutes fit a byte) and track numbers in a TMSF byte. More
// than 99 tracks is allowed on purpose, so the player's handling of such a drive can be tested.
bool IsValidDisc(const SimulatedDisc& disc);

// Builds a disc from track starts given as minutes, seconds and frames (absolute positions).
struct Msf {
    uint32_t minute = 0;
    uint32_t second = 0;
    uint32_t frame = 0;
};
constexpr uint32_t MsfToFrames(Msf msf) {
    return msf.minute * mci::kFramesPerMinute + msf.second * mci::kFramesPerSecond + msf.frame;
}
SimulatedDisc MakeAudioDisc(const std::vector<Msf>& starts, Msf leadOut);

}  // namespace discdeck
