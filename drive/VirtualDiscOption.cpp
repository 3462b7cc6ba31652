#include "drive/VirtualDiscOption.h"

#include <cctype>

#include "ports/CommandLine.h"

namespace discdeck {

namespace {

bool EndsWithBlind(const std::string& path, const std::string& extension) {
    if (path.size() <= extension.size()) {
        return false;
    }
    for (size_t i = 0; i < extension.size(); ++i) {
        char c = path[path.size() - extension.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != extension[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsSheetName(const std::string& path) {
    // A FLAC image may carry its sheet inside; one that does not is refused with that reason.
    return EndsWithBlind(path, ".cue") || EndsWithBlind(path, ".flac");
}

std::string BareSheetArgument(const std::string& commandLine) {
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (IsSheetName(argument) && argument[0] != '-' && argument[0] != '/') {
            return argument;
        }
    }
    return std::string();
}

std::string VirtualDiscSheet(const std::string& commandLine, const std::string& environmentValue) {
    const std::string option = kVirtualDiscOption;
    for (const std::string& argument : SplitCommandLine(commandLine)) {
        if (argument.size() > option.size() && argument.compare(0, option.size(), option) == 0) {
            return argument.substr(option.size());
        }
    }
    std::string bare = BareSheetArgument(commandLine);
    return bare.empty() ? environmentValue : bare;
}

}  // namespace discdeck
