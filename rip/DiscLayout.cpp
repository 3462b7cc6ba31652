#include "rip/DiscLayout.h"

#include <algorithm>

namespace discdeck {

namespace {

// Discs end by 99:59:74 (absolute), as the MSF minutes of a CD do.
constexpr uint64_t kMaxDiscFrames = 100ull * mci::kFramesPerMinute;

// A stretch of one file that belongs to one track: from a track's first index (or the file's start)
// to the next track's first index (or the file's end).
struct Piece {
    size_t track;
    uint64_t from;  // frames into the file
};

CueError Beyond(const CueSheet& sheet, size_t track, size_t file, uint64_t fileFrames) {
    const CueTrack& t = sheet.tracks[track];
    return MakeCueError(CueStatus::BeyondDataFile, t.line,
                        "track " + std::to_string(t.number) + " starts at or after the end of \"" +
                            sheet.files[file].name + "\" (" + CueTimeText(fileFrames) + " long)");
}

}  // namespace

CueError LayOutDisc(const CueSheet& sheet,
                    const DataFileSize& fileSize,
                    SimulatedDisc& disc,
                    std::vector<AudioSpan>* audio) {
    disc = SimulatedDisc{};
    if (audio) {
        audio->clear();
    }
    if (sheet.tracks.empty()) {
        return MakeCueError(CueStatus::NoTracks, 0, "the sheet has no TRACK");
    }
    // Where each file's pieces begin. What comes before the first track's first index belongs to
    // the first track (its pregap, or audio hidden before it); the start of any later file belongs
    // to the track still running.
    std::vector<std::vector<Piece>> pieces(sheet.files.size());
    size_t running = 0;
    for (size_t f = 0; f < sheet.files.size(); ++f) {
        pieces[f].push_back({running, 0});
        for (size_t t = 0; t < sheet.tracks.size(); ++t) {
            const CueTrack& track = sheet.tracks[t];
            if (track.startFile >= sheet.files.size() || track.file >= sheet.files.size()) {
                return MakeCueError(CueStatus::OutOfPlace, track.line, "TRACK before FILE");
            }
            if (track.startFile == f) {
                if (pieces[f].back().from == track.startFrames) {
                    pieces[f].pop_back();  // nothing of the track before it in this file
                }
                pieces[f].push_back({t, track.startFrames});
                running = t;
            }
        }
    }

    SimulatedDisc result;
    result.tracks.resize(sheet.tracks.size());
    std::vector<bool> placed(sheet.tracks.size(), false);
    std::vector<uint64_t> lengths(sheet.files.size(), 0);  // frames
    uint64_t position = mci::kPregapFrames;                // absolute frame where the next piece goes
    std::optional<size_t> previousTrack;
    for (size_t f = 0; f < sheet.files.size(); ++f) {
        const CueFile& file = sheet.files[f];
        // A file's length is known in frames (REM LEADOUT) or in bytes, which the tracks' sector
        // sizes turn into frames piece by piece.
        std::optional<uint64_t> statedFrames;
        uint64_t bytes = 0;
        if (f + 1 == sheet.files.size() && sheet.leadOutFrames) {
            statedFrames = *sheet.leadOutFrames;
        } else if (std::optional<uint64_t> size = fileSize(file)) {
            bytes = *size;
        } else {
            return MakeCueError(CueStatus::DataFileNotFound, file.line, "file \"" + file.name + "\" not found");
        }
        uint64_t offset = 0;  // bytes of the file before the piece
        for (size_t p = 0; p < pieces[f].size(); ++p) {
            const Piece& piece = pieces[f][p];
            const CueTrack& track = sheet.tracks[piece.track];
            const uint64_t sectorBytes = HoldsRawSectors(file.type) ? track.sectorBytes : kBytesPerFrame;
            uint64_t frames = 0;
            if (p + 1 < pieces[f].size()) {
                frames = pieces[f][p + 1].from - piece.from;
            } else if (statedFrames) {
                frames = *statedFrames > piece.from ? *statedFrames - piece.from : 0;
            } else if (HoldsRawSectors(file.type)) {
                frames = bytes > offset ? (bytes - offset) / sectorBytes : 0;  // only whole sectors
            } else {
                // Audio files need not end on a frame: their last frame is filled up with silence,
                // so no sample is lost.
                frames = bytes > offset ? (bytes - offset + sectorBytes - 1) / sectorBytes : 0;
            }
            // A track may not begin past the file's end (nor at it, which the placement below finds).
            if (statedFrames ? piece.from > *statedFrames : offset > bytes) {
                return Beyond(sheet, piece.track, f, statedFrames ? *statedFrames : bytes / sectorBytes);
            }
            // Anything longer than a disc is refused below; clamping keeps the sums from overflowing.
            frames = std::min<uint64_t>(frames, kMaxDiscFrames);
            if (previousTrack != piece.track) {
                if (previousTrack) {
                    position += sheet.tracks[*previousTrack].postgapFrames;
                }
                position += track.pregapFrames;
                previousTrack = piece.track;
            }
            if (track.file == f && track.indexFrames >= piece.from && track.indexFrames < piece.from + frames) {
                const uint64_t start = position + (track.indexFrames - piece.from);
                result.tracks[piece.track] = {static_cast<uint32_t>(std::min<uint64_t>(start, kMaxDiscFrames)),
                                              track.audio};
                placed[piece.track] = true;
            }
            if (audio && track.audio && frames > 0 && position < kMaxDiscFrames) {
                audio->push_back({static_cast<uint32_t>(position), static_cast<uint32_t>(frames), f, offset});
            }
            position += frames;
            offset += frames * sectorBytes;
            lengths[f] += frames;
        }
    }
    for (size_t t = 0; t < sheet.tracks.size(); ++t) {
        const CueTrack& track = sheet.tracks[t];
        if (!placed[t]) {
            return Beyond(sheet, t, track.file, lengths[track.file]);
        }
        if (t > 0 && result.tracks[t].startFrame <= result.tracks[t - 1].startFrame) {
            return MakeCueError(CueStatus::IndexOutOfOrder, track.line,
                                "track " + std::to_string(track.number) + " does not start after the previous track");
        }
    }
    const uint64_t leadOut = position + sheet.tracks.back().postgapFrames;
    if (leadOut >= kMaxDiscFrames) {
        uint32_t line = sheet.leadOutFrames ? sheet.leadOutLine : sheet.files.back().line;
        if (audio) {
            audio->clear();
        }
        return MakeCueError(CueStatus::DiscTooLong, line, "the disc would end after 99:59:74");
    }
    result.leadOutFrame = static_cast<uint32_t>(leadOut);
    disc = std::move(result);
    return {};
}

}  // namespace discdeck
