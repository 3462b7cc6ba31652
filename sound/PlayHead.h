#pragma once

#include <cstdint>

namespace discdeck {

// The sound of a drive's motion. The drive says what to play; the play head says how far the sound
// has got, which is the drive's position while it plays. Positions are absolute samples (588 a
// frame, sample 0 at the start of frame 0).
class PlayHead {
  public:
    virtual ~PlayHead() = default;
    // Drops whatever sounds and plays from a sample on; the sound ends before the end sample.
    virtual void Start(uint64_t fromSample, uint64_t endSample) = 0;
    // The stretch sounding now ends before endOfThis and the stretch from fromSample to endSample
    // (none when empty) follows it without a gap: a drive that goes back or jumps at a track's end
    // says so before the end, so nothing after it is heard. Replaces what was to follow before.
    // False, changing nothing, when sound past the new end is already on its way to the device.
    virtual bool Then(uint64_t endOfThis, uint64_t fromSample, uint64_t endSample) = 0;
    virtual void Pause() = 0;
    // Goes on after a Pause from the very sample where it stopped.
    virtual void Resume() = 0;
    // Silence at once, nothing queued stays.
    virtual void Halt() = 0;
    // The first sample not yet played: within the stretch that sounds, up to the last one's end.
    virtual uint64_t Position() = 0;
    // How many following stretches (Then) have begun to sound since Start.
    virtual uint32_t StretchesBegun() = 0;
};

}  // namespace discdeck
