#include "cdaudio/CueSheet.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

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

// Splits a line into words; a word in double quotes may hold blanks. False on a missing closing quote.
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

std::string Join(const std::vector<std::string>& words, size_t from) {
    std::string text;
    for (size_t i = from; i < words.size(); ++i) {
        if (i > from) {
            text += ' ';
        }
        text += words[i];
    }
    return text;
}

class Parser {
  public:
    explicit Parser(CueSheet& sheet) : sheet(sheet) {}

    CueError Line(uint32_t number, const std::vector<std::string>& words) {
        line = number;
        const std::string command = Upper(words[0]);
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
        if (command == "TITLE" || command == "PERFORMER" || command == "SONGWRITER") {
            if (words.size() < 2) {
                return Fail(CueStatus::MissingArgument, line, command + " without a value");
            }
            std::string value = Join(words, 1);
            CueTrack* track = sheet.tracks.empty() ? nullptr : &sheet.tracks.back();
            if (command == "TITLE") {
                (track ? track->title : sheet.title) = value;
            } else if (command == "PERFORMER") {
                (track ? track->performer : sheet.performer) = value;
            }
            return {};
        }
        if (command == "PREGAP" || command == "POSTGAP") {
            return Gap(command, words);
        }
        if (command == "CATALOG" || command == "CDTEXTFILE" || command == "ISRC" || command == "FLAGS") {
            return {};
        }
        return Fail(CueStatus::UnknownCommand, line, "unknown command \"" + words[0] + "\"");
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
        std::string type = Upper(words[2]);
        if (type != "BINARY" && type != "WAVE") {
            return Fail(CueStatus::BadFileType, line, "file type \"" + words[2] + "\" is not BINARY or WAVE");
        }
        if (words[1].empty()) {
            return Fail(CueStatus::MissingArgument, line, "FILE without a name");
        }
        sheet.files.push_back({words[1], type, line});
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
        std::string type = Upper(words[2]);
        bool audio = type == "AUDIO";
        if (!audio && type != "MODE1/2352" && type != "MODE2/2352") {
            return Fail(CueStatus::BadTrackType, line,
                        "track type \"" + words[2] + "\" is not AUDIO, MODE1/2352 or MODE2/2352");
        }
        CueTrack track;
        track.number = number;
        track.audio = audio;
        track.file = sheet.files.size() - 1;
        track.line = line;
        sheet.tracks.push_back(track);
        hasIndex = false;
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
        if (number != 1) {
            return {};  // pregap and sub-indexes do not move the track's start
        }
        if (hasIndex) {
            return Fail(CueStatus::OutOfPlace, line, "second INDEX 01 in a track");
        }
        CueTrack& track = sheet.tracks.back();
        if (sheet.tracks.size() > 1) {
            const CueTrack& previous = sheet.tracks[sheet.tracks.size() - 2];
            if (previous.file == track.file && previous.indexFrames >= frames) {
                return Fail(CueStatus::IndexOutOfOrder, line,
                            "track " + std::to_string(track.number) + " does not start after track " +
                                std::to_string(previous.number));
            }
        }
        track.indexFrames = frames;
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
    bool hasIndex = false;
};

}  // namespace

std::string DescribeCueError(const CueError& error) {
    if (error.line == 0) {
        return error.message;
    }
    return "line " + std::to_string(error.line) + ": " + error.message;
}

CueError ParseCueSheet(std::string_view text, CueSheet& sheet) {
    sheet = CueSheet{};
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
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
        if (!Tokenize(line, words)) {
            return Fail(CueStatus::UnclosedQuote, number, "missing closing quote");
        }
        if (words.empty()) {
            continue;
        }
        if (CueError error = parser.Line(number, words); !error.Ok()) {
            return error;
        }
    }
    return parser.Finish();
}

