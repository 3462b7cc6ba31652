// The CDDB members of CdAudioDevice: sending a command, the disc look-up and the entry parser.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "cdaudio/CdAudioDevice.h"
#include "lookup/CddbCommands.h"
#include "lookup/CddbReply.h"
#include "lookup/CddbTransport.h"
#include "lookup/ReplyBuffer.h"
#include "ports/Utf8Text.h"

namespace discdeck {

int CdAudioDevice::SendCommand(const std::string& command, const std::string& server, uint16_t port, TextSink* status) {
    // The drive mode is left alone: the playback display keeps running after a server command.
    if (transport == nullptr) {
        std::memset(ReplyBuffer(), 0, kReplyBufferSize);
        return 0;  // nothing to send with: no reply
    }
    return transport->Send(command, server, port, status, ReplyBuffer());
}

void CdAudioDevice::SetHelloAddress(const std::string& address,
                                    const std::string& userName,
                                    const std::string& computerName) {
    if (transport != nullptr) {
        transport->SetHello(HelloForAddress(address, HelloForUser(userName, computerName)));
    }
}

bool CdAudioDevice::QueryServer(const std::string& server, uint16_t port, TextSink* status) {
    this->server = server;
    this->port = port;
    statusWindow = status;

    if (SendCommand(BuildQueryCommand(discId, tracks, trackCount), this->server, this->port, status) == -1) {
        return false;
    }
    const std::string_view reply = ReplyText();
    if (reply.empty()) {
        return true;
    }

    std::string readCommand;
    switch (DecideReply(reply, true)) {
        case ReplyDecision::Succeed:
            return true;
        case ReplyDecision::Fail:
            return false;
        case ReplyDecision::Parse:
            ParseEntry();
            return true;
        case ReplyDecision::Read: {
            // The category word goes into the next request; only a plain word may.
            std::string word;
            if (!TakeQueryCategory(reply, word)) {
                return false;
            }
            readCommand = BuildReadCommand(word, discId);
            break;
        }
        case ReplyDecision::ReadListed: {
            std::string word;
            std::string listedId;
            if (!TakeFirstListedMatch(reply, word, listedId)) {
                return false;
            }
            readCommand = "CDDB READ " + word + " " + listedId;
            break;
        }
    }

    if (SendCommand(readCommand, this->server, this->port, status) == -1) {
        return false;
    }
    switch (DecideReply(ReplyText(), false)) {
        case ReplyDecision::Succeed:
            return true;
        case ReplyDecision::Fail:
            return false;
        default:
            ParseEntry();
            return true;
    }
}

void CdAudioDevice::ParseEntry() {
    const size_t titleCount = std::min<size_t>(trackCount, trackTitles.size());
    // Level 6 replies are UTF-8; bytes that are not are taken as Windows-1252.
    ParseEntryText(ReplyBytesToUtf8(ReplyText()), EntryFields{category, discTitle, trackTitles.data(), titleCount});
}

}  // namespace discdeck
