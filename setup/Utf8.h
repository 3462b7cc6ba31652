#pragma once

#include <string>

namespace discdeck {

// The setup program keeps paths and names as UTF-8 and hands them to the system in its wide forms,
// so a folder named outside the ANSI code page works.

// True for well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& text);

// ISO-8859-1 bytes as UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

}  // namespace discdeck
