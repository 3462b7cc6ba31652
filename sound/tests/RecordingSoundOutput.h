#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sound/DiscAudio.h"
#include "sound/SoundOutput.h"

namespace discdeck {

// A sound device for tests: it plays only when told (Play), keeping every byte it played, and can
// be absent. Reset drops what is queued like a real device.
class RecordingSoundOutput : public SoundOutput {
  public:
    explicit RecordingSoundOutput(uint32_t bufferCount = 4) : bufferCount(bufferCount) {}

    bool Open() override {
        ++opens;
        open = available;
        return open;
    }
    void Close() override { open = false; }
    uint32_t FreeBuffers() override { return open ? bufferCount - static_cast<uint32_t>(queue.size()) : 0; }
    bool Write(const uint8_t* data, uint32_t bytes) override {
        if (FreeBuffers() == 0 || !available) {
            return false;
        }
        queue.emplace_back(data, data + bytes);
        ++writes;
        return true;
    }
    void Pause() override { paused = true; }
    void Restart() override { paused = false; }
    void Reset() override {
        queue.clear();
        playedSamples = 0;
        ++resets;
    }
    uint64_t PlayedSamples() override { return playedSamples; }

    // The device plays up to this many samples of what is queued (nothing while paused).
    void Play(uint64_t samples) {
        while (!paused && samples > 0 && !queue.empty()) {
            std::vector<uint8_t>& front = queue.front();
            size_t bytes = std::min<size_t>(front.size(), samples * kBytesPerSample);
            played.insert(played.end(), front.begin(), front.begin() + static_cast<std::ptrdiff_t>(bytes));
            front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(bytes));
            playedSamples += bytes / kBytesPerSample;
            samples -= bytes / kBytesPerSample;
            if (front.empty()) {
                queue.pop_front();
            }
        }
    }

    bool available = true;  // false: opening fails, and so does writing to an open device
    bool open = false;
    bool paused = false;
    uint32_t bufferCount;
    int opens = 0;
    int writes = 0;
    int resets = 0;
    uint64_t playedSamples = 0;
    std::deque<std::vector<uint8_t>> queue;
    std::vector<uint8_t> played;  // everything heard, in order
};

// A disc whose every sample says where it is: the sample number's low 32 bits, so any stretch of
// sound names its own position.
class CountingDiscAudio : public DiscAudio {
  public:
    bool Read(uint64_t firstSample, uint32_t count, uint8_t* out) override {
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t value = static_cast<uint32_t>(firstSample + i);
            for (int b = 0; b < 4; ++b) {
                out[i * 4 + b] = static_cast<uint8_t>(value >> (8 * b));
            }
        }
        ++reads;
        return true;
    }
    // The samples of a stretch as CountingDiscAudio sounds them.
    static std::vector<uint8_t> Expected(uint64_t firstSample, uint64_t count) {
        std::vector<uint8_t> bytes(count * kBytesPerSample);
        CountingDiscAudio audio;
        audio.Read(firstSample, static_cast<uint32_t>(count), bytes.data());
        return bytes;
    }
    int reads = 0;
};

}  // namespace discdeck
