#include "rip/CueSheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>

#include "cdaudio/DiscTable.h"
#include "ports/Utf8Text.h"

namespace discdeck {

namespace {

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
            return MakeCueError(CueStatus::UnclosedQuote, line, "missing closing quote");
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
            return MakeCueError(CueStatus::NoTracks, 0, "the sheet has no TRACK");
        }
        // A last track with no INDEX 01 is what rippers write for the data session of an Enhanced
        // CD ripped per track (often of a type only they know): it is not on the rip, so the disc
        // ends where the audio does. Files named after its TRACK line go with it.
        if (!hasIndex && sheet.tracks.size() > 1) {
            const uint32_t trackLine = sheet.tracks.back().line;
            sheet.tracks.pop_back();
            while (sheet.files.back().line > trackLine) {
                sheet.files.pop_back();
            }
            return {};
        }
        return CheckIndex();
    }

  private:
    CueError Arguments(const std::vector<std::string>& words, size_t count, const char* what) {
        if (words.size() < count + 1) {
            return MakeCueError(
                CueStatus::MissingArgument, line,
                std::string(what) + " needs " + std::to_string(count) + (count == 1 ? " value" : " values"));
        }
        if (words.size() > count + 1) {
            return MakeCueError(CueStatus::ExtraArgument, line,
                                std::string("unexpected \"") + words[count + 1] + "\" after " + what);
        }
        return {};
    }

    CueError Time(const std::string& text, uint32_t& frames) {
        if (!ParseTime(text, frames)) {
            return MakeCueError(CueStatus::BadTime, line, "time \"" + text + "\" is not mm:ss:ff");
        }
        return {};
    }

    CueError Remark(const std::vector<std::string>& words) {
        if (words.size() < 2 || Upper(words[1]) != "LEADOUT") {
            return {};
        }
        if (words.size() < 3) {
            return MakeCueError(CueStatus::MissingArgument, line, "REM LEADOUT needs a time");
        }
        if (words.size() > 3) {
            return MakeCueError(CueStatus::ExtraArgument, line, "unexpected \"" + words[3] + "\" after REM LEADOUT");
        }
        if (sheet.leadOutFrames) {
            return MakeCueError(CueStatus::OutOfPlace, line, "second REM LEADOUT");
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
            return MakeCueError(CueStatus::BadFileType, line,
                                "file type \"" + words[2] + "\" is not supported (" + Names(kFileKinds) + ")");
        }
        if (words[1].empty()) {
            return MakeCueError(CueStatus::MissingArgument, line, "FILE without a name");
        }
        sheet.files.push_back({words[1], kind->type, line});
        return {};
    }

    CueError Track(const std::vector<std::string>& words) {
        if (CueError error = Arguments(words, 2, "TRACK"); !error.Ok()) {
            return error;
        }
        if (sheet.files.empty()) {
            return MakeCueError(CueStatus::OutOfPlace, line, "TRACK before FILE");
        }
        if (CueError error = CheckIndex(); !error.Ok()) {
            return error;
        }
        if (sheet.tracks.size() >= kMaxCueTracks) {
            return MakeCueError(CueStatus::TooManyTracks, line,
                                "more than " + std::to_string(kMaxCueTracks) + " tracks");
        }
        uint32_t number = 0;
        if (!ParseDigits(words[1], 2, number) || number < 1) {
            return MakeCueError(CueStatus::BadNumber, line, "track number \"" + words[1] + "\" is not 1 to 99");
        }
        if (number != sheet.tracks.size() + 1) {
            return MakeCueError(CueStatus::TrackOutOfSequence, line,
                                "track " + std::to_string(number) + " where track " +
                                    std::to_string(sheet.tracks.size() + 1) + " was expected");
        }
        const std::string type = Upper(words[2]);
        const TrackMode* mode = std::find_if(std::begin(kTrackModes), std::end(kTrackModes),
                                             [&type](const TrackMode& m) { return type == m.name; });
        // An unknown type is refused once the track turns out to be on the disc (an INDEX 01 or a
        // track after it); a trailing placeholder without INDEX 01 is left out instead.
        unknownType.reset();
        if (mode == std::end(kTrackModes)) {
            unknownType = MakeCueError(CueStatus::BadTrackType, line,
                                       "track type \"" + words[2] + "\" is not supported (" + Names(kTrackModes) + ")");
        }
        CueTrack track;
        track.number = number;
        track.audio = mode != std::end(kTrackModes) && mode->audio;
        track.sectorBytes = mode != std::end(kTrackModes) ? mode->sectorBytes : kBytesPerFrame;
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
            return MakeCueError(CueStatus::OutOfPlace, line, "INDEX before TRACK");
        }
        uint32_t number = 0;
        if (!ParseDigits(words[1], 2, number)) {
            return MakeCueError(CueStatus::BadNumber, line, "index number \"" + words[1] + "\" is not 0 to 99");
        }
        uint32_t frames = 0;
        if (CueError error = Time(words[2], frames); !error.Ok()) {
            return error;
        }
        if (number > 1) {
            return {};  // sub-indexes do not move the track's start
        }
        if (number == 1 && unknownType) {
            return *unknownType;
        }
        CueTrack& track = sheet.tracks.back();
        const std::string which = number == 0 ? "INDEX 00" : "INDEX 01";
        if (hasIndex) {
            return MakeCueError(CueStatus::OutOfPlace, line,
                                number == 0 ? "INDEX 00 after INDEX 01" : "second INDEX 01 in a track");
        }
        if (number == 0 && hasGapIndex) {
            return MakeCueError(CueStatus::OutOfPlace, line, "second INDEX 00 in a track");
        }
        const size_t file = sheet.files.size() - 1;
        // Positions run forward: past the previous track's start, and INDEX 01 not before INDEX 00.
        if (sheet.tracks.size() > 1) {
            const CueTrack& previous = sheet.tracks[sheet.tracks.size() - 2];
            if (previous.file == file && previous.indexFrames >= frames) {
                return MakeCueError(CueStatus::IndexOutOfOrder, line,
                                    "track " + std::to_string(track.number) + " does not start after track " +
                                        std::to_string(previous.number));
            }
        }
        if (number == 1 && hasGapIndex && track.startFile == file && track.startFrames > frames) {
            return MakeCueError(CueStatus::IndexOutOfOrder, line, "INDEX 01 lies before INDEX 00");
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
            return MakeCueError(CueStatus::OutOfPlace, line, command + " before TRACK");
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
        if (!sheet.tracks.empty() && !hasIndex && unknownType) {
            return *unknownType;
        }
        if (!sheet.tracks.empty() && !hasIndex) {
            const CueTrack& track = sheet.tracks.back();
            return MakeCueError(CueStatus::MissingIndex, track.line,
                                "track " + std::to_string(track.number) + " has no INDEX 01");
        }
        return {};
    }

    CueSheet& sheet;
    uint32_t line = 0;
    bool hasIndex = false;                // the current track's INDEX 01
    bool hasGapIndex = false;             // its INDEX 00
    std::optional<CueError> unknownType;  // the current track's type, when it is none we know
};

}  // namespace

CueError MakeCueError(CueStatus status, uint32_t line, std::string message) {
    return CueError{status, line, std::move(message)};
}

std::string CueTimeText(uint64_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u",
                  static_cast<unsigned long long>(frames / mci::kFramesPerMinute),
                  static_cast<unsigned>(frames / mci::kFramesPerSecond % 60),
                  static_cast<unsigned>(frames % mci::kFramesPerSecond));
    return text;
}

std::string DescribeCueError(const CueError& error) {
    if (error.line == 0) {
        return error.message;
    }
    return "line " + std::to_string(error.line) + ": " + error.message;
}

bool RipTitles::Empty() const {
    return disc.empty() && std::all_of(tracks.begin(), tracks.end(), [](const std::string& t) { return t.empty(); });
}

RipTitles TitlesOfSheet(const CueSheet& sheet) {
    RipTitles titles;
    titles.disc = sheet.performer.empty() || sheet.title.empty() ? sheet.performer + sheet.title
                                                                 : sheet.performer + " / " + sheet.title;
    for (const CueTrack& track : sheet.tracks) {
        titles.tracks.push_back(track.title);
    }
    return titles;
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

}  // namespace discdeck
