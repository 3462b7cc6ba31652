#include "export/TextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace discdeck {

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        result.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

std::string EscapeHtml(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    AppendEscapedHtml(result, text.data(), text.size());
    return result;
}

void AppendEscapedHtml(std::string& out, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += text[i];
                break;
        }
    }
}

}  // namespace discdeck
