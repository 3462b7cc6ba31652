#pragma once

#include <cstdint>

namespace discdeck {

// What a rip's drive does when the track it plays ends. It knows the end to the sample, so the play
// modes that leave a track (repeat track, random) take effect at its last sample instead of on the
// window's next tick, after the following track has begun to sound.
struct TrackEnd {
    enum class Kind { GoOn, Repeat, Jump };
    Kind kind = Kind::GoOn;
    uint32_t track = 0;  // Jump: the track to play next (once; then the drive goes on)

    bool operator==(const TrackEnd& other) const { return kind == other.kind && track == other.track; }
    bool operator!=(const TrackEnd& other) const { return !(*this == other); }
};

}  // namespace discdeck
