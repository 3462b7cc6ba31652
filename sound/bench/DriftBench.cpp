// A model of the sound engine on a device whose crystal drifts against the system clock: the
// feeder wakes every kFeedPeriodMs of system time, the device plays its own 44.1 kHz, slightly
// fast or slow, from four 100 ms buffers. One iteration plays 80 minutes; the counters say how
// often the device ran dry (a dropout: an audible gap) and when it first did.
#include <benchmark/benchmark.h>

#include <deque>

#include "sound/SoundPlayer.h"

namespace discdeck {
namespace {

class DriftingOutput : public SoundOutput {
  public:
    explicit DriftingOutput(int ppm) : ppm(ppm) {}

    bool Open() override { return true; }
    void Close() override {}
    uint32_t FreeBuffers() override { return kBuffers - static_cast<uint32_t>(queue.size()); }
    bool Write(const uint8_t* data, uint32_t bytes) override {
        benchmark::DoNotOptimize(data[0]);
        queue.push_back(bytes / kBytesPerSample);
        return true;
    }
    void Pause() override {}
    void Restart() override {}
    void Reset() override {
        queue.clear();
        played = 0;
    }
    uint64_t PlayedSamples() override { return played; }

    // The device plays for a span of system time, at its own rate.
    void Run(uint64_t systemMs, uint64_t nowMs) {
        owedMicroSamples += systemMs * kSampleRate * (1000000 + ppm) / 1000;
        uint64_t owed = owedMicroSamples / 1000000;
        owedMicroSamples %= 1000000;
        while (owed > 0 && !queue.empty()) {
            const uint64_t take = std::min<uint64_t>(owed, queue.front());
            queue.front() -= static_cast<uint32_t>(take);
            played += take;
            owed -= take;
            if (queue.front() == 0) {
                queue.pop_front();
            }
            starving = false;
        }
        if (owed > 0 && !starving) {
            starving = true;
            if (dropouts++ == 0) {
                firstDropoutMs = nowMs;
            }
        }
    }

    static constexpr uint32_t kBuffers = 4;
    int ppm;
    std::deque<uint32_t> queue;  // samples left in each buffer handed over
    uint64_t owedMicroSamples = 0;
    uint64_t played = 0;
    bool starving = false;
    uint64_t dropouts = 0;
    uint64_t firstDropoutMs = 0;
};

void BM_DropoutsPerDrift(benchmark::State& state) {
    const int ppm = static_cast<int>(state.range(0));
    constexpr uint64_t kPlayMs = 80 * 60 * 1000;
    for (auto _ : state) {
        ManualClock clock;
        DriftingOutput output(ppm);
        SoundPlayer player(output, clock, SoundPlayer::Feeding::ByHand);
        player.Start(0, kPlayMs * kSampleRate / 1000 * 2);
        player.Feed();
        for (uint64_t ms = 0; ms < kPlayMs; ms += SoundPlayer::kFeedPeriodMs) {
            clock.Advance(SoundPlayer::kFeedPeriodMs);
            output.Run(SoundPlayer::kFeedPeriodMs, clock.NowMs());
            player.Feed();
        }
        state.counters["ppm"] = ppm;
        state.counters["dropouts"] = static_cast<double>(output.dropouts);
        state.counters["first_dropout_min"] = output.dropouts ? output.firstDropoutMs / 60000.0 : -1;
    }
}
BENCHMARK(BM_DropoutsPerDrift)
    ->Arg(-1000)
    ->Arg(-500)
    ->Arg(-100)
    ->Arg(0)
    ->Arg(100)
    ->Arg(500)
    ->Arg(1000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace discdeck

BENCHMARK_MAIN();
