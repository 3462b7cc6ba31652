#pragma once

#include <cstdint>

namespace discdeck {

// A sound device playing CD audio (44.1 kHz, 16-bit little-endian stereo) from a few buffers handed
// over in turn. Implementations: WaveOutput (winmm wave-out, sound/win), RecordingSoundOutput
// (tests: keeps what was "played"). Every call comes from one thread at a time (the player's lock); the player
// polls FreeBuffers, so no device callback ever runs player code.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Opens the device; false when there is none (the player then keeps time on its clock).
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // How many more buffers Write takes now; each holds at most bufferBytes.
    virtual uint32_t FreeBuffers() = 0;
    // Queues a copy of the bytes (a whole number of samples); false when no buffer is free.
    virtual bool Write(const uint8_t* data, uint32_t bytes) = 0;
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Drops everything queued at once (nothing stale sounds afterwards); the played count restarts at 0.
    virtual void Reset() = 0;
    // Samples the device has played since Open or the last Reset.
    virtual uint64_t PlayedSamples() = 0;
};

}  // namespace discdeck
