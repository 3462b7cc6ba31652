#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace discdeck {

// The setup core's UTF-8 texts and the system's wide and ANSI ones.

// A NUL-terminated wide text. Not std::wstring: that links all of the runtime's wide strings into
// setup.exe (35 KB).
using WideText = std::vector<wchar_t>;

// False (and wide left holding an empty text) for text that is not well-formed UTF-8.
bool Widen(const std::string& utf8, WideText& wide);
std::string Utf8FromWide(const wchar_t* text, std::size_t length);
// Bytes in a code page (CP_ACP, ...) as UTF-8.
std::string Utf8FromCodePage(const std::string& bytes, UINT codePage);

}  // namespace discdeck
