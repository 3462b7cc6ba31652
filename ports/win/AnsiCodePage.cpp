#include <windows.h>

#include <string>

#include "ports/Utf8Text.h"

namespace discdeck {

// Old database files hold what the program wrote with the narrow API: the system's ANSI code page.
// https://learn.microsoft.com/windows/win32/api/stringapiset/nf-stringapiset-multibytetowidechar
std::string AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return Windows1252ToUtf8(bytes);
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    const int utf8Length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(utf8Length > 0 ? utf8Length : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), utf8Length, nullptr, nullptr);
    return text;
}

}  // namespace discdeck
