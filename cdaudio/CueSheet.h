#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/SimulatedDrive.h"

namespace discdeck {

// What went wrong in a CUE sheet; the line says where (0 when it is about the sheet as a whole).
enum class CueStatus {
    Ok,
    CannotRead,          // the sheet file cannot be read
    TooLarge,            // the sheet file is larger than kMaxCueSheetBytes
    UnknownCommand,      // a keyword the sheet format does not have
    MissingArgument,     // a command without its value
    ExtraArgument,       // more values than the command takes
    UnclosedQuote,       // a quoted value without its closing quote
    BadTime,             // not mm:ss:ff with ss below 60 and ff below 75
    BadNumber,           // a track or index number that is not 1 to 99
    BadFileType,         // FILE type other than BINARY or WAVE
    BadTrackType,        // TRACK type other than AUDIO, MODE1/2352, MODE2/2352
    OutOfPlace,          // TRACK before FILE, INDEX before TRACK, a second REM LEADOUT or INDEX 01
    TrackOutOfSequence,  // track numbers must run 1, 2, 3, ...
    TooManyTracks,       // more than kMaxCueTracks
    MissingIndex,        // a track without INDEX 01
    IndexOutOfOrder,     // a track starting at or before the previous one
    NoTracks,            // no TRACK at all
    DataFileUnreadable,  // the length of a data file is needed and its size cannot be read
    BeyondDataFile,      // a track starting at or after the end of its data file
    DiscTooLong,         // the disc would end after 99:59:74
};

constexpr uint32_t kMaxCueTracks = 99;
constexpr size_t kMaxCueSheetBytes = 1 << 20;
// Bytes of one raw CD frame in the data file.
constexpr uint32_t kBytesPerFrame = 2352;

struct CueError {
    CueStatus status = CueStatus::Ok;
    uint32_t line = 0;
    std::string message;

    bool Ok() const { return status == CueStatus::Ok; }
};

// "line 12: ..." (or just the message for the whole sheet).
std::string DescribeCueError(const CueError& error);

struct CueFile {
    std::string name;
    std::string type;  // BINARY or WAVE
    uint32_t line = 0;
};

struct CueTrack {
    uint32_t number = 0;
    bool audio = true;
    std::string title;
    std::string performer;
    size_t file = 0;            // index into CueSheet::files
    uint32_t indexFrames = 0;   // INDEX 01, relative to the start of the data file
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

// Reads the text of a sheet. Keywords are case-blind; values may be quoted. Unknown commands,
// malformed times and numbers, and misplaced commands are errors with their line number.
CueError ParseCueSheet(std::string_view text, CueSheet& sheet);

// Size in bytes of a data file, or nothing when it cannot be read.
using DataFileSize = std::function<std::optional<uint64_t>(const CueFile&)>;

// Lays the sheet out as a drive would report it: absolute positions are the file positions plus
// the two-second pregap; a file's length is its size in 2352-byte frames, except that REM LEADOUT
// gives the last file's length without looking at it.
CueError LayOutDisc(const CueSheet& sheet, const DataFileSize& fileSize, SimulatedDisc& disc);

// Reads, parses and lays out a sheet file; data file names are relative to the sheet's folder.
CueError LoadCueSheet(const std::string& path, CueSheet& sheet, SimulatedDisc& disc);

}  // namespace discdeck
