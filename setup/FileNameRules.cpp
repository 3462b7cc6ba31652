#include "setup/FileNameRules.h"

#include <cstdio>
#include <cstring>

namespace discdeck {
namespace {

enum class RuleKind { RefusedCharacters, RefusedLastCharacters, DeviceName, PortName, PortNumber };

struct Rule {
    RuleKind kind;
    const char* text;
};

// The table shared with the package builder.
constexpr Rule kRules[] = {
#define REFUSED_CHARACTERS(text) {RuleKind::RefusedCharacters, text},
#define REFUSED_LAST_CHARACTERS(text) {RuleKind::RefusedLastCharacters, text},
#define DEVICE_NAME(text) {RuleKind::DeviceName, text},
#define PORT_NAME(text) {RuleKind::PortName, text},
#define PORT_NUMBER(text) {RuleKind::PortNumber, text},
#include "setup/FileNameRules.def"
#undef REFUSED_CHARACTERS
#undef REFUSED_LAST_CHARACTERS
#undef DEVICE_NAME
#undef PORT_NAME
#undef PORT_NUMBER
};

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

bool IsPortName(const std::string& base) {
    for (const Rule& port : kRules) {
        if (port.kind != RuleKind::PortName) {
            continue;
        }
        const std::size_t length = std::strlen(port.text);
        if (base.size() <= length || !EqualsIgnoringCase(base.substr(0, length), port.text)) {
            continue;
        }
        for (const Rule& number : kRules) {
            if (number.kind == RuleKind::PortNumber && base.compare(length, std::string::npos, number.text) == 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool IsReservedDeviceName(const std::string& name) {
    // The device is reached whatever follows the first dot, and spaces before it do not count.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    for (const Rule& rule : kRules) {
        if (rule.kind == RuleKind::DeviceName && EqualsIgnoringCase(base, rule.text)) {
            return true;
        }
    }
    return IsPortName(base);
}

bool IsPlainFileName(const std::string& name) {
    // A NUL cannot stand in the table's C strings; it would end the name for the system.
    if (name.empty() || name.find('\0') != std::string::npos) {
        return false;
    }
    for (const Rule& rule : kRules) {
        if ((rule.kind == RuleKind::RefusedCharacters && name.find_first_of(rule.text) != std::string::npos) ||
            (rule.kind == RuleKind::RefusedLastCharacters && std::strchr(rule.text, name.back()) != nullptr)) {
            return false;
        }
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
