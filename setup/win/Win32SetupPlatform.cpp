#include "setup/win/Win32SetupPlatform.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

namespace discdeck {

std::string Win32SetupPlatform::WindowsDirectory() {
    char buffer[255];
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    // A result as large as the buffer is the size it would need.
    if (length == 0 || length >= sizeof buffer) {
        return std::string();
    }
    return std::string(buffer, length);
}

std::string Win32SetupPlatform::ModulePath() {
    // GetModuleFileNameA truncates silently: grow until the path fits.
    // https://learn.microsoft.com/windows/win32/api/libloaderapi/nf-libloaderapi-getmodulefilenamea
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Win32SetupPlatform::StartProgram(const std::string& path) {
    // Values above 32 mean success.
    // https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shellexecutea
    const HINSTANCE result = ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void Win32SetupPlatform::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace discdeck
