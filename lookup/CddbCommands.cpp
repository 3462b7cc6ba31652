#include "lookup/CddbCommands.h"

#include <algorithm>
#include <cstdio>

namespace discdeck {

std::string BuildQueryCommand(uint32_t discId, const TrackTable& tracks, uint32_t trackCount) {
    // The lead-out lives at index trackCount; a count beyond the table cannot be described.
    const uint32_t count = std::min(trackCount, kMaxTracks);
    char number[16];
    std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(discId));
    std::string command = "CDDB QUERY ";
    command += number;
    command += ' ';
    command += std::to_string(count);
    for (uint32_t k = 0; k < count; ++k) {
        const TrackEntry& entry = tracks[k];
        const uint64_t offset = (uint64_t{entry.startMinute} * 60 + entry.startSecond) * 75 + entry.startFrame;
        command += ' ';
        command += std::to_string(offset);
    }
    const TrackEntry& leadOut = tracks[count];
    command += ' ';
    command += std::to_string(uint64_t{leadOut.startMinute} * 60 + leadOut.startSecond);
    return command;
}

std::string BuildReadCommand(const std::string& category, uint32_t discId) {
    char number[16];
    std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(discId));
    return "CDDB READ " + category + " " + number;
}

std::string FormatDiscIdField(uint32_t discId) {
    char field[16];
    std::snprintf(field, sizeof field, "%8x", static_cast<unsigned>(discId));
    return field;
}

bool BuildObjectPath(const std::string& command, std::string& path, const CddbHello& hello) {
    std::string result = "/~cddb/cddb.cgi?cmd=";
    for (char c : command) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
        result += c == ' ' ? '+' : c;
    }
    result += "&hello=" + HelloQueryText(hello);
    result += "+TarvikCDDB+1.0&proto=6";
    path = std::move(result);
    return true;
}

}  // namespace discdeck
