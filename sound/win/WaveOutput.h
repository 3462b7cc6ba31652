#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <vector>

#include "sound/SoundOutput.h"

namespace discdeck {

// The sound device through winmm's wave-out functions: CD audio in a ring of prepared headers that
// the feeder refills once the device marks them done (WHDR_DONE). No callback: the device never
// runs any of the player's code.
class WaveOutput : public SoundOutput {
  public:
    static constexpr uint32_t kBufferCount = 4;
    explicit WaveOutput(uint32_t bufferBytes);
    ~WaveOutput() override;
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    bool Open() override;
    void Close() override;
    uint32_t FreeBuffers() override;
    bool Write(const uint8_t* data, uint32_t bytes) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    uint64_t PlayedSamples() override;

  private:
    // A header the device no longer holds: never written, or returned done.
    bool IsFree(const WAVEHDR& header) const;

    HWAVEOUT device = nullptr;
    uint32_t bufferBytes;
    std::array<std::vector<char>, kBufferCount> data;
    std::array<WAVEHDR, kBufferCount> headers{};
    uint32_t next = 0;  // the header written next: they are handed over and returned in order
};

}  // namespace discdeck
