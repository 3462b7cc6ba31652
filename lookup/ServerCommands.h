#pragma once

#include <cstdint>
#include <string>

namespace discdeck {

class CdAudioDevice;
class TextSink;

// Shown in orange below the list when a server command gets no answer in time.
constexpr const char* kUnableToConnect = "Unable to connect CDDB server ...";

// The read command for a line of a 211 list of inexact matches ("<category> <id> <title>", read as
// TakeListedMatch does). Only the first 255 characters of the line count.
bool BuildCandidateReadCommand(const std::string& line, std::string& command);

// The read of a candidate the user picked from a 211 list: sends the read command and takes the
// entry into the device's description. Only an entry is taken apart: no reply, an error reply or
// a no-match reply leaves the description as it was, so a refused read cannot wipe titles the
// window may store afterwards.
// False when the line holds no candidate (nothing is sent).
bool ReadCandidate(CdAudioDevice& device,
                   const std::string& line,
                   const std::string& server,
                   uint16_t port,
                   TextSink* status);

}  // namespace discdeck
