#include "cdaudio/CueSheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cdaudio/DataFiles.h"
#include "cdaudio/SheetAudio.h"

namespace discdeck {

namespace {

// Discs end by 99:59:74 (absolute), as the MSF minutes of a CD do.
constexpr uint64_t kMaxDiscFrames = 100ull * mci::kFramesPerMinute;

CueError Fail(CueStatus status, uint32_t line, std::string message) {
    return CueError{status, line, std::move(message)};
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Splits a line into words; a word in double quotes may hold blanks. A quote left open runs to the
// end of the line (false then).
bool Tokenize(std::string_view line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                words.emplace_back(line.substr(i + 1));
                return false;
            }
            words.emplace_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        size_t end = i;
        while (end < line.size() && !IsBlank(line[end])) {
            ++end;
        }
        words.emplace_back(line.substr(i, end - i));
        i = end;
    }
    return true;
}

// The text after the keyword, as written: titles may hold quotes of their own
// (TITLE "The "Best" Of"); only the outer pair goes.
std::string RestOfLine(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    while (i < line.size() && !IsBlank(line[i])) {
        ++i;
    }
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    line.remove_prefix(i);
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
        line = line.substr(1, line.size() - 2);
    }
    return std::string(line);
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A sheet saved as UTF-16 (some rippers do, for names beyond the system's code page), as UTF-8.
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    auto unit = [&bytes, bigEndian](size_t i) -> uint32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xE000) {
            const bool paired = code < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000;
            if (paired) {
                code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            } else {
                code = 0xFFFD;
            }
        }
        AppendUtf8(out, code);
    }
    return out;
}

// Digits only, at most maxDigits of them.
bool ParseDigits(std::string_view text, size_t maxDigits, uint32_t& value) {
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

// mm:ss:ff (minutes up to three digits) as frames.
bool ParseTime(std::string_view text, uint32_t& frames) {
    size_t first = text.find(':');
    if (first == std::string_view::npos) {
        return false;
    }
    size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos) {
        return false;
    }
    uint32_t m = 0, s = 0, f = 0;
    if (!ParseDigits(text.substr(0, first), 3, m) || !ParseDigits(text.substr(first + 1, second - first - 1), 2, s) ||
        !ParseDigits(text.substr(second + 1), 2, f) || s >= 60 || f >= mci::kFramesPerSecond) {
        return false;
    }
    frames = MsfToFrames({m, s, f});
    return true;
}

std::string TimeText(uint64_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u",
                  static_cast<unsigned long long>(frames / mci::kFramesPerMinute),
                  static_cast<unsigned>(frames / mci::kFramesPerSecond % 60),
                  static_cast<unsigned>(frames % mci::kFramesPerSecond));
    return text;
}

struct TrackMode {
    const char* name;
    bool audio;
    uint32_t sectorBytes;
};

constexpr TrackMode kTrackModes[] = {
    {"AUDIO", true, kBytesPerFrame},     {"MODE1/2048", false, 2048},           {"MODE1/2352", false, kBytesPerFrame},
    {"MODE2/2336", false, 2336},         {"MODE2/2352", false, kBytesPerFrame}, {"CDI/2336", false, 2336},
    {"CDI/2352", false, kBytesPerFrame},
};

struct FileKind {
    const char* name;
    CueFileType type;
};

constexpr FileKind kFileKinds[] = {
    {"BINARY", CueFileType::Binary},
    {"MOTOROLA", CueFileType::Motorola},
    {"WAVE", CueFileType::Wave},
    {"FLAC", CueFileType::Flac},
};

template <typename Table>
std::string Names(const Table& table) {
    std::string text;
    size_t count = std::size(table);
    for (size_t i = 0; i < count; ++i) {
        text += i == 0 ? "" : (i + 1 == count ? " or " : ", ");
        text += table[i].name;
    }
    return text;
}

class Parser {
  public:
    explicit Parser(CueSheet& sheet) : sheet(sheet) {}

