#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace discdeck {

// What went wrong in a CUE sheet; the line says where (0 when it is about the sheet as a whole).
enum class CueStatus {
    Ok,
    CannotRead,          // the sheet file cannot be read
    TooLarge,            // the sheet file is larger than kMaxCueSheetBytes
    MissingArgument,     // a command without its value
    ExtraArgument,       // more values than the command takes
    UnclosedQuote,       // a quoted value of FILE, TRACK, INDEX or a gap without its closing quote
    BadTime,             // not mm:ss:ff with ss below 60 and ff below 75
    BadNumber,           // a track or index number that is not 1 to 99 (index 0 to 99)
    BadFileType,         // FILE type other than BINARY, MOTOROLA, WAVE or FLAC
    BadTrackType,        // TRACK type other than AUDIO or a data mode with its sector size (on the disc)
    OutOfPlace,          // TRACK before FILE, INDEX before TRACK, a second REM LEADOUT, INDEX 00 or 01
    TrackOutOfSequence,  // track numbers must run 1, 2, 3, ...
    TooManyTracks,       // more than kMaxCueTracks
    MissingIndex,        // a track without INDEX 01 (a last one without it is left out)
    IndexOutOfOrder,     // an index before the one it follows, a track starting at or before the previous one
    NoTracks,            // no TRACK at all
    DataFileNotFound,    // a data file that is not there, not even by its name in another case
    DataFileUnreadable,  // a data file that cannot be opened, read or decoded
    UnsupportedAudio,    // audio other than 44.1 kHz 16-bit stereo PCM, or a file of another kind
    BeyondDataFile,      // a track starting at or after the end of its data file
    DiscTooLong,         // the disc would end after 99:59:74
};

constexpr uint32_t kMaxCueTracks = 99;
constexpr size_t kMaxCueSheetBytes = 1 << 20;
// Bytes of one raw CD frame (an audio sector) in the data file.
constexpr uint32_t kBytesPerFrame = 2352;

struct CueError {
    CueStatus status = CueStatus::Ok;
    uint32_t line = 0;
    std::string message;

    bool Ok() const { return status == CueStatus::Ok; }
};

// What follows "Cannot play album.cue: ", e.g. "line 12: file "02.flac" not found" (without the
// line for what concerns the sheet as a whole).
std::string DescribeCueError(const CueError& error);

// An error of the sheet at a line (0: about the sheet as a whole).
CueError MakeCueError(CueStatus status, uint32_t line, std::string message);

// A length in frames as the sheet writes times (mm:ss:ff), for messages.
std::string CueTimeText(uint64_t frames);

enum class CueFileType {
    Binary,    // raw sectors, audio little-endian
    Motorola,  // raw sectors, audio big-endian
    Wave,      // audio in a container: a RIFF WAVE file, or a FLAC file (sheets often say WAVE for it)
    Flac,
};

struct CueFile {
    std::string name;
    CueFileType type = CueFileType::Binary;
    uint32_t line = 0;
};

// A file holding sectors as written (BINARY, MOTOROLA): data tracks take their own sector size in it.
// The other kinds hold audio only, 2352 bytes a frame whatever the track.
inline bool HoldsRawSectors(CueFileType type) {
    return type == CueFileType::Binary || type == CueFileType::Motorola;
}

struct CueTrack {
    uint32_t number = 0;
    bool audio = true;
    uint32_t sectorBytes = kBytesPerFrame;  // in a raw file: 2048 or 2336 for some data modes
    std::string title;
    std::string performer;
    size_t file = 0;            // index into CueSheet::files: the file holding INDEX 01
    uint32_t indexFrames = 0;   // INDEX 01, relative to the start of that file
    size_t startFile = 0;       // where the track's sectors begin: INDEX 00 when it has one (which may
    uint32_t startFrames = 0;   // lie in the previous file), else INDEX 01
    uint32_t pregapFrames = 0;  // PREGAP: silence before the track that the file does not hold
    uint32_t postgapFrames = 0;
    uint32_t line = 0;
};

// A parsed sheet: positions as written (relative to the data files). TITLE and PERFORMER are kept
// for display; the drive needs only the layout.
struct CueSheet {
    std::string title;
    std::string performer;
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
    // REM LEADOUT mm:ss:ff: the length of the (last) data file, written like an INDEX time, for
    // sheets whose data file is not at hand.
    std::optional<uint32_t> leadOutFrames;
    uint32_t leadOutLine = 0;
};

// The titles a rip carries: the disc's as "performer / title" (or whichever of the two it has) and
// each track's TITLE, in track order.
struct RipTitles {
    std::string disc;
    std::vector<std::string> tracks;

    bool Empty() const;
};
RipTitles TitlesOfSheet(const CueSheet& sheet);

// Reads the text of a sheet (LF or CRLF lines; UTF-8, single-byte, or UTF-16 with its byte-order
// mark, which is read as UTF-8). Keywords are case-blind; values may be quoted.
// Commands that do not shape the disc (CATALOG, ISRC, FLAGS, SONGWRITER, CDTEXTFILE, other REMs,
// unknown ones) are skipped; malformed times and numbers and misplaced commands are errors with
// their line number.
CueError ParseCueSheet(std::string_view text, CueSheet& sheet);

}  // namespace discdeck
