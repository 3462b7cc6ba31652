#include "setup/SetupArguments.h"

namespace discdeck {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string ArgumentsAfterProgram(const std::string& commandLine) {
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        at = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (at < commandLine.size() && !IsBlank(commandLine[at])) {
            ++at;
        }
    }
    while (at < commandLine.size() && IsBlank(commandLine[at])) {
        ++at;
    }
    return commandLine.substr(at);
}

bool HasSwitch(const std::string& arguments, const std::string& name) {
    std::size_t at = 0;
    while (at < arguments.size()) {
        while (at < arguments.size() && IsBlank(arguments[at])) {
            ++at;
        }
        const std::size_t start = at;
        bool quoted = false;
        while (at < arguments.size() && (quoted || !IsBlank(arguments[at]))) {
            if (arguments[at] == '"') {
                quoted = !quoted;
            }
            ++at;
        }
        if (arguments.compare(start, at - start, name) == 0 && at > start) {
            return true;
        }
    }
    return false;
}

}  // namespace discdeck
