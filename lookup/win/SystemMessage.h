#pragma once

#include <windows.h>

#include <string>

namespace discdeck {

// The system's message text for an error code (FormatMessageA), without the trailing line break;
// "Error <code>" when the system has none. Codes of a module with its own message table (WinINet's
// 12000 and up live in wininet.dll, https://learn.microsoft.com/windows/win32/wininet/wininet-errors)
// are looked up there first.
std::string SystemMessageText(DWORD errorCode, HMODULE messageModule = nullptr);

}  // namespace discdeck
