#include "sound/SoundPlayer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

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

void SoundPlayer::SetSource(DiscAudio* audio) {
    std::lock_guard<std::mutex> guard(lock);
    source = audio;
}

uint64_t SoundPlayer::ClockSamples() const {
    uint64_t samples = heldSamples;
    if (state == State::Playing) {
        samples += (clock.NowMs() - clockStartMs) * kSampleRate / 1000;
    }
    return samples;
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
        startSample = nextSample = fromSample;
        endSample = std::max(fromSample, endOfSound);
        heldSamples = 0;
        clockStartMs = clock.NowMs();
    }
    {
        std::lock_guard<std::mutex> guard(wakeLock);
        wakePending = true;
    }
    wake.notify_one();
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
    std::lock_guard<std::mutex> guard(wakeLock);
    wakePending = true;
    wake.notify_one();
}

void SoundPlayer::Halt() {
    std::lock_guard<std::mutex> guard(lock);
    if (deviceOpen && state != State::Idle) {
        ResetDevice();
    }
    state = State::Idle;
}

uint64_t SoundPlayer::Position() {
    std::lock_guard<std::mutex> guard(lock);
    if (state == State::Idle) {
        return startSample;
    }
    // Nothing sounds beyond what was handed over, whatever a device may claim.
    uint64_t played = deviceOpen ? std::min(output.PlayedSamples(), nextSample - startSample) : ClockSamples();
    return std::min(startSample + played, endSample);
}

uint32_t SoundPlayer::Feed() {
    std::lock_guard<std::mutex> guard(lock);
    uint32_t handed = 0;
    if (!deviceOpen || state != State::Playing) {
        return 0;
    }
    while (nextSample < endSample && nextSample - startSample < ClockSamples() + kLeadSamples &&
           output.FreeBuffers() > 0) {
        uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(kBufferSamples, endSample - nextSample));
        uint32_t bytes = count * kBytesPerSample;
        if (source == nullptr) {
            std::memset(buffer.data(), 0, bytes);
        } else {
            // A stretch that cannot be read comes back as silence; playing goes on.
            source->Read(nextSample, count, buffer.data());
        }
        if (!output.Write(buffer.data(), bytes)) {
            // The device had room and refused: it is gone (unplugged, taken away). The disc plays on,
            // silently on the clock, from what was heard.
            heldSamples = std::min(output.PlayedSamples(), nextSample - startSample);
            clockStartMs = clock.NowMs();
            output.Close();
            deviceOpen = false;
            break;
        }
        nextSample += count;
        ++handed;
    }
    return handed;
}

}  // namespace discdeck
