#include "ports/win/WideText.h"

#include <windows.h>

#include "ports/Utf8Text.h"

namespace discdeck {

namespace {

// https://learn.microsoft.com/windows/win32/api/stringapiset/nf-stringapiset-multibytetowidechar
std::wstring ToWide(std::string_view bytes, UINT codePage, DWORD flags) {
    const int size = static_cast<int>(bytes.size());
    const int length = bytes.empty() ? 0 : ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length);
    }
    return wide;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
    std::wstring wide = ToWide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty() && !utf8.empty()) {
        // A stray byte (text from outside, unchecked) is one Windows-1252 character, as replies take
        // it, rather than a replacement mark.
        wide = ToWide(ReplyBytesToUtf8(utf8), CP_UTF8, 0);
    }
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        wide.empty() ? 0 : ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    }
    return text;
}

// Old database files hold what the program wrote with the narrow API: the system's ANSI code page.
std::string AnsiToUtf8(std::string_view bytes) {
    return Utf8FromWide(ToWide(bytes, CP_ACP, 0));
}

}  // namespace discdeck
