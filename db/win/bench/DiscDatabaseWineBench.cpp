// The database of the 32-bit program at a million discs (about 950 MB of files), under Wine: the
// wall time of a look-up, of storing a new disc and of storing a known one, with the process's
// peak working set after them (the whole-file engine could not even load tracks.sdb here). One
// read of the whole titles.sdb comes last, as the yardstick, after the peak is taken.
//   db_bench_wine.exe <folder> [discs]
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/bench/BenchDatabase.h"
#include "db/win/bench/WineBenchMeasures.h"
#include "ports/win/WinFilePort.h"

namespace discdeck::bench {
namespace {

int Run(const std::string& dir, uint32_t discs) {
    WinFilePort files;
    double start = Now();
    if (!FillDatabase(files, dir, discs)) {
        std::fprintf(stderr, "can't write the database in %s\n", dir.c_str());
        return 1;
    }
    std::printf("wine  %u discs written in %.1f s\n", discs, Now() - start);

    DiscDatabase database(files, dir);
    DiscInfo info;
    const int lookUps = 20;
    start = Now();
    for (int i = 0; i < lookUps; ++i) {
        info.discId = DiscIdOf(static_cast<uint32_t>((uint64_t{discs} * (2 * i + 1)) / (2 * lookUps)));
        if (!database.LookUpDisc(info)) {
            std::fprintf(stderr, "stored disc %08x not found\n", info.discId);
            return 1;
        }
    }
    double lookUp = (Now() - start) / lookUps;

    Silent messages;
    LoadNewDisc(info, DiscIdOf(discs));
    start = Now();
    database.StoreDisc(info, messages);
    double storeNew = Now() - start;
    info.discTitle.clear();
    if (!database.LookUpDisc(info) || info.discTitle != "New Artist / New Album") {
        std::fprintf(stderr, "the new disc was not stored\n");
        return 1;
    }
    start = Now();
    database.StoreDisc(info, messages);
    double storeKnown = Now() - start;
    double peak = PeakWorkingSetMb();

    std::vector<uint8_t> titles;
    start = Now();
    ReadWholeFile(files, dir + "\\titles.sdb", titles);
    double readTitles = Now() - start;

    std::printf("wine  LookUpDisc     %9.1f ms  (mean of %d)\n", lookUp * 1000, lookUps);
    std::printf("wine  StoreNewDisc   %9.1f ms\n", storeNew * 1000);
    std::printf("wine  StoreKnownDisc %9.1f ms\n", storeKnown * 1000);
    std::printf("wine  peak working set after them: %.1f MB\n", peak);
    std::printf("wine  ReadTitlesFile %9.1f ms  (LookUpDisc / ReadTitlesFile = %.2f)\n", readTitles * 1000,
                lookUp / readTitles);
    return 0;
}

}  // namespace
}  // namespace discdeck::bench

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: db_bench_wine.exe <folder> [discs]\n");
        return 2;
    }
    uint32_t discs = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000000;
    int result = discdeck::bench::Run(argv[1], discs);
    DeleteFileA((std::string(argv[1]) + "\\titles.sdb").c_str());
    DeleteFileA((std::string(argv[1]) + "\\tracks.sdb").c_str());
    return result;
}
