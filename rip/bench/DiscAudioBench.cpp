// CPU time that playing a rip costs: one iteration reads one second of sound through DiscAudio the
// way the player streams it (ten 100 ms buffers, on from where the last one ended), from a BIN, a
// WAVE and a FLAC image of the same four-minute disc. The label gives that time as a share of one
// core: the load playback puts on the machine. The seek benchmarks read one buffer at a
// random place, as the slider and track changes do.
//
// The images are written once into $DISCDECK_BENCH_DIR (default: the system's temporary folder)
// and removed at the end. The sound is music-like (tones with a little noise), so FLAC decodes
// predicted frames as it would for a real disc.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "rip/CueSheet.h"
#include "rip/SheetLoader.h"
#include "rip/tests/RipFiles.h"

namespace discdeck {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSeconds = 240;
constexpr uint32_t kBufferSamples = kSampleRate / 10;

std::string MusicLikeSound() {
    std::string bytes(static_cast<size_t>(kSeconds) * kSampleRate * kBytesPerSample, '\0');
    std::mt19937 random(3);
    std::uniform_int_distribution<int> noise(-64, 64);
    const double notes[] = {220.0, 261.63, 329.63, 392.0, 440.0, 523.25};
    for (uint32_t i = 0; i < kSeconds * kSampleRate; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double note = notes[(i / (kSampleRate / 2)) % 6];
        const double envelope = 0.3 + 0.7 * std::exp(-3.0 * std::fmod(t, 0.5));
        for (int channel = 0; channel < 2; ++channel) {
            const double phase = 2 * M_PI * note * t + channel * 0.3;
            const double value =
                9000 * envelope * (std::sin(phase) + 0.4 * std::sin(2 * phase) + 0.2 * std::sin(3 * phase));
            const auto sample = static_cast<int16_t>(std::lround(value) + noise(random));
            bytes[i * 4 + channel * 2] = static_cast<char>(sample & 0xFF);
            bytes[i * 4 + channel * 2 + 1] = static_cast<char>((sample >> 8) & 0xFF);
        }
    }
    return bytes;
}

std::string Sheet(const std::string& file, const char* type) {
    return "FILE \"" + file + "\" " + type +
           "\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 00 01:18:00\n"
           "    INDEX 01 01:20:00\n  TRACK 03 AUDIO\n    INDEX 01 02:40:00\n";
}

// The three images and their sheets, written on first use.
class Images {
  public:
    Images() {
        const char* base = std::getenv("DISCDECK_BENCH_DIR");
        folder = fs::path(base && *base ? base : fs::temp_directory_path().string()) / "discdeck-rips";
        fs::create_directories(folder);
        const std::string sound = MusicLikeSound();
        std::ofstream(folder / "disc.bin", std::ios::binary) << sound;
        std::ofstream(folder / "disc.wav", std::ios::binary) << testing::WaveFile(sound);
        if (!testing::WriteFlac((folder / "disc.flac").string(), testing::Unpacked(sound))) {
            std::abort();
        }
        std::ofstream(folder / "bin.cue") << Sheet("disc.bin", "BINARY");
        std::ofstream(folder / "wav.cue") << Sheet("disc.wav", "WAVE");
        std::ofstream(folder / "flac.cue") << Sheet("disc.flac", "WAVE");
    }
    ~Images() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::unique_ptr<DiscAudio> Load(const char* sheetName) const {
        CueSheet sheet;
        SimulatedDisc disc;
        std::unique_ptr<DiscAudio> audio;
        if (!LoadCueSheet((folder / sheetName).string(), sheet, disc, &audio).Ok()) {
            std::abort();
        }
        return audio;
    }

  private:
    fs::path folder;
};

const Images& TheImages() {
    static Images images;
    return images;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr uint64_t kFirstSample = uint64_t{150} * kSamplesPerFrame;
constexpr uint64_t kEndSample = kFirstSample + uint64_t{kSeconds} * kSampleRate;

void Playback(benchmark::State& state, const char* sheet) {
    std::unique_ptr<DiscAudio> audio = TheImages().Load(sheet);
    std::vector<uint8_t> buffer(kBufferSamples * kBytesPerSample);
    uint64_t at = kFirstSample;
    const double before = ThreadCpuSeconds();
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            if (!audio->Read(at, kBufferSamples, buffer.data())) {
                state.SkipWithError("read failed");
                return;
            }
            benchmark::DoNotOptimize(buffer.data());
            at = at + kBufferSamples >= kEndSample ? kFirstSample : at + kBufferSamples;
        }
    }
    const double cpu = ThreadCpuSeconds() - before;
    char label[64];
    std::snprintf(label, sizeof label, "%.4f%% of one core", 100.0 * cpu / static_cast<double>(state.iterations()));
    state.SetLabel(label);
}

void Seek(benchmark::State& state, const char* sheet) {
    std::unique_ptr<DiscAudio> audio = TheImages().Load(sheet);
    std::vector<uint8_t> buffer(kBufferSamples * kBytesPerSample);
    std::mt19937_64 random(5);
    for (auto _ : state) {
        const uint64_t at = kFirstSample + random() % (kEndSample - kFirstSample - kBufferSamples);
        if (!audio->Read(at, kBufferSamples, buffer.data())) {
            state.SkipWithError("read failed");
            return;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
}

BENCHMARK_CAPTURE(Playback, Bin, "bin.cue")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Playback, Wave, "wav.cue")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Playback, Flac, "flac.cue")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Seek, Bin, "bin.cue")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Seek, Wave, "wav.cue")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Seek, Flac, "flac.cue")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace discdeck

BENCHMARK_MAIN();
