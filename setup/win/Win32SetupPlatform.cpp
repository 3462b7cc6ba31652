#include "setup/win/Win32SetupPlatform.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "setup/win/WideText.h"
#include "setup/win/Win32SetupFiles.h"

namespace discdeck {

std::string Win32SetupPlatform::TemporaryDirectory() {
    // The user's own folder (%TEMP%), not the machine-wide one every user can write into.
    // https://learn.microsoft.com/windows/win32/api/fileapi/nf-fileapi-gettemppathw
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(sizeof buffer / sizeof buffer[0], buffer);
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

std::uint32_t Win32SetupPlatform::UniqueNumber() {
    // The process id tells runs apart; the counter tells this run's attempts apart.
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<std::uint32_t>(GetCurrentProcessId() << 16) ^ static_cast<std::uint32_t>(counter.QuadPart);
}

bool Win32SetupPlatform::RunProgram(const std::string& path, const std::string& arguments, std::uint32_t& exitCode) {
    WideText widePath;
    WideText wideArguments;
    if (!Widen(path, widePath) || !Widen(arguments, wideArguments)) {
        lastError_ = ERROR_INVALID_NAME;
        return false;
    }
    // The shell rather than CreateProcess: an installer that asks for elevation gets the consent
    // prompt (CreateProcess would fail with ERROR_ELEVATION_REQUIRED).
    // https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shellexecuteexw
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = widePath.data();
    info.lpParameters = arguments.empty() ? nullptr : wideArguments.data();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        lastError_ = GetLastError();
        return false;
    }
    if (info.hProcess == nullptr) {
        lastError_ = ERROR_INVALID_HANDLE;
        return false;
    }
    // The window stays responsive (repaints, moves) while the installer runs.
    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DWORD code = 0;
    const bool ok = GetExitCodeProcess(info.hProcess, &code) != 0;
    if (!ok) {
        lastError_ = GetLastError();
    }
    CloseHandle(info.hProcess);
    exitCode = code;
    return ok;
}

std::string Win32SetupPlatform::LastErrorText() {
    return SystemErrorText(lastError_);
}

}  // namespace discdeck