    CueError Line(uint32_t number, std::string_view text, const std::vector<std::string>& words, bool closed) {
        line = number;
        const std::string command = Upper(words[0]);
        const bool shapesDisc = command == "FILE" || command == "TRACK" || command == "INDEX" || command == "PREGAP" ||
                                command == "POSTGAP" ||
                                (command == "REM" && words.size() > 1 && Upper(words[1]) == "LEADOUT");
        if (!closed && shapesDisc) {
            return Fail(CueStatus::UnclosedQuote, line, "missing closing quote");
        }
        if (command == "REM") {
            return Remark(words);
        }
        if (command == "FILE") {
            return File(words);
        }
        if (command == "TRACK") {
            return Track(words);
        }
        if (command == "INDEX") {
            return Index(words);
        }
        if (command == "PREGAP" || command == "POSTGAP") {
            return Gap(command, words);
        }
        if (command == "TITLE" || command == "PERFORMER") {
            CueTrack* track = sheet.tracks.empty() ? nullptr : &sheet.tracks.back();
            std::string value = RestOfLine(text);
            if (command == "TITLE") {
                (track ? track->title : sheet.title) = std::move(value);
            } else {
                (track ? track->performer : sheet.performer) = std::move(value);
            }
        }
        // CATALOG, ISRC, FLAGS, SONGWRITER, CDTEXTFILE and what later programs add say nothing about
        // where the sound lies.
        return {};
    }

    CueError Finish() {
        if (sheet.tracks.empty()) {
            return Fail(CueStatus::NoTracks, 0, "the sheet has no TRACK");
        }
        return CheckIndex();
    }

  private:
    CueError Arguments(const std::vector<std::string>& words, size_t count, const char* what) {
        if (words.size() < count + 1) {
            return Fail(CueStatus::MissingArgument, line,
                        std::string(what) + " needs " + std::to_string(count) + (count == 1 ? " value" : " values"));
        }
        if (words.size() > count + 1) {
            return Fail(CueStatus::ExtraArgument, line,
                        std::string("unexpected \"") + words[count + 1] + "\" after " + what);
        }
        return {};
    }

    CueError Time(const std::string& text, uint32_t& frames) {
        if (!ParseTime(text, frames)) {
            return Fail(CueStatus::BadTime, line, "time \"" + text + "\" is not mm:ss:ff");
        }
        return {};
    }

    CueError Remark(const std::vector<std::string>& words) {
        if (words.size() < 2 || Upper(words[1]) != "LEADOUT") {
            return {};
        }
        if (words.size() < 3) {
            return Fail(CueStatus::MissingArgument, line, "REM LEADOUT needs a time");
        }
        if (words.size() > 3) {
            return Fail(CueStatus::ExtraArgument, line, "unexpected \"" + words[3] + "\" after REM LEADOUT");
        }
        if (sheet.leadOutFrames) {
            return Fail(CueStatus::OutOfPlace, line, "second REM LEADOUT");
        }
        uint32_t frames = 0;
        if (CueError error = Time(words[2], frames); !error.Ok()) {
            return error;
        }
        sheet.leadOutFrames = frames;
        sheet.leadOutLine = line;
        return {};
    }

    CueError File(const std::vector<std::string>& words) {
        if (CueError error = Arguments(words, 2, "FILE"); !error.Ok()) {
            return error;
        }
        const std::string type = Upper(words[2]);
        const FileKind* kind = std::find_if(std::begin(kFileKinds), std::end(kFileKinds),
                                            [&type](const FileKind& k) { return type == k.name; });
        if (kind == std::end(kFileKinds)) {
            return Fail(CueStatus::BadFileType, line,
                        "file type \"" + words[2] + "\" is not supported (" + Names(kFileKinds) + ")");
        }
        if (words[1].empty()) {
            return Fail(CueStatus::MissingArgument, line, "FILE without a name");
        }
        sheet.files.push_back({words[1], kind->type, line});
        return {};
    }

