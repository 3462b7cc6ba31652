#include "drive/VirtualDiscOption.h"

#include <cctype>

#include "ports/CommandLine.h"

namespace discdeck {

bool IsSheetName(const std::string& path) {
    static const std::string kExtension = ".cue";
    if (path.size() <= kExtension.size()) {
        return false;
    }
    for (size_t i = 0; i < kExtension.size(); ++i) {
        char c = path[path.size() - kExtension.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != kExtension[i]) {
            return false;
        }
    }
    return true;
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
