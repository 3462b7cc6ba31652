#include "ports/Utf8Text.h"

namespace discdeck {

namespace {

// The length of the valid UTF-8 sequence at `position` (1-4), or 0 when none starts there:
// overlong forms, surrogates and values beyond U+10FFFF are not valid.
size_t SequenceLength(std::string_view text, size_t position, uint32_t& code) {
    const auto byte = [&text](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(position);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    size_t length;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - position < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(position + i);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Windows-1252's bytes 0x80-0x9F; the unassigned ones keep their own value.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t Windows1252Code(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

}  // namespace

bool NextCodePoint(std::string_view text, size_t& position, uint32_t& code, bool* valid) {
    if (position >= text.size()) {
        return false;
    }
    size_t length = SequenceLength(text, position, code);
    if (valid != nullptr) {
        *valid = length != 0;
    }
    if (length == 0) {
        code = static_cast<unsigned char>(text[position]);
        length = 1;
    }
    position += length;
    return true;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string ReplyBytesToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    size_t position = 0;
    uint32_t code = 0;
    bool valid = true;
    for (size_t start = 0; NextCodePoint(bytes, position, code, &valid); start = position) {
        if (valid) {
            text.append(bytes.substr(start, position - start));
        } else {
            AppendUtf8(text, Windows1252Code(static_cast<unsigned char>(code)));
        }
    }
    return text;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        AppendUtf8(text, Windows1252Code(static_cast<unsigned char>(c)));
    }
    return text;
}

size_t CharacterCount(std::string_view text) {
    size_t count = 0;
    size_t position = 0;
    uint32_t code = 0;
    while (NextCodePoint(text, position, code)) {
        ++count;
    }
    return count;
}

size_t CutBytes(std::string_view text, size_t maxBytes) {
    size_t position = 0;
    size_t end = 0;
    uint32_t code = 0;
    while (NextCodePoint(text, position, code) && position <= maxBytes) {
        end = position;
    }
    return end;
}

std::string FirstCharacters(std::string_view text, size_t count) {
    size_t position = 0;
    uint32_t code = 0;
    for (size_t taken = 0; taken < count && NextCodePoint(text, position, code); ++taken) {
    }
    return std::string(text.substr(0, position));
}

std::string FitCharacters(std::string_view text, size_t width, bool alignLeft) {
    const std::string kept = FirstCharacters(text, width);
    const std::string padding(width - CharacterCount(kept), ' ');
    return alignLeft ? kept + padding : padding + kept;
}

}  // namespace discdeck
