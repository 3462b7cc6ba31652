// Stands in for the installer of a package in the Wine test. Appends "started <own path> <arguments>"
// to the file DISCDECK_INSTALLER_MARKER names; while the file DISCDECK_INSTALLER_HOLD names does
// not exist (up to two minutes), it waits, so the test can look at the unpacked files; it ends with
// the number given as "/exit=N" among its arguments, else 0.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Environment(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string marker = Environment("DISCDECK_INSTALLER_MARKER");
    if (length == 0 || length >= MAX_PATH || marker.empty()) {
        return 1;
    }
    const HANDLE file = CreateFileA(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    const std::string text = std::string("started ") + path + " " + arguments + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);

    const std::string hold = Environment("DISCDECK_INSTALLER_HOLD");
    for (int i = 0; !hold.empty() && i < 1200 && GetFileAttributesA(hold.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(100);
    }
    const char* exit = std::strstr(arguments, "/exit=");
    return exit != nullptr ? std::atoi(exit + 6) : 0;
}
