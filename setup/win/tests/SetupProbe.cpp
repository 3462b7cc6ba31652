// Looks at a setup run from outside, for the Wine test script:
//   setup_probe attributes PATH   prints the file's attributes in hex
//   setup_probe times PATH        prints creation and last-write time in seconds since 1970 (UTC)
//   setup_probe status            prints the status line of the setup window; exit code 1 without one
//   setup_probe close             asks the setup window to close (as Escape would); 1 without one
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kStatusId = 1006;
constexpr int kProgressId = 1008;

long long UnixSeconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<long long>(value.QuadPart / 10000000ULL) - 11644473600LL;
}

BOOL CALLBACK FindSetupWindow(HWND window, LPARAM result) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    const HWND progress = GetDlgItem(window, kProgressId);
    char progressClass[64] = {};
    if (progress != nullptr) {
        GetClassNameA(progress, progressClass, sizeof progressClass);
    }
    if (std::strcmp(className, "#32770") == 0 && GetDlgItem(window, kStatusId) != nullptr &&
        _stricmp(progressClass, "msctls_progress32") == 0) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

HWND SetupWindow() {
    HWND window = nullptr;
    EnumWindows(&FindSetupWindow, reinterpret_cast<LPARAM>(&window));
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "attributes") == 0) {
        const DWORD attributes = GetFileAttributesA(argv[2]);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return 1;
        }
        std::printf("%02lx\n", static_cast<unsigned long>(attributes));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "times") == 0) {
        const HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        FILETIME creation;
        FILETIME access;
        FILETIME write;
        if (file == INVALID_HANDLE_VALUE || !GetFileTime(file, &creation, &access, &write)) {
            return 1;
        }
        CloseHandle(file);
        std::printf("%lld %lld\n", UnixSeconds(creation), UnixSeconds(write));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "status") == 0) {
        const HWND window = SetupWindow();
        if (window == nullptr) {
            return 1;
        }
        char text[256] = {};
        GetDlgItemTextA(window, kStatusId, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
        const HWND window = SetupWindow();
        if (window == nullptr) {
            return 1;
        }
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: setup_probe attributes|times PATH, or status|close\n");
    return 2;
}
