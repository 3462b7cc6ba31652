#include "sound/SoundPlayer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace discdeck {

SoundPlayer::SoundPlayer(SoundOutput& output, const Clock& clock, Feeding feeding)
    : output(output), clock(clock), buffer(static_cast<size_t>(kBufferSamples) * kBytesPerSample) {
    if (feeding == Feeding::OwnThread) {
        feeder = std::thread([this] { FeederLoop(); });
    }
}

SoundPlayer::~SoundPlayer() {
    {
        std::lock_guard<std::mutex> guard(wakeLock);
        quitting = true;
    }
    wake.notify_one();
    if (feeder.joinable()) {
        feeder.join();
    }
    if (deviceOpen) {
        output.Reset();
        output.Close();
    }
}

void SoundPlayer::FeederLoop() {
    std::unique_lock<std::mutex> waiting(wakeLock);
    while (!quitting) {
        waiting.unlock();
        Feed();
        waiting.lock();
        wake.wait_for(waiting, std::chrono::milliseconds(kFeedPeriodMs), [this] { return wakePending || quitting; });
        wakePending = false;
    }
}

void SoundPlayer::WakeFeeder() {
    {
        std::lock_guard<std::mutex> guard(wakeLock);
        wakePending = true;
    }
    wake.notify_one();
}

void SoundPlayer::SetSource(std::shared_ptr<DiscAudio> audio) {
    std::shared_ptr<DiscAudio> old;
    {
        std::lock_guard<std::mutex> guard(lock);
        old = std::exchange(source, std::move(audio));
        ++generation;
    }
    // The old source may go here, outside the lock, or on the feeder after a read under way.
}

uint64_t SoundPlayer::ClockSamples() const {
    uint64_t samples = heldSamples;
    if (state == State::Playing) {
        samples += (clock.NowMs() - clockStartMs) * kSampleRate / 1000;
    }
    return samples;
}

uint64_t SoundPlayer::TimelineEnd() const {
    return stretches.empty() ? 0 : stretches.back().offset + (stretches.back().end - stretches.back().from);
}

uint64_t SoundPlayer::PlayedSamples() {
    // Nothing sounds beyond what was handed over, whatever a device may claim.
    const uint64_t played = deviceOpen ? std::min(output.PlayedSamples(), handed) : ClockSamples();
    return std::min(played, TimelineEnd());
}

size_t SoundPlayer::StretchAt(uint64_t played) const {
    size_t index = 0;
    while (index + 1 < stretches.size() && stretches[index + 1].offset <= played) {
        ++index;
    }
    return index;
}

void SoundPlayer::ResetDevice() {
    output.Reset();
    // A paused device stays paused through a reset; the next sound must not wait for a resume.
    if (devicePaused) {
        output.Restart();
        devicePaused = false;
    }
}

void SoundPlayer::Start(uint64_t fromSample, uint64_t endOfSound) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (deviceOpen) {
            ResetDevice();
        } else {
            deviceOpen = output.Open();
        }
        state = State::Playing;
        stretches.assign(1, Stretch{fromSample, std::max(fromSample, endOfSound), 0});
        handed = 0;
        ++generation;
        heldSamples = 0;
        clockStartMs = clock.NowMs();
    }
    WakeFeeder();
}

bool SoundPlayer::Then(uint64_t endOfThis, uint64_t fromSample, uint64_t endOfSound) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (state == State::Idle) {
            return false;
        }
        const size_t sounding = StretchAt(PlayedSamples());
        Stretch& current = stretches[sounding];
        const uint64_t cut = current.offset + (std::max(endOfThis, current.from) - current.from);
        const bool followerBegun = sounding + 1 < stretches.size() && handed > stretches[sounding + 1].offset;
        if (followerBegun || handed > cut) {
            return false;  // the sound past the new end is already on its way to the device
        }
        stretches.resize(sounding + 1);
        current.end = std::max(endOfThis, current.from);
        ++generation;  // a read past the new end may be under way
        if (fromSample < endOfSound) {
            stretches.push_back(Stretch{fromSample, endOfSound, TimelineEnd()});
        }
    }
    WakeFeeder();
    return true;
}

void SoundPlayer::Pause() {
    std::lock_guard<std::mutex> guard(lock);
    if (state != State::Playing) {
        return;
    }
    heldSamples = ClockSamples();
    state = State::Paused;
    if (deviceOpen) {
        output.Pause();
        devicePaused = true;
    }
}

void SoundPlayer::Resume() {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (state != State::Paused) {
            return;
        }
        state = State::Playing;
        clockStartMs = clock.NowMs();
        if (deviceOpen) {
            output.Restart();
            devicePaused = false;
        }
    }
    WakeFeeder();
}

void SoundPlayer::Halt() {
    std::lock_guard<std::mutex> guard(lock);
    if (deviceOpen && state != State::Idle) {
        ResetDevice();
    }
    state = State::Idle;
    ++generation;
}

uint64_t SoundPlayer::Position() {
    std::lock_guard<std::mutex> guard(lock);
    if (stretches.empty()) {
        return 0;
    }
    if (state == State::Idle) {
        return stretches.front().from;
    }
    const uint64_t played = PlayedSamples();
    const Stretch& sounding = stretches[StretchAt(played)];
    return std::min(sounding.from + (played - sounding.offset), sounding.end);
}

uint32_t SoundPlayer::StretchesBegun() {
    std::lock_guard<std::mutex> guard(lock);
    return state == State::Idle ? 0 : static_cast<uint32_t>(StretchAt(PlayedSamples()));
}

bool SoundPlayer::NextJob(Job& job) {
    if (!deviceOpen || state != State::Playing || handed >= TimelineEnd()) {
        return false;
    }
    const uint64_t played = PlayedSamples();
    if (handed - played >= kLeadSamples) {
        return false;
    }
    const uint64_t clockTime = ClockSamples();
    if (handed >= clockTime + clockTime / kClockSlack + kLeadSamples || output.FreeBuffers() == 0) {
        return false;
    }
    // A buffer never spans two stretches: the next one may come from anywhere on the disc.
    const Stretch& stretch = stretches[StretchAt(handed)];
    job.firstSample = stretch.from + (handed - stretch.offset);
    job.count = static_cast<uint32_t>(std::min<uint64_t>(kBufferSamples, stretch.end - job.firstSample));
    job.source = source;
    job.generation = generation;
    return true;
}

uint32_t SoundPlayer::Feed() {
    uint32_t handedBuffers = 0;
    for (;;) {
        Job job;
        {
            std::lock_guard<std::mutex> guard(lock);
            if (!NextJob(job)) {
                return handedBuffers;
            }
        }
        const uint32_t bytes = job.count * kBytesPerSample;
        if (job.source == nullptr) {
            std::memset(buffer.data(), 0, bytes);
        } else {
            // Outside the lock: a slow disk holds up only this thread. A stretch that cannot be read
            // comes back as silence; playing goes on.
            job.source->Read(job.firstSample, job.count, buffer.data());
        }
        std::lock_guard<std::mutex> guard(lock);
        if (job.generation != generation || state == State::Idle || !deviceOpen) {
            continue;  // the motion changed while reading: this sound is stale
        }
        if (!output.Write(buffer.data(), bytes)) {
            // The device had room and refused: it is gone (unplugged, taken away). The disc plays on,
            // silently on the clock, from what was heard.
            heldSamples = PlayedSamples();
            clockStartMs = clock.NowMs();
            output.Close();
            deviceOpen = false;
            return handedBuffers;
        }
        handed += job.count;
        ++handedBuffers;
    }
}

}  // namespace discdeck
