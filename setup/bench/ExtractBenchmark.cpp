// Extraction speed of the setup core against Debian's cabextract on the same MSZIP cabinet (made by
// gcab from 4 MB of text-like and random data), both writing the files to disk. The ratio
// (setup / cabextract) is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "setup/CabinetExtractor.h"
#include "setup/tests/support/DiskSetupFiles.h"
#include "setup/tests/support/SetupTestData.h"

namespace discdeck {
namespace {

struct Fixture {
    Fixture() {
        const std::vector<GcabInput> inputs = {{"text1.txt", TextBytes(1500000, 1), 1000000000},
                                               {"random.bin", RandomBytes(1000000, 2), 1000000000},
                                               {"text2.txt", TextBytes(1500000, 3), 1000000000}};
        cabinetPath = directory.path() + "bench.cab";
        if (!WriteWholeFile(cabinetPath, MakeGcabCabinet(inputs, true))) {
            std::abort();
        }
        outputPath = directory.path() + "out/";
    }
    TempDirectory directory;
    std::string cabinetPath;
    std::string outputPath;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void ClearOutput() {
    const std::string command = "rm -rf '" + Shared().outputPath + "' && mkdir -p '" + Shared().outputPath + "'";
    if (std::system(command.c_str()) != 0) {
        std::abort();
    }
}

void BM_SetupExtract(benchmark::State& state) {
    DiskSetupFiles files;
    for (auto _ : state) {
        state.PauseTiming();
        ClearOutput();
        state.ResumeTiming();
        CabinetExtractor extractor(files, Shared().cabinetPath, Shared().outputPath);
        if (!extractor.Run()) {
            state.SkipWithError(extractor.GetErrorText().c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * 4000000);
}
BENCHMARK(BM_SetupExtract)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cabextract(benchmark::State& state) {
    const std::string command = "cabextract -q -d '" + Shared().outputPath + "' '" + Shared().cabinetPath + "'";
    for (auto _ : state) {
        state.PauseTiming();
        ClearOutput();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cabextract failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * 4000000);
}
BENCHMARK(BM_Cabextract)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's real time per iteration to print the ratio after the table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions, the mean stands for the benchmark.
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
            if ((single || mean) && !run.error_occurred) {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
    }
    std::map<std::string, double> times;
};

}  // namespace
}  // namespace discdeck

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    discdeck::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto setup = reporter.times.find("BM_SetupExtract");
    const auto cabextract = reporter.times.find("BM_Cabextract");
    if (setup != reporter.times.end() && cabextract != reporter.times.end() && cabextract->second > 0) {
        std::printf("setup / cabextract extraction time: %.2f\n", setup->second / cabextract->second);
    }
    benchmark::Shutdown();
    return 0;
}
