#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cdaudio/Clock.h"
#include "sound/DiscAudio.h"
#include "sound/PlayHead.h"
#include "sound/SoundOutput.h"

namespace discdeck {

// Streams a disc's sound to a sound device: the drive's play head. A feeder thread keeps the device
// a few short buffers ahead of what it has played; it reads the disc outside the player's lock, so
// a slow disk makes the sound stutter but never holds up a position query or a change of motion.
// Every change of motion resets the device at once, so nothing stale sounds. The position is what
// the device reports as played. Without a device the sound is silent and the position follows the
// clock.
class SoundPlayer : public PlayHead {
  public:
    // One buffer: 100 ms. The device holds up to its own number of buffers.
    static constexpr uint32_t kBufferSamples = kSampleRate / 10;
    // How often the feeder looks for free buffers, well within one buffer's time.
    static constexpr uint32_t kFeedPeriodMs = 20;
    // How far the sound handed over may run ahead of what the device has played. Measured against
    // the device and not the system clock: a device whose crystal runs fast would otherwise eat the
    // lead away and starve.
    static constexpr uint32_t kLeadSamples = 4 * kBufferSamples;
    // A sink that takes everything at once (a null or file device) still gets the disc at about its
    // own pace: the sound never runs further ahead of the clock than the lead plus 1/kClockSlack of
    // the time played, far more than any real device drifts (crystals: about 1/10 000).
    static constexpr uint64_t kClockSlack = 500;

    // ByHand: no feeder thread; the caller calls Feed (tests, benchmarks).
    enum class Feeding { OwnThread, ByHand };
    SoundPlayer(SoundOutput& output, const Clock& clock, Feeding feeding = Feeding::OwnThread);
    ~SoundPlayer() override;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Where the samples come from; null plays silence. A read of the old source that is under way
    // finishes on the feeder, which then lets the source go; its sound is never played.
    void SetSource(std::shared_ptr<DiscAudio> audio);

    void Start(uint64_t fromSample, uint64_t endSample) override;
    bool Then(uint64_t endOfThis, uint64_t fromSample, uint64_t endSample) override;
    void Pause() override;
    void Resume() override;
    void Halt() override;
    uint64_t Position() override;
    uint32_t StretchesBegun() override;

    // Hands the device the next buffers while it has room and the lead allows; the number handed.
    uint32_t Feed();

  private:
    enum class State { Idle, Playing, Paused };
    // One stretch of the disc, and where it begins in the samples the device plays since Start.
    struct Stretch {
        uint64_t from;
        uint64_t end;
        uint64_t offset;
    };
    // A buffer the feeder is to read outside the lock.
    struct Job {
        std::shared_ptr<DiscAudio> source;
        uint64_t firstSample = 0;
        uint32_t count = 0;
        uint64_t generation = 0;
    };

    void FeederLoop();
    void WakeFeeder();
    void ResetDevice();
    uint64_t ClockSamples() const;
    // Samples played since Start: what the device says, never more than it was handed.
    uint64_t PlayedSamples();
    uint64_t TimelineEnd() const;
    // The stretch holding a sample count since Start (the last one at or past the end).
    size_t StretchAt(uint64_t played) const;
    // The next buffer to read, when the device has room and the lead allows one.
    bool NextJob(Job& job);

    SoundOutput& output;
    const Clock& clock;
    std::mutex lock;  // everything below and every call into the output; never held while reading
    std::shared_ptr<DiscAudio> source;
    State state = State::Idle;
    bool deviceOpen = false;
    bool devicePaused = false;
    std::vector<Stretch> stretches;  // since Start; never empty once started
    uint64_t handed = 0;             // samples handed to the device since Start
    // Counts changes that make a read under way stale: Start, Halt, a new source, a replaced stretch.
    uint64_t generation = 0;
    // Without a device: samples counted before the last pause, and when the clock last started.
    uint64_t heldSamples = 0;
    uint64_t clockStartMs = 0;
    std::vector<uint8_t> buffer;  // the feeder's alone

    std::mutex wakeLock;  // only the feeder's wake-up
    std::condition_variable wake;
    bool wakePending = false;
    bool quitting = false;
    std::thread feeder;
};

}  // namespace discdeck
