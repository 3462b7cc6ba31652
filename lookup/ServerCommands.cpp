#include "lookup/ServerCommands.h"

#include <string_view>

#include "lookup/CddbReply.h"

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

}  // namespace discdeck
