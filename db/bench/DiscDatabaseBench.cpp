// Cost of the database operations as the database grows, each beside its yardstick:
//  - LookUpDisc against ReadTitlesFile, one sequential read of the whole titles.sdb;
//  - StoreNewDisc against CopyBothFiles, reading and writing both files once with the same flushes
//    (the least any store that rewrites the files can do);
//  - StoreKnownDisc, a store that finds its disc and writes nothing.
// scripts/bench prints the ratios. The files live in $DISCDECK_BENCH_DIR (default: the system's
// temporary directory) and are removed at the end. Each stored disc has 10 tracks.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "db/bench/BenchDatabase.h"
#include "ports/PosixFilePort.h"

namespace discdeck::bench {
namespace {

void RemoveTree(const std::string& path) {
    if (DIR* dir = ::opendir(path.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                ::unlink((path + "/" + entry->d_name).c_str());
            }
        }
        ::closedir(dir);
    }
    ::rmdir(path.c_str());
}

// One directory per database size, written once and shared by the benchmarks.
class Databases {
  public:
    ~Databases() {
        for (const auto& entry : dirs) {
            RemoveTree(entry.second);
        }
        if (!root.empty()) {
            ::rmdir(root.c_str());
        }
    }

    const std::string& For(uint32_t discs) {
        auto found = dirs.find(discs);
        if (found != dirs.end()) {
            return found->second;
        }
        if (root.empty()) {
            const char* base = std::getenv("DISCDECK_BENCH_DIR");
            if (base == nullptr || *base == '\0') {
                base = std::getenv("TMPDIR");
            }
            std::string pattern = std::string(base && *base ? base : "/tmp") + "/discdeck-bench-XXXXXX";
            std::vector<char> buffer(pattern.begin(), pattern.end());
            buffer.push_back('\0');
            if (::mkdtemp(buffer.data()) == nullptr) {
                std::abort();
            }
            root = buffer.data();
        }
        std::string dir = root + "/" + std::to_string(discs);
        ::mkdir(dir.c_str(), 0700);
        Refill(dir, discs);
        return dirs[discs] = dir;
    }

    static void Refill(const std::string& dir, uint32_t discs) {
        PosixFilePort files;
        if (!FillDatabase(files, dir, discs)) {
            std::abort();
        }
    }

  private:
    std::string root;
    std::map<uint32_t, std::string> dirs;
};

Databases& Shared() {
    static Databases databases;
    return databases;
}

void ReadTitlesFile(benchmark::State& state) {
    const std::string& dir = Shared().For(static_cast<uint32_t>(state.range(0)));
    PosixFilePort files;
    std::vector<uint8_t> content;
    for (auto _ : state) {
        if (!ReadWholeFile(files, dir + "/titles.sdb", content)) {
            state.SkipWithError("titles.sdb can't be read");
            break;
        }
        benchmark::DoNotOptimize(content.data());
        std::vector<uint8_t>().swap(content);  // a fresh buffer each time, as a load makes one
    }
}

void LookUpDisc(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    DiscDatabase database(files, dir);
    DiscInfo info;
    // The discs looked up step through the database by the golden ratio: from the first few
    // iterations on they lie evenly over the whole of both files, so the mean is that of any disc.
    // (A small fixed stride would look up only the first discs in the short runs of the largest
    // sizes, whose tracks lie at the start of tracks.sdb.)
    double position = 0.5;
    for (auto _ : state) {
        info.discId = DiscIdOf(static_cast<uint32_t>(position * discs));
        position += 0.6180339887498949;
        position -= position >= 1.0 ? 1.0 : 0.0;
        if (!database.LookUpDisc(info)) {
            state.SkipWithError("stored disc not found");
            break;
        }
    }
}

// Stores a new disc on every iteration (the database grows by one disc each time).
void StoreNewDisc(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    DiscDatabase database(files, dir);
    DiscInfo info;
    Silent messages;
    uint32_t next = discs;
    for (auto _ : state) {
        LoadNewDisc(info, DiscIdOf(next++));
        database.StoreDisc(info, messages);
    }
    // Outside the timed loop: later runs find the database at its own size again.
    Databases::Refill(dir, discs);
}

void CopyBothFiles(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    for (auto _ : state) {
        if (!CopyWithAddedRecords(files, dir + "/tracks.sdb", kTracksPerDisc, kTrackRecordLength) ||
            !CopyWithAddedRecords(files, dir + "/titles.sdb", 1, kTitleRecordLength)) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    Databases::Refill(dir, discs);
}

// Storing a disc that is already there: the titles read, nothing written.
void StoreKnownDisc(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    DiscDatabase database(files, dir);
    DiscInfo info;
    Silent messages;
    LoadNewDisc(info, DiscIdOf(discs / 2));
    for (auto _ : state) {
        database.StoreDisc(info, messages);
    }
}

void Sizes(benchmark::internal::Benchmark* bench) {
    bench->Unit(benchmark::kMillisecond)->UseRealTime();
    for (int64_t discs : {1000, 10000, 100000, 1000000}) {
        bench->Arg(discs);
    }
}

// Each store rewrites up to a gigabyte and waits for the disk: a few rounds are enough.
void StoreSizes(benchmark::internal::Benchmark* bench) {
    Sizes(bench);
    bench->MinTime(0.2);
}

BENCHMARK(ReadTitlesFile)->Apply(Sizes);
BENCHMARK(LookUpDisc)->Apply(Sizes);
BENCHMARK(StoreKnownDisc)->Apply(Sizes);
BENCHMARK(CopyBothFiles)->Apply(StoreSizes);
BENCHMARK(StoreNewDisc)->Apply(StoreSizes);

}  // namespace
}  // namespace discdeck::bench

BENCHMARK_MAIN();
