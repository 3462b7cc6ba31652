// The database preview and the titles report of the 32-bit program under Wine, each beside its
// yardstick, at any number of discs (10 tracks each). One process per measure, so that each peak
// working set is its own:
//   preview_bench_wine.exe <folder> <discs> fill      writes the database
//   preview_bench_wine.exe <folder> <discs> preview   the preview dialog shown with its tree filled
//   preview_bench_wine.exe <folder> <discs> load      the preview's reading of the files alone
//   preview_bench_wine.exe <folder> <discs> report    "Titles.htm" with the tracks
//   preview_bench_wine.exe <folder> <discs> titles    "Titles.htm" without them
//   preview_bench_wine.exe <folder> <discs> read      one sequential read of both files
//   preview_bench_wine.exe <folder> <discs> readtitles  one sequential read of titles.sdb
//   preview_bench_wine.exe <folder> <discs> copy      copying both files (the copies are removed)
//   preview_bench_wine.exe <folder> <discs> clean     removes the database and the page
// Each measure prints "<measure> <discs> <seconds> <peak working set MB>".
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/bench/BenchDatabase.h"
#include "db/win/DatabasePreviewDialog.h"
#include "db/win/bench/WineBenchMeasures.h"
#include "ports/win/WinFilePort.h"
#include "res/resource.h"

namespace discdeck::bench {
namespace {

// Reads a file front to back in blocks of 1 MB, writing each block to `copy` when there is one.
bool Stream(FilePort& files, const std::string& path, const std::string& copy) {
    std::unique_ptr<FileHandle> in = files.Open(path, FilePort::Access::Read);
    std::unique_ptr<FileHandle> out = copy.empty() ? nullptr : files.Open(copy, FilePort::Access::Overwrite);
    if (!in || (!copy.empty() && !out)) {
        return false;
    }
    std::vector<uint8_t> block(1024 * 1024);
    size_t got = 0;
    do {
        if (!in->Read(block.data(), block.size(), got) || (out && !out->Write(block.data(), got))) {
            return false;
        }
    } while (got == block.size());
    return !out || out->Close();
}

// Shows the dialog as the player does, with its tree filled and painted; `seconds` is the time
// that took. Closing is not timed: without a window manager (Xvfb) Wine waits two seconds for
// one to withdraw the window.
bool ShowPreview(DiscDatabase& database, double& seconds) {
    const double start = Now();
    DatabasePreviewDialog dialog(database);
    if (!dialog.Create()) {
        return false;
    }
    ::ShowWindow(dialog.GetHandle(), SW_SHOW);
    ::UpdateWindow(dialog.GetHandle());
    seconds = Now() - start;
    bool filled = dialog.GetTree().GetCount() > 0 && !dialog.GetCountsText().empty();
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    return filled;
}

int Run(const std::string& dir, uint32_t discs, const std::string& measure) {
    // Wine connects to the display with a process's first window: a cost of starting the program,
    // not of showing the preview.
    ::DestroyWindow(::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    WinFilePort files;
    DiscDatabase database(files, dir);
    const std::string titles = dir + "\\titles.sdb";
    const std::string tracks = dir + "\\tracks.sdb";
    const double start = Now();
    double shown = -1;
    bool done = false;
    if (measure == "fill") {
        done = FillDatabase(files, dir, discs);
    } else if (measure == "preview") {
        done = ShowPreview(database, shown);
    } else if (measure == "load") {
        done = database.Preview().Load();
    } else if (measure == "report" || measure == "titles") {
        done = database.WriteTitlesReport(measure == "report");
    } else if (measure == "read") {
        done = Stream(files, titles, std::string()) && Stream(files, tracks, std::string());
    } else if (measure == "readtitles") {
        done = Stream(files, titles, std::string());
    } else if (measure == "copy") {
        done = Stream(files, titles, titles + ".copy") && Stream(files, tracks, tracks + ".copy");
        files.Remove(titles + ".copy");
        files.Remove(tracks + ".copy");
    } else if (measure == "clean") {
        done = files.Remove(titles) && files.Remove(tracks);
        files.Remove(dir + "\\Titles.htm");
    }
    const double seconds = shown >= 0 ? shown : Now() - start;
    if (!done) {
        std::fprintf(stderr, "%s failed at %u discs\n", measure.c_str(), discs);
        return 1;
    }
    std::printf("%s %u %.3f %.1f\n", measure.c_str(), discs, seconds, PeakWorkingSetMb());
    return 0;
}

}  // namespace
}  // namespace discdeck::bench

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: preview_bench_wine.exe <folder> <discs> <measure>\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    return discdeck::bench::Run(argv[1], static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)), argv[3]);
}
