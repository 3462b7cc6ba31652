#include "lookup/ServerCommands.h"

#include <string_view>

#include "cdaudio/CdAudioDevice.h"
#include "lookup/CddbReply.h"
#include "lookup/ReplyBuffer.h"

namespace discdeck {

const char* ServerCommandText(int controlId) {
    switch (controlId) {
        case 1003:
            return "HELP";
        case 1004:
            return "VER";
        case 1005:
            return "SITES";
        case 1006:
            return "STAT";
        case 1007:
            return "MOTD";
        case 1013:
            return "CDDB LSCAT";
        default:
            return nullptr;
    }
}

bool BuildCandidateReadCommand(const std::string& line, std::string& command) {
    // The window examines a selected line in a buffer of 256 bytes.
    const std::string text = line.substr(0, 255);
    const size_t firstSpace = text.find(' ');
    if (firstSpace == std::string::npos) {
        return false;
    }
    const std::string category = text.substr(0, firstSpace);
    const size_t idEnd = text.find(' ', firstSpace + 1);
    const std::string id =
        text.substr(firstSpace + 1, idEnd == std::string::npos ? std::string::npos : idEnd - firstSpace - 1);
    if (!IsPlainCategory(category) || id.empty() || id.size() > 8 ||
        id.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return false;
    }
    command = "CDDB READ " + category + " " + id;
    return true;
}

bool ReadCandidate(CdAudioDevice& device,
                   const std::string& line,
                   const std::string& server,
                   uint16_t port,
                   TextSink* status) {
    std::string command;
    if (!BuildCandidateReadCommand(line, command)) {
        return false;
    }
    if (device.SendCommand(command, server, port, status) != 0) {
        return true;
    }
    const std::string_view reply = ReplyText();
    if (!reply.empty() && DecideReply(reply, false) == ReplyDecision::Parse) {
        device.ParseEntry();
    }
    return true;
}

}  // namespace discdeck
