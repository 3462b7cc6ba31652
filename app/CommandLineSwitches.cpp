#include "app/CommandLineSwitches.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "ports/CommandLine.h"

namespace discdeck {

namespace {
bool EqualsIgnoringCase(const std::string& text, size_t start, const char* word) {
    size_t i = start;
    for (const char* p = word; *p != '\0'; ++p, ++i) {
        if (i >= text.size() ||
            std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(*p))) {
            return false;
        }
    }
    return i == text.size();
}
}  // namespace

RegistrationSwitch FindRegistrationSwitch(const std::string& commandLine) {
    for (size_t i = commandLine.find_first_of("-/"); i != std::string::npos;
         i = commandLine.find_first_of("-/", i + 1)) {
        if (EqualsIgnoringCase(commandLine, i + 1, "UnregServer")) {
            return RegistrationSwitch::UnregServer;
        }
        if (EqualsIgnoringCase(commandLine, i + 1, "RegServer")) {
            return RegistrationSwitch::RegServer;
        }
    }
    return RegistrationSwitch::None;
}

bool IsAutomationStart(const std::string& commandLine) {
    for (const std::string& argument : SplitCommandLine(commandLine)) {
        if (argument.size() > 1 && (argument[0] == '-' || argument[0] == '/') &&
            (EqualsIgnoringCase(argument, 1, "Embedding") || EqualsIgnoringCase(argument, 1, "Automation"))) {
            return true;
        }
    }
    return false;
}

std::string DataFolderOption(const std::string& commandLine) {
    std::string folder;
    const size_t length = std::strlen(kDataFolderOption);
    for (const std::string& argument : SplitCommandLine(commandLine)) {
        if (argument.compare(0, length, kDataFolderOption) == 0) {
            folder = argument.substr(length);
        }
    }
    return folder;
}

}  // namespace discdeck
