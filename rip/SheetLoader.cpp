#include "rip/SheetLoader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "rip/DataFiles.h"
#include "rip/DiscLayout.h"
#include "rip/FlacAudioFile.h"
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

bool SameBlind(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// The value of the first Vorbis comment of that name (names are case-blind), empty without one.
std::string CommentValue(const std::vector<std::string>& comments, std::string_view name) {
    for (const std::string& comment : comments) {
        const size_t equals = comment.find('=');
        if (equals != std::string::npos && SameBlind(std::string_view(comment).substr(0, equals), name)) {
            return comment.substr(equals + 1);
        }
    }
    return std::string();
}

// The sheet a CUESHEET block describes, written out so that it is read by the rules every sheet
// follows. Positions in samples become frames of 588 samples.
std::string SheetTextOf(const std::vector<FlacCueTrack>& tracks) {
    std::string text = "FILE \"image\" FLAC\n";
    // The block's last track is the lead-out, which the file's length gives.
    for (size_t t = 0; t + 1 < tracks.size(); ++t) {
        const FlacCueTrack& track = tracks[t];
        text += "TRACK " + std::to_string(track.number) + (track.audio ? " AUDIO\n" : " MODE1/2352\n");
        for (const auto& [number, offset] : track.indices) {
            text += "INDEX " + std::to_string(number) + " " + CueTimeText((track.offset + offset) / kSamplesPerFrame) +
                    "\n";
        }
    }
    return text;
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
    CueError error = ParseCueSheet(SheetTextOf(*flac->CueTracks()), sheet);
    // The lines are those of the text made here, which mean nothing to the user.
    error.line = 0;
    if (!error.Ok()) {
        return error;
    }
    sheet.files.front().name = path.filename().u8string();
    sheet.files.front().line = 0;
    for (CueTrack& track : sheet.tracks) {
        track.line = 0;
        char name[32];
        std::snprintf(name, sizeof name, "CUE_TRACK%02u_TITLE", track.number);
        track.title = CommentValue(flac->Comments(), name);
    }
    sheet.performer = CommentValue(flac->Comments(), "ARTIST");
    sheet.title = CommentValue(flac->Comments(), "ALBUM");
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
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
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
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
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
