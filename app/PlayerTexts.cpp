#include "app/PlayerTexts.h"

#include <cstdio>

#include "ports/Utf8Text.h"

namespace discdeck {

namespace {

int AsInt(uint32_t value) {
    return static_cast<int>(value);
}

}  // namespace

const char* ModeName(uint32_t mode) {
    switch (mode) {
        case mci::MCI_MODE_NOT_READY:
            return "Drive is not ready";
        case mci::MCI_MODE_STOP:
            return "Stop";
        case mci::MCI_MODE_PLAY:
            return "Play";
        case mci::MCI_MODE_RECORD:
            return "Record";
        case mci::MCI_MODE_SEEK:
            return "Seek";
        case mci::MCI_MODE_PAUSE:
            return "Pause";
        case mci::MCI_MODE_OPEN:
            return "Open";
        default:
            return "not define";
    }
}

std::string FormatTrackLine(uint32_t track, uint32_t lengthMs, const std::string& title) {
    const uint32_t seconds = lengthMs / 1000;
    char line[32];
    std::snprintf(line, sizeof line, "Track %02d: %02d:%02d ", AsInt(track), AsInt(seconds / 60), AsInt(seconds % 60));
    return line + FitCharacters(title, 90, true);
}

std::string FormatTrackTimes(const CdAudioDevice& d) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "Track: %02d  Elapsed: %02d:%02d  Remainded: %02d:%02d  Total: %02d:%02d (%02d:%02d)",
                  AsInt(d.currentTrack), AsInt(d.trackElapsedMinute), AsInt(d.trackElapsedSecond),
                  d.trackRemainingMinute, d.trackRemainingSecond, AsInt(d.positionMinute), AsInt(d.positionSecond),
                  d.discRemainingMinute, d.discRemainingSecond);
    return line;
}

std::string FormatSeekTimes(const CdAudioDevice& d) {
    char line[160];
    std::snprintf(line, sizeof line, "Elapsed: %02d:%02d  Remainded: %02d:%02d  Total: %02d:%02d (%02d:%02d)",
                  AsInt(d.trackElapsedMinute), AsInt(d.trackElapsedSecond), d.trackRemainingMinute,
                  d.trackRemainingSecond, AsInt(d.positionMinute), AsInt(d.positionSecond), d.discRemainingMinute,
                  d.discRemainingSecond);
    return line;
}

std::string FormatCaption(const CdAudioDevice& d) {
    char line[64];
    std::snprintf(line, sizeof line, "%02d:%02d [%02d]", d.trackRemainingMinute, d.trackRemainingSecond,
                  AsInt(d.currentTrack));
    return line;
}

std::vector<std::string> SplitReplyLines(std::string_view reply) {
    const size_t end = reply.find('\0');
    if (end != std::string_view::npos) {
        reply = reply.substr(0, end);
    }
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < reply.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(reply[i]);
        if (c == '\n' || c == '\a') {
            lines.push_back(line);
            line.clear();
        } else if (reply.compare(i, 3, "`.'") == 0 && (i + 3 >= reply.size() || reply[i + 3] != ')')) {
            // The server's closing quote ends the readable part of the reply.
            break;
        } else if (c >= 32 && c <= 127 && line.size() < kMaxLineLength) {
            line.push_back(static_cast<char>(c));
        }
    }
    return lines;
}

std::optional<uint32_t> TrackNumberOfLine(const std::string& text) {
    const std::string line = text.substr(0, kMaxLineLength);
    if (line.find("Track") == std::string::npos) {
        return std::nullopt;
    }
    auto digit = [&line](size_t index) -> int {
        return index < line.size() && line[index] >= '0' && line[index] <= '9' ? line[index] - '0' : -1;
    };
    const int tens = digit(6);
    const int units = digit(7);
    if (tens < 0 || units < 0) {
        return 0u;
    }
    return static_cast<uint32_t>(tens * 10 + units);
}

std::string FormatSheetRefusal(const std::string& sheetPath, const std::string& reason) {
    const size_t slash = sheetPath.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? sheetPath : sheetPath.substr(slash + 1);
    return "Cannot play " + name + ": " + reason;
}

}  // namespace discdeck
