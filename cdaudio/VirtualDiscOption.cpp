#include "cdaudio/VirtualDiscOption.h"

#include <cctype>

namespace discdeck {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < commandLine.size()) {
        char c = commandLine[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) {
                arguments.push_back(current);
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            size_t backslashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                // 2n backslashes and a quote: n backslashes, the quote toggles; 2n+1: n and a literal quote.
                current.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(backslashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                current += '"';  // "" inside quotes is a literal quote
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    return arguments;
}

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
