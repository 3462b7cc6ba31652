// Looks at a setup run from outside, for the Wine test script:
//   setup_probe attributes PATH   prints the file's attributes in hex
//   setup_probe times PATH        prints creation and last-write time in seconds since 1970 (UTC)
//   setup_probe status            prints the status line of the setup window; exit code 1 without one
//   setup_probe close             asks the setup window to close (as Escape would); 1 without one
//   setup_probe run PROGRAM ARG...  runs the program (arguments with blanks quoted), waits and prints
//                                 its whole exit code (a Unix exit status keeps only 8 bits of it)
//   setup_probe template PATH     prints dialog 102 of the program at PATH as its resource holds it:
//                                 "dialog STYLE EXSTYLE CX CY POINTS FONT", then for each control
//                                 "item ID CLASS X Y CX CY STYLE EXSTYLE" (styles in hex)
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/wine/DialogTemplate.h"

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

int PrintDialogTemplate(const char* path) {
    const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    discdeck::test::DialogTemplate dialog;
    const bool read = module != nullptr && discdeck::test::LoadDialogTemplate(module, 102, dialog);
    if (module != nullptr) {
        FreeLibrary(module);
    }
    if (!read) {
        return 1;
    }
    std::printf("dialog %08lx %08lx %d %d %d %s\n", static_cast<unsigned long>(dialog.style),
                static_cast<unsigned long>(dialog.exStyle), dialog.cx, dialog.cy, dialog.pointSize,
                dialog.font.c_str());
    for (const discdeck::test::TemplateItem& item : dialog.items) {
        std::printf("item %d %s %d %d %d %d %08lx %08lx\n", item.id, item.className.c_str(), item.x, item.y, item.cx,
                    item.cy, static_cast<unsigned long>(item.style), static_cast<unsigned long>(item.exStyle));
    }
    return 0;
}

}  // namespace

// Wide throughout: the program may lie in a folder named outside the ANSI code page.
int RunAndPrintExitCode() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 3) {
        return 1;
    }
    std::wstring commandLine;
    for (int i = 2; i < count; ++i) {
        const bool quote = std::wcschr(arguments[i], L' ') != nullptr;
        commandLine += (i > 2 ? L" " : L"") + std::wstring(quote ? L"\"" : L"") + arguments[i] + (quote ? L"\"" : L"");
    }
    LocalFree(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%lu\n", static_cast<unsigned long>(code));
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) {
        return RunAndPrintExitCode();
    }
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
    if (argc == 3 && std::strcmp(argv[1], "template") == 0) {
        return PrintDialogTemplate(argv[2]);
    }
    std::fprintf(stderr, "usage: setup_probe attributes|times|template PATH, run PROGRAM ARG..., or status|close\n");
    return 2;
}
