// Cost of the database operations as the database grows: every call reads both files whole and
// sorts the titles, so look-up and store grow with the number of stored discs. The baseline is
// reading the titles file once.
//
// The files live in $DISCDECK_BENCH_DIR (default: the system's temporary directory) and are
// removed at the end. Each stored disc has 10 tracks.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/tests/InertDrive.h"
#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "ports/MessageSink.h"
#include "ports/PosixFilePort.h"

namespace discdeck {
namespace {

constexpr uint32_t kTracksPerDisc = 10;

// Distinct, well-spread disc ids (an odd multiplier is a bijection on 32 bits).
uint32_t DiscIdOf(uint32_t index) {
    return (index + 1) * 2654435761u;
}

class Silent : public MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

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
        Fill(dir, discs);
        return dirs[discs] = dir;
    }

    // The files as a long series of stores leaves them: titles sorted by id, tracks in the order
    // the discs were stored. Written directly: appending a million records one by one to a
    // RecordFile would reallocate its buffer every ten records.
    static void Fill(const std::string& dir, uint32_t discs) {
        std::vector<uint32_t> order(discs);
        for (uint32_t i = 0; i < discs; ++i) {
            order[i] = i;
        }
        std::sort(order.begin(), order.end(), [](uint32_t a, uint32_t b) { return DiscIdOf(a) < DiscIdOf(b); });
        FILE* titles = OpenWithHeader(dir + "/titles.sdb", discs, kTitleRecordLength);
        for (uint32_t i : order) {
            uint8_t title[kTitleRecordLength];
            EncodeTitleRecord(MakeTitleRecord(DiscIdOf(i), "Artist " + std::to_string(i) + " / Album", "rock",
                                              kTracksPerDisc * 240000, kTracksPerDisc),
                              title);
            std::fwrite(title, sizeof title, 1, titles);
        }
        FILE* tracks = OpenWithHeader(dir + "/tracks.sdb", discs * kTracksPerDisc, kTrackRecordLength);
        for (uint32_t i = 0; i < discs; ++i) {
            for (uint32_t t = 0; t < kTracksPerDisc; ++t) {
                uint8_t track[kTrackRecordLength];
                EncodeTrackRecord(MakeTrackRecord(DiscIdOf(i), t + 1, "Track " + std::to_string(t + 1), 240000), track);
                std::fwrite(track, sizeof track, 1, tracks);
            }
        }
        if (std::fclose(titles) != 0 || std::fclose(tracks) != 0) {
            std::abort();
        }
    }

    static FILE* OpenWithHeader(const std::string& path, uint32_t count, uint32_t length) {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            std::abort();
        }
        uint8_t header[kRecordFileHeaderLength] = {'T', 'a', 'r', 'v', 'i', 'k', 'o', 'n', '1', '.', '0', '0'};
        StoreLe32(header + 12, count);
        StoreLe32(header + 16, length);
        StoreLe32(header + 20, kRecordFileHeaderLength);
        std::fwrite(header, sizeof header, 1, file);
        return file;
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
    for (auto _ : state) {
        RecordFile titles(files);
        if (!titles.Open(dir + "/titles.sdb", kTitleRecordLength)) {
            state.SkipWithError("titles.sdb can't be opened");
            break;
        }
        benchmark::DoNotOptimize(titles.GetCount());
    }
}

void LookUpDisc(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    DiscDatabase database(files, dir);
    InertDrive drive;
    CdAudioDevice device(drive);
    uint32_t next = 0;
    for (auto _ : state) {
        device.discId = DiscIdOf(next);
        next = (next + 7919) % discs;
        if (!database.LookUpDisc(device)) {
            state.SkipWithError("stored disc not found");
            break;
        }
    }
}

void LoadNewDisc(CdAudioDevice& device, uint32_t id) {
    device.discId = id;
    device.discTitle = "New Artist / New Album";
    device.category = "misc";
    device.trackCount = kTracksPerDisc;
    for (uint32_t t = 0; t <= kTracksPerDisc; ++t) {
        device.tracks[t].startMs = 2000 + t * 240000;
        if (t < kTracksPerDisc) {
            device.trackTitles[t] = "New track " + std::to_string(t + 1);
        }
    }
}

// Stores a new disc on every iteration (the database grows by one disc each time).
void StoreNewDisc(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    DiscDatabase database(files, dir);
    InertDrive drive;
    CdAudioDevice device(drive);
    Silent messages;
    uint32_t next = discs;
    for (auto _ : state) {
        LoadNewDisc(device, DiscIdOf(next++));
        database.StoreDisc(device, messages);
    }
    // Later runs find the database at its original size again (outside the timed loop).
    Databases::Fill(dir, discs);
}

// Storing a disc that is already there: both files read and the titles sorted, nothing written.
void StoreKnownDisc(benchmark::State& state) {
    const uint32_t discs = static_cast<uint32_t>(state.range(0));
    const std::string& dir = Shared().For(discs);
    PosixFilePort files;
    DiscDatabase database(files, dir);
    InertDrive drive;
    CdAudioDevice device(drive);
    Silent messages;
    LoadNewDisc(device, DiscIdOf(discs / 2));
    for (auto _ : state) {
        database.StoreDisc(device, messages);
    }
}

void Sizes(benchmark::internal::Benchmark* bench) {
    bench->Unit(benchmark::kMillisecond)->UseRealTime();
    for (int64_t discs : {1000, 10000, 100000, 1000000}) {
        bench->Arg(discs);
    }
}

BENCHMARK(ReadTitlesFile)->Apply(Sizes);
BENCHMARK(LookUpDisc)->Apply(Sizes);
BENCHMARK(StoreKnownDisc)->Apply(Sizes);
BENCHMARK(StoreNewDisc)->Apply(Sizes);

}  // namespace
}  // namespace discdeck

BENCHMARK_MAIN();
