#pragma once

#include <chrono>
#include <cstdint>

namespace discdeck {

// Milliseconds since an arbitrary start; only differences mean anything. The simulated drive reads
// its play position from it, so tests can move time by hand.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint64_t NowMs() const = 0;
};

// The product's clock: monotonic, so a change of the wall clock does not move a playing disc.
class SteadyClock : public Clock {
  public:
    uint64_t NowMs() const override {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count());
    }
};

// Test clock: stands still until told to move.
class ManualClock : public Clock {
  public:
    explicit ManualClock(uint64_t startMs = 0) : now(startMs) {}
    uint64_t NowMs() const override { return now; }
    void Advance(uint64_t ms) { now += ms; }

  private:
    uint64_t now;
};

}  // namespace discdeck
