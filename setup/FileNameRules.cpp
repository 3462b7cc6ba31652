#include "setup/FileNameRules.h"

#include <cstdio>
#include <cstring>

namespace discdeck {
namespace {

char FoldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsReservedDeviceName(const std::string& name) {
    // The device is reached whatever follows the first dot, and spaces before it do not count.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (EqualsIgnoringCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4 &&
        (EqualsIgnoringCase(base.substr(0, 3), "COM") || EqualsIgnoringCase(base.substr(0, 3), "LPT"))) {
        const unsigned char digit = static_cast<unsigned char>(base[3]);
        // Windows also treats the superscript digits of code page 1252 as port numbers.
        return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr) {
            return false;
        }
    }
    // Windows drops trailing dots and spaces, so such a name would land on another file.
    if (name.back() == '.' || name.back() == ' ') {
        return false;
    }
    return !IsReservedDeviceName(name);
}

std::string FoldedFileName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        c = FoldCase(c);
    }
    return folded;
}

std::string PrintableName(const std::string& name) {
    std::string text;
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace discdeck
