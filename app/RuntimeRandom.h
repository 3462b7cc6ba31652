#pragma once

#include <cstdint>

namespace discdeck {

// The pseudo-random sequence of the Windows C runtime's rand() without srand: the state starts at
// 1, steps x = x * 214013 + 2531011 (mod 2^32) and each value is bits 16 to 30 of the new state.
// The player never seeds it, so the Random play mode picks the same tracks in every run; keeping the
// generator here (instead of calling the host's rand()) keeps those picks identical on every
// platform and in the native tests.
class RuntimeRandom {
  public:
    static constexpr uint32_t kMax = 0x7FFF;

    uint32_t Next() {
        state = Step(state);
        return (state >> 16) & kMax;
    }
    // The value Next will give, without taking it: a rip's drive is told the next random track
    // before the track that plays ends.
    uint32_t Peek() const { return (Step(state) >> 16) & kMax; }

  private:
    static uint32_t Step(uint32_t x) { return x * 214013u + 2531011u; }
    uint32_t state = 1;
};

}  // namespace discdeck
