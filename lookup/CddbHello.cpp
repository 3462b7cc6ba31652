#include "lookup/CddbHello.h"

#include <algorithm>
#include <cstdio>

namespace discdeck {

namespace {

bool IsAddressCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_' || c == '+';
}

// A hello field as the query string carries it: anything but letters, digits and ".-_" (the "+" of
// an address above all, which would read as a space) percent-encoded.
std::string HelloField(const std::string& field) {
    std::string text;
    for (char c : field) {
        if (c != '+' && IsAddressCharacter(c)) {
            text += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            text += escaped;
        }
    }
    return text;
}

}  // namespace

std::string HelloQueryText(const CddbHello& hello) {
    return HelloField(hello.user) + "+" + HelloField(hello.host);
}

CddbHello HelloForUser(const std::string& userName, const std::string& computerName) {
    auto kept = [](const std::string& name, const std::string& builtIn) {
        std::string field;
        for (char c : name) {
            if (c != '+' && IsAddressCharacter(c)) {
                field += c;
            }
        }
        return field.empty() ? builtIn : field;
    };
    const CddbHello builtIn;
    return CddbHello{kept(userName, builtIn.user), kept(computerName, builtIn.host)};
}

CddbHello HelloForAddress(const std::string& address, const CddbHello& fallback) {
    const size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == address.size() ||
        address.find('@', at + 1) != std::string::npos ||
        !std::all_of(address.begin(), address.begin() + at, IsAddressCharacter) ||
        !std::all_of(address.begin() + at + 1, address.end(), IsAddressCharacter)) {
        return fallback;
    }
    return CddbHello{address.substr(0, at), address.substr(at + 1)};
}

}  // namespace discdeck
