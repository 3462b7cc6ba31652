// The sound player's cost: CPU time per second of playback (reading the image and handing buffers
// to the device), and the time from PLAY to the first buffer the device gets.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "rip/CueSheet.h"
#include "rip/SheetLoader.h"
#include "sound/SoundPlayer.h"

namespace discdeck {
namespace {

// A device that plays whatever it is given at once, and tells when the first buffer came.
class InstantOutput : public SoundOutput {
  public:
    bool Open() override { return true; }
    void Close() override {}
    uint32_t FreeBuffers() override { return 4; }
    bool Write(const uint8_t* data, uint32_t bytes) override {
        played += bytes / kBytesPerSample;
        benchmark::DoNotOptimize(data[bytes - 1]);
        std::lock_guard<std::mutex> guard(lock);
        if (!written) {
            written = true;
            firstWrite = std::chrono::steady_clock::now();
            wrote.notify_one();
        }
        return true;
    }
    void Pause() override {}
    void Restart() override {}
    void Reset() override { played = 0; }
    uint64_t PlayedSamples() override { return played; }

    uint64_t played = 0;
    std::mutex lock;
    std::condition_variable wrote;
    bool written = false;
    std::chrono::steady_clock::time_point firstWrite;
};

// A one-file image of a few minutes of sound and its sheet, in the temporary folder.
struct Image {
    Image() {
        folder = std::filesystem::temp_directory_path() / "discdeck-sound-bench";
        std::filesystem::create_directories(folder);
        std::vector<char> frame(kBytesPerFrame);
        for (size_t i = 0; i < frame.size(); ++i) {
            frame[i] = static_cast<char>(i * 31);
        }
        std::ofstream bin(folder / "image.bin", std::ios::binary);
        for (int i = 0; i < 3 * 60 * 75; ++i) {
            bin.write(frame.data(), static_cast<std::streamsize>(frame.size()));
        }
        std::ofstream(folder / "image.cue") << "FILE \"image.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                               "  TRACK 02 AUDIO\n    INDEX 01 01:00:00\n";
        CueSheet sheet;
        SimulatedDisc disc;
        std::unique_ptr<DiscAudio> loaded;
        if (!LoadCueSheet((folder / "image.cue").string(), sheet, disc, &loaded).Ok() || !loaded) {
            std::fprintf(stderr, "bench: the image does not load\n");
            std::abort();
        }
        audio = std::move(loaded);
    }
    ~Image() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::shared_ptr<DiscAudio> audio;
};

// One iteration is one second of playback from a BIN image: its CPU time in microseconds divided by
// 10 000 is the share of one core, in percent, that the sound costs.
void BM_PlaybackSecondFromBin(benchmark::State& state) {
    Image image;
    InstantOutput output;
    ManualClock clock;
    SoundPlayer player(output, clock, SoundPlayer::Feeding::ByHand);
    player.SetSource(image.audio);
    const uint64_t start = 150 * kSamplesPerFrame;
    player.Start(start, start + 170ull * kSampleRate);
    for (auto _ : state) {
        clock.Advance(1000);
        while (player.Feed() > 0) {
        }
        if (player.Position() >= start + 160ull * kSampleRate) {
            state.PauseTiming();
            player.Start(start, start + 170ull * kSampleRate);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_PlaybackSecondFromBin)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// From PLAY (a start while the feeder thread waits) to the first buffer handed to the device.
void BM_PlayToFirstBuffer(benchmark::State& state) {
    Image image;
    SteadyClock clock;
    for (auto _ : state) {
        InstantOutput output;
        SoundPlayer player(output, clock);
        player.SetSource(image.audio);
        // Let the feeder settle into its wait first, as it does in the player between commands.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const auto pressed = std::chrono::steady_clock::now();
        player.Start(150 * kSamplesPerFrame + 30 * kSampleRate, 150 * kSamplesPerFrame + 60 * kSampleRate);
        std::unique_lock<std::mutex> waiting(output.lock);
        output.wrote.wait(waiting, [&] { return output.written; });
        state.SetIterationTime(std::chrono::duration<double>(output.firstWrite - pressed).count());
    }
}
BENCHMARK(BM_PlayToFirstBuffer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace
}  // namespace discdeck

BENCHMARK_MAIN();
