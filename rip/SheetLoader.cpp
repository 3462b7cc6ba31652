#include "rip/SheetLoader.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "rip/DataFiles.h"
#include "rip/DiscLayout.h"
#include "rip/FlacAudioFile.h"
#include "rip/FlacImage.h"
#include "rip/PathFromUtf8.h"
#include "rip/SheetAudio.h"

namespace discdeck {

namespace {

// Lays out a sheet whose data files are open (files[i] holds sheet.files[i]; null: not at hand).
CueError LayOutOpenFiles(const CueSheet& sheet,
                         std::vector<std::unique_ptr<AudioFile>> files,
                         SimulatedDisc& disc,
                         std::unique_ptr<DiscAudio>* audio) {
    std::vector<AudioSpan> spans;
    CueError error = LayOutDisc(
        sheet,
        [&sheet, &files](const CueFile& file) -> std::optional<uint64_t> {
            const AudioFile* data = files[static_cast<size_t>(&file - sheet.files.data())].get();
            return data ? std::optional<uint64_t>(data->Units() * 4) : std::nullopt;
        },
        disc, &spans);
    if (error.Ok() && audio) {
        *audio = std::make_unique<SheetAudio>(std::move(files), std::move(spans));
    }
    return error;
}

// A FLAC file with the sheet of the disc it holds in its CUESHEET block, and the titles in its
// Vorbis comments: ARTIST and ALBUM for the disc, CUE_TRACKnn_TITLE for track nn.
CueError LoadFlacImage(const std::filesystem::path& path,
                       CueSheet& sheet,
                       SimulatedDisc& disc,
                       std::unique_ptr<DiscAudio>* audio) {
    std::string problem;
    bool unsupported = false;
    std::unique_ptr<FlacAudioFile> flac = FlacAudioFile::Open(path, problem, unsupported);
    if (!flac) {
        return MakeCueError(unsupported ? CueStatus::UnsupportedAudio : CueStatus::DataFileUnreadable, 0,
                            "the file " + problem);
    }
    if (!flac->CueTracks()) {
        return MakeCueError(CueStatus::NoTracks, 0, "the file holds no sheet (no CUESHEET block)");
    }
    if (CueError error = SheetOfFlacImage(*flac->CueTracks(), flac->Comments(), path.filename().u8string(), sheet);
        !error.Ok()) {
        return error;
    }
    std::vector<std::unique_ptr<AudioFile>> files;
    files.push_back(std::move(flac));
    return LayOutOpenFiles(sheet, std::move(files), disc, audio);
}

}  // namespace

CueError LoadCueSheet(const std::string& path,
                      CueSheet& sheet,
                      SimulatedDisc& disc,
                      std::unique_ptr<DiscAudio>* audio) {
    sheet = CueSheet{};
    disc = SimulatedDisc{};
    if (audio) {
        audio->reset();
    }
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        return MakeCueError(CueStatus::CannotRead, 0, "the sheet cannot be opened");
    }
    std::string text;
    text.resize(kMaxCueSheetBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return MakeCueError(CueStatus::CannotRead, 0, "the sheet cannot be read");
    }
    text.resize(static_cast<size_t>(in.gcount()));
    // A FLAC stream (possibly behind an ID3 tag) is an image that may carry its sheet.
    if (text.compare(0, 4, "fLaC") == 0 || text.compare(0, 3, "ID3") == 0) {
        in.close();
        return LoadFlacImage(std::filesystem::path(path), sheet, disc, audio);
    }
    if (text.size() > kMaxCueSheetBytes) {
        return MakeCueError(CueStatus::TooLarge, 0,
                            "the sheet is larger than " + std::to_string(kMaxCueSheetBytes) + " bytes");
    }
    if (CueError error = ParseCueSheet(text, sheet); !error.Ok()) {
        return error;
    }
    const std::filesystem::path folder = PathFromUtf8(path).parent_path();
    std::vector<std::unique_ptr<AudioFile>> files(sheet.files.size());
    for (size_t i = 0; i < sheet.files.size(); ++i) {
        CueError error = OpenDataFile(folder, sheet.files[i], files[i]);
        // REM LEADOUT states the last file's length: without the file the disc is silent there.
        const bool stated = i + 1 == sheet.files.size() && sheet.leadOutFrames;
        if (!error.Ok() && !(stated && error.status == CueStatus::DataFileNotFound)) {
            return error;
        }
    }
    return LayOutOpenFiles(sheet, std::move(files), disc, audio);
}

}  // namespace discdeck
