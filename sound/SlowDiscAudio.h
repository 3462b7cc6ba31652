#pragma once

#include <chrono>
#include <memory>
#include <thread>
#include <utility>

#include "sound/DiscAudio.h"

namespace discdeck {

// A disc's sound read as from a slow disk (a network share, a disk waking up): every read waits a
// fixed time first. For measuring how the player behaves then; the product uses it only when asked
// to (DISCDECK_SLOW_READ_MS).
class SlowDiscAudio : public DiscAudio {
  public:
    SlowDiscAudio(std::shared_ptr<DiscAudio> audio, std::chrono::milliseconds delay)
        : audio(std::move(audio)), delay(delay) {}

    bool Read(uint64_t firstSample, uint32_t count, uint8_t* out) override {
        std::this_thread::sleep_for(delay);
        return audio->Read(firstSample, count, out);
    }

  private:
    std::shared_ptr<DiscAudio> audio;
    std::chrono::milliseconds delay;
};

}  // namespace discdeck
