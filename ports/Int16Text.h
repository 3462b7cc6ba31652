#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace discdeck {

// The text of a 16-bit number field (the CDDB port, for one) as the window's data exchange takes it:
// optional white space, an optional sign, decimal digits, optional white space. Values from 32768 to
// 65535 are taken as the same 16 bits, so an unsigned value that was shown as negative (a stored port
// 65535 shows as -1) can be typed back as it is meant. Anything else, a number outside -32768..65535
// included, is refused. Shared by the portable controller and the Win32 data exchange, so both
// accept exactly the same texts.
inline std::optional<int16_t> ParseInt16(const std::string& text) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t digitsStart = i;
    long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > 65535) {
            return std::nullopt;
        }
        ++i;
    }
    if (i == digitsStart) {
        return std::nullopt;
    }
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    if (i != text.size() || (negative && value > 32768)) {
        return std::nullopt;
    }
    return static_cast<int16_t>(static_cast<uint16_t>((negative ? -value : value) & 0xFFFF));
}

}  // namespace discdeck
