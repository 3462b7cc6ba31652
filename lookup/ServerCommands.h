#pragma once

#include <cstdint>
#include <string>

namespace discdeck {

// Shown in orange below the list when a server command gets no answer in time.
constexpr const char* kUnableToConnect = "Unable to connect CDDB server ...";

// The read command for a line of a 211 list of inexact matches ("<category> <id> <title>", read as
// TakeListedMatch does). Only the first 255 characters of the line count.
bool BuildCandidateReadCommand(const std::string& line, std::string& command);

}  // namespace discdeck
