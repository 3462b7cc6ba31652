#include "lookup/ServerCommands.h"

#include <string_view>

#include "cdaudio/CdAudioDevice.h"
#include "lookup/CddbReply.h"
#include "lookup/ReplyBuffer.h"

namespace discdeck {

bool BuildCandidateReadCommand(const std::string& line, std::string& command) {
    // The window examines a selected line in a buffer of 256 bytes.
    std::string category;
    std::string discId;
    if (!TakeListedMatch(std::string_view(line).substr(0, 255), category, discId)) {
        return false;
    }
    command = "CDDB READ " + category + " " + discId;
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
