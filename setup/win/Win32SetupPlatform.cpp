#include "setup/win/Win32SetupPlatform.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "setup/win/WideText.h"

namespace discdeck {

std::string Win32SetupPlatform::WindowsDirectory() {
    wchar_t buffer[255];
    const UINT length = GetWindowsDirectoryW(buffer, sizeof buffer / sizeof buffer[0]);
    // A result as large as the buffer is the size it would need.
    if (length == 0 || length >= sizeof buffer / sizeof buffer[0]) {
        return std::string();
    }
    return Utf8FromWide(buffer, length);
}

std::string Win32SetupPlatform::ModulePath() {
    // The wide form: the ANSI one turns characters outside the code page into "?". It truncates
    // silently: grow until the path fits.
    // https://learn.microsoft.com/windows/win32/api/libloaderapi/nf-libloaderapi-getmodulefilenamew
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            return Utf8FromWide(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Win32SetupPlatform::StartProgram(const std::string& path) {
    WideText wide;
    if (!Widen(path, wide)) {
        return false;
    }
    // Values above 32 mean success.
    // https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shellexecutew
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", wide.data(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void Win32SetupPlatform::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace discdeck
