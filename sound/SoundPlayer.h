#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "cdaudio/Clock.h"
#include "sound/DiscAudio.h"
#include "sound/PlayHead.h"
#include "sound/SoundOutput.h"

namespace discdeck {

// Streams a disc's sound to a sound device: the drive's play head. A feeder thread keeps the device
// a few short buffers ahead, so neither the window nor the drive ever waits on sound; every change
// of motion resets the device at once, so nothing stale sounds. The position is what the device
// reports as played. Without a device the sound is silent and the position follows the clock.
class SoundPlayer : public PlayHead {
  public:
    // One buffer: 100 ms. The device holds up to its own number of buffers.
    static constexpr uint32_t kBufferSamples = kSampleRate / 10;
    // How often the feeder looks for free buffers, well within one buffer's time.
    static constexpr uint32_t kFeedPeriodMs = 20;
    // How far the sound handed over may run ahead of the time played on the clock. A device paces
    // itself, so this never holds it back; a sink that takes everything at once (a null or file
    // device) still gets the disc at its own pace instead of many times faster.
    static constexpr uint32_t kLeadSamples = 4 * kBufferSamples;

    // ByHand: no feeder thread; the caller calls Feed (tests, benchmarks).
    enum class Feeding { OwnThread, ByHand };
    SoundPlayer(SoundOutput& output, const Clock& clock, Feeding feeding = Feeding::OwnThread);
    ~SoundPlayer() override;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Where the samples come from; null plays silence. The previous source is no longer read once
    // this returns, so its owner may then destroy it.
    void SetSource(DiscAudio* audio);

    void Start(uint64_t fromSample, uint64_t endSample) override;
    void Pause() override;
    void Resume() override;
    void Halt() override;
    uint64_t Position() override;

    // Hands the device the next buffers while it has room for them; the number handed.
    uint32_t Feed();

  private:
    enum class State { Idle, Playing, Paused };
    void FeederLoop();
    void ResetDevice();
    uint64_t ClockSamples() const;

    SoundOutput& output;
    const Clock& clock;
    std::mutex lock;  // everything below, and every call into the output and the source
    DiscAudio* source = nullptr;
    State state = State::Idle;
    bool deviceOpen = false;
    bool devicePaused = false;
    uint64_t startSample = 0;
    uint64_t endSample = 0;
    uint64_t nextSample = 0;  // the first sample not yet handed to the device
    // Without a device: samples counted before the last pause, and when the clock last started.
    uint64_t heldSamples = 0;
    uint64_t clockStartMs = 0;
    std::vector<uint8_t> buffer;

    std::mutex wakeLock;  // only the feeder's wake-up
    std::condition_variable wake;
    bool wakePending = false;
    bool quitting = false;
    std::thread feeder;
};

}  // namespace discdeck
