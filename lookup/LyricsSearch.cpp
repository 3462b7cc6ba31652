#include "lookup/LyricsSearch.h"

namespace discdeck {

namespace {
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsUnreserved(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}
}  // namespace

std::string BuildLyricsAddress(const std::string& discTitle) {
    std::string artist = discTitle.substr(0, discTitle.find('/'));
    size_t begin = 0;
    size_t end = artist.size();
    while (begin < end && IsWhiteSpace(artist[begin])) {
        ++begin;
    }
    while (end > begin && IsWhiteSpace(artist[end - 1])) {
        --end;
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string bands;
    for (size_t i = begin; i < end; ++i) {
        const char c = artist[i];
        if (c == ' ') {
            bands += '+';
        } else if (IsUnreserved(c)) {
            bands += c;
        } else {
            const unsigned char byte = static_cast<unsigned char>(c);
            bands += '%';
            bands += kHex[byte >> 4];
            bands += kHex[byte & 0xF];
        }
    }
    return std::string("http://") + kLyricsHost + "/search/checknormal.asp?bands=" + bands + "&label=&song=&match=like";
}

}  // namespace discdeck