CueError LayOutDisc(const CueSheet& sheet, const DataFileSize& fileSize, SimulatedDisc& disc) {
    disc = SimulatedDisc{};
    if (sheet.tracks.empty()) {
        return Fail(CueStatus::NoTracks, 0, "the sheet has no TRACK");
    }
    // Each file's length in frames; REM LEADOUT stands for the last file's.
    std::vector<uint64_t> lengths(sheet.files.size());
    for (size_t i = 0; i < sheet.files.size(); ++i) {
        if (i + 1 == sheet.files.size() && sheet.leadOutFrames) {
            lengths[i] = *sheet.leadOutFrames;
            continue;
        }
        std::optional<uint64_t> size = fileSize(sheet.files[i]);
        if (!size) {
            return Fail(CueStatus::DataFileUnreadable, sheet.files[i].line,
                        "cannot read the size of \"" + sheet.files[i].name + "\"");
        }
        // Anything longer than a disc is refused below; clamping keeps the sums from overflowing.
        lengths[i] = std::min<uint64_t>(*size / kBytesPerFrame, kMaxDiscFrames);
    }
    std::vector<uint64_t> fileStarts(sheet.files.size());
    uint64_t offset = mci::kPregapFrames;
    for (size_t i = 0; i < sheet.files.size(); ++i) {
        fileStarts[i] = offset;
        offset += lengths[i];
    }

    SimulatedDisc result;
    uint64_t gaps = 0;
    uint64_t previousStart = 0;
    for (const CueTrack& track : sheet.tracks) {
        if (track.file >= sheet.files.size()) {
            return Fail(CueStatus::OutOfPlace, track.line, "TRACK before FILE");
        }
        gaps += track.pregapFrames;
        if (track.indexFrames >= lengths[track.file]) {
            return Fail(CueStatus::BeyondDataFile, track.line,
                        "track " + std::to_string(track.number) + " starts at or after the end of its data file");
        }
        uint64_t start = fileStarts[track.file] + track.indexFrames + gaps;
        if (!result.tracks.empty() && start <= previousStart) {
            return Fail(CueStatus::IndexOutOfOrder, track.line,
                        "track " + std::to_string(track.number) + " does not start after the previous track");
        }
        // Every start lies before the lead-out, which is checked below; the cast cannot lose bits then.
        result.tracks.push_back({static_cast<uint32_t>(std::min<uint64_t>(start, kMaxDiscFrames)), track.audio});
        previousStart = start;
        gaps += track.postgapFrames;
    }
    uint64_t leadOut = offset + gaps;
    if (leadOut >= kMaxDiscFrames) {
        uint32_t line = sheet.leadOutFrames ? sheet.leadOutLine : sheet.files.back().line;
        return Fail(CueStatus::DiscTooLong, line, "the disc would end after 99:59:74");
    }
    result.leadOutFrame = static_cast<uint32_t>(leadOut);
    disc = std::move(result);
    return {};
}

CueError LoadCueSheet(const std::string& path, CueSheet& sheet, SimulatedDisc& disc) {
    sheet = CueSheet{};
    disc = SimulatedDisc{};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Fail(CueStatus::CannotRead, 0, "cannot open \"" + path + "\"");
    }
    std::string text;
    text.resize(kMaxCueSheetBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return Fail(CueStatus::CannotRead, 0, "cannot read \"" + path + "\"");
    }
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxCueSheetBytes) {
        return Fail(CueStatus::TooLarge, 0,
                    "\"" + path + "\" is larger than " + std::to_string(kMaxCueSheetBytes) + " bytes");
    }
    if (CueError error = ParseCueSheet(text, sheet); !error.Ok()) {
        return error;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return LayOutDisc(
        sheet,
        [&folder](const CueFile& file) -> std::optional<uint64_t> {
            std::filesystem::path data(file.name);
            if (data.is_relative()) {
                data = folder / data;
            }
            std::error_code error;
            if (!std::filesystem::is_regular_file(data, error)) {
                return std::nullopt;
            }
            uint64_t size = std::filesystem::file_size(data, error);
            if (error) {
                return std::nullopt;
            }
            return size;
        },
        disc);
}

}  // namespace discdeck