    CueError Track(const std::vector<std::string>& words) {
        if (CueError error = Arguments(words, 2, "TRACK"); !error.Ok()) {
            return error;
        }
        if (sheet.files.empty()) {
            return Fail(CueStatus::OutOfPlace, line, "TRACK before FILE");
        }
        if (CueError error = CheckIndex(); !error.Ok()) {
            return error;
        }
        if (sheet.tracks.size() >= kMaxCueTracks) {
            return Fail(CueStatus::TooManyTracks, line, "more than " + std::to_string(kMaxCueTracks) + " tracks");
        }
        uint32_t number = 0;
        if (!ParseDigits(words[1], 2, number) || number < 1) {
            return Fail(CueStatus::BadNumber, line, "track number \"" + words[1] + "\" is not 1 to 99");
        }
        if (number != sheet.tracks.size() + 1) {
            return Fail(CueStatus::TrackOutOfSequence, line,
                        "track " + std::to_string(number) + " where track " + std::to_string(sheet.tracks.size() + 1) +
                            " was expected");
        }
        const std::string type = Upper(words[2]);
        const TrackMode* mode = std::find_if(std::begin(kTrackModes), std::end(kTrackModes),
                                             [&type](const TrackMode& m) { return type == m.name; });
        if (mode == std::end(kTrackModes)) {
            return Fail(CueStatus::BadTrackType, line,
                        "track type \"" + words[2] + "\" is not supported (" + Names(kTrackModes) + ")");
        }
        CueTrack track;
        track.number = number;
        track.audio = mode->audio;
        track.sectorBytes = mode->sectorBytes;
        track.file = sheet.files.size() - 1;
        track.startFile = track.file;
        track.line = line;
        sheet.tracks.push_back(track);
        hasIndex = false;
        hasGapIndex = false;
        return {};
    }

    CueError Index(const std::vector<std::string>& words) {
        if (CueError error = Arguments(words, 2, "INDEX"); !error.Ok()) {
            return error;
        }
        if (sheet.tracks.empty()) {
            return Fail(CueStatus::OutOfPlace, line, "INDEX before TRACK");
        }
        uint32_t number = 0;
        if (!ParseDigits(words[1], 2, number)) {
            return Fail(CueStatus::BadNumber, line, "index number \"" + words[1] + "\" is not 0 to 99");
        }
        uint32_t frames = 0;
        if (CueError error = Time(words[2], frames); !error.Ok()) {
            return error;
        }
        if (number > 1) {
            return {};  // sub-indexes do not move the track's start
        }
        CueTrack& track = sheet.tracks.back();
        const std::string which = number == 0 ? "INDEX 00" : "INDEX 01";
        if (hasIndex) {
            return Fail(CueStatus::OutOfPlace, line,
                        number == 0 ? "INDEX 00 after INDEX 01" : "second INDEX 01 in a track");
        }
        if (number == 0 && hasGapIndex) {
            return Fail(CueStatus::OutOfPlace, line, "second INDEX 00 in a track");
        }
        const size_t file = sheet.files.size() - 1;
        // Positions run forward: past the previous track's start, and INDEX 01 not before INDEX 00.
        if (sheet.tracks.size() > 1) {
            const CueTrack& previous = sheet.tracks[sheet.tracks.size() - 2];
            if (previous.file == file && previous.indexFrames >= frames) {
                return Fail(CueStatus::IndexOutOfOrder, line,
                            "track " + std::to_string(track.number) + " does not start after track " +
                                std::to_string(previous.number));
            }
        }
        if (number == 1 && hasGapIndex && track.startFile == file && track.startFrames > frames) {
            return Fail(CueStatus::IndexOutOfOrder, line, "INDEX 01 lies before INDEX 00");
        }
        if (number == 0) {
            track.startFile = file;
            track.startFrames = frames;
            hasGapIndex = true;
            return {};
        }
        track.file = file;
        track.indexFrames = frames;
        if (!hasGapIndex) {
            track.startFile = file;
            track.startFrames = frames;
        }
        hasIndex = true;
        return {};
    }

