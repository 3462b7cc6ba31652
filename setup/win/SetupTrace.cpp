#include "setup/win/SetupTrace.h"

#include <windows.h>

#include <utility>

namespace discdeck {

SetupTrace::SetupTrace() {
    const DWORD size = GetEnvironmentVariableW(L"DISCDECK_SETUP_TRACE", nullptr, 0);
    if (size == 0) {
        return;
    }
    WideText value(size);
    const DWORD length = GetEnvironmentVariableW(L"DISCDECK_SETUP_TRACE", value.data(), size);
    if (length > 0 && length < size) {
        path_ = std::move(value);
    }
}

void SetupTrace::Write(const std::string& line) const {
    if (path_.empty()) {
        return;
    }
    const HANDLE file = CreateFileW(path_.data(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace discdeck
