#include "setup/win/WideText.h"

namespace discdeck {
namespace {

// Converted texts are short (paths, names, messages): one call to learn the size, one to convert.
// False for bytes that are not valid in the code page when flags ask for MB_ERR_INVALID_CHARS.
bool ToWide(const std::string& bytes, UINT codePage, DWORD flags, WideText& wide) {
    wide.assign(1, L'\0');
    if (bytes.empty()) {
        return true;
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.assign(static_cast<std::size_t>(length) + 1, L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length);
    return true;
}

std::string FromWide(const wchar_t* text, std::size_t length, UINT codePage) {
    if (length == 0) {
        return std::string();
    }
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(codePage, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, size, &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

}  // namespace

bool Widen(const std::string& utf8, WideText& wide) {
    return ToWide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS, wide);
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    return FromWide(text, length, CP_UTF8);
}

std::string Utf8FromCodePage(const std::string& bytes, UINT codePage) {
    WideText wide;
    ToWide(bytes, codePage, 0, wide);
    return Utf8FromWide(wide.data(), wide.size() - 1);
}

}  // namespace discdeck