    CueError Gap(const std::string& command, const std::vector<std::string>& words) {
        if (CueError error = Arguments(words, 1, command.c_str()); !error.Ok()) {
            return error;
        }
        if (sheet.tracks.empty()) {
            return Fail(CueStatus::OutOfPlace, line, command + " before TRACK");
        }
        uint32_t frames = 0;
        if (CueError error = Time(words[1], frames); !error.Ok()) {
            return error;
        }
        (command == "PREGAP" ? sheet.tracks.back().pregapFrames : sheet.tracks.back().postgapFrames) = frames;
        return {};
    }

    // The track before a new TRACK (or the last one) must have had its INDEX 01.
    CueError CheckIndex() {
        if (!sheet.tracks.empty() && !hasIndex) {
            const CueTrack& track = sheet.tracks.back();
            return Fail(CueStatus::MissingIndex, track.line,
                        "track " + std::to_string(track.number) + " has no INDEX 01");
        }
        return {};
    }

    CueSheet& sheet;
    uint32_t line = 0;
    bool hasIndex = false;     // the current track's INDEX 01
    bool hasGapIndex = false;  // its INDEX 00
};

// A stretch of one file that belongs to one track: from a track's first index (or the file's start)
// to the next track's first index (or the file's end).
struct Piece {
    size_t track;
    uint64_t from;  // frames into the file
};

CueError Beyond(const CueSheet& sheet, size_t track, size_t file, uint64_t fileFrames) {
    const CueTrack& t = sheet.tracks[track];
    return Fail(CueStatus::BeyondDataFile, t.line,
                "track " + std::to_string(t.number) + " starts at or after the end of \"" + sheet.files[file].name +
                    "\" (" + TimeText(fileFrames) + " long)");
}

}  // namespace

std::string DescribeCueError(const CueError& error) {
    if (error.line == 0) {
        return error.message;
    }
    return "line " + std::to_string(error.line) + ": " + error.message;
}

CueError ParseCueSheet(std::string_view text, CueSheet& sheet) {
    sheet = CueSheet{};
    std::string decoded;
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        decoded = Utf16ToUtf8(text.substr(2), text[0] == '\xFE');
        text = decoded;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    Parser parser(sheet);
    std::vector<std::string> words;
    uint32_t number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const bool closed = Tokenize(line, words);
        if (words.empty()) {
            continue;
        }
        if (CueError error = parser.Line(number, line, words, closed); !error.Ok()) {
            return error;
        }
    }
    return parser.Finish();
}

CueError LayOutDisc(const CueSheet& sheet,
                    const DataFileSize& fileSize,
                    SimulatedDisc& disc,
                    std::vector<AudioSpan>* audio) {
    disc = SimulatedDisc{};
    if (audio) {
        audio->clear();
    }
    if (sheet.tracks.empty()) {
        return Fail(CueStatus::NoTracks, 0, "the sheet has no TRACK");
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
                return Fail(CueStatus::OutOfPlace, track.line, "TRACK before FILE");
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
            return Fail(CueStatus::DataFileNotFound, file.line, "file \"" + file.name + "\" not found");
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
            } else {
                frames = bytes > offset ? (bytes - offset) / sectorBytes : 0;
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
            return Fail(CueStatus::IndexOutOfOrder, track.line,
                        "track " + std::to_string(track.number) + " does not start after the previous track");
        }
    }
    const uint64_t leadOut = position + sheet.tracks.back().postgapFrames;
    if (leadOut >= kMaxDiscFrames) {
        uint32_t line = sheet.leadOutFrames ? sheet.leadOutLine : sheet.files.back().line;
        if (audio) {
            audio->clear();
        }
        return Fail(CueStatus::DiscTooLong, line, "the disc would end after 99:59:74");
    }
    result.leadOutFrame = static_cast<uint32_t>(leadOut);
    disc = std::move(result);
    return {};
}

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
        return Fail(CueStatus::CannotRead, 0, "the sheet cannot be opened");
    }
    std::string text;
    text.resize(kMaxCueSheetBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return Fail(CueStatus::CannotRead, 0, "the sheet cannot be read");
    }
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxCueSheetBytes) {
        return Fail(CueStatus::TooLarge, 0, "the sheet is larger than " + std::to_string(kMaxCueSheetBytes) + " bytes");
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

}  // namespace discdeck
