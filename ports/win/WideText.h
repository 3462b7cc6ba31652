#pragma once

#include <string>
#include <string_view>

namespace discdeck {

// The one place where the program's UTF-8 text meets the W-suffixed Win32 functions, so nothing
// shown, opened or named depends on the system's ANSI code page.
std::wstring Widen(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace discdeck
