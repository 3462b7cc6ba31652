#include "tests/wine/WineTestSupport.h"

#include <cstdlib>
#include <vector>

namespace discdeck::test {

namespace {
// Set when a pump met WM_QUIT: the queue holds it no longer, the test still wants to know.
bool quitSeen = false;

}  // namespace

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

namespace {
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string full = folder + "\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(full);
            } else {
                ::DeleteFileA(full.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}
}  // namespace

ScratchFolder::ScratchFolder() {
    char buffer[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, buffer);
    previous = buffer;
    ::GetTempPathA(MAX_PATH, buffer);
    static unsigned counter = 0;
    path = std::string(buffer) + "discdeck-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
    ::CreateDirectoryA(path.c_str(), nullptr);
    ::SetCurrentDirectoryA(path.c_str());
}

ScratchFolder::~ScratchFolder() {
    ::SetCurrentDirectoryA(previous.c_str());
    RemoveTree(path);
}

std::string SourcePath(const std::string& relative) {
    return WindowsPath(std::string(DISCDECK_SOURCE_DIR) + "/" + relative);
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        MSG message{};
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitSeen = true;
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(10);
    }
}

bool QuitPosted() {
    MSG message{};
    bool queued = ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    bool seen = quitSeen || queued;
    quitSeen = false;
    return seen;
}

void DrainQuit() {
    QuitPosted();
}

bool SaveArtifact(const fw::Image& image, const std::string& name) {
    const char* folder = std::getenv("DISCDECK_ARTIFACTS");
    if (folder == nullptr || *folder == '\0') {
        return false;
    }
    std::string windowsFolder = WindowsPath(folder);
    ::CreateDirectoryA(windowsFolder.c_str(), nullptr);
    return fw::SaveBmp(image, windowsFolder + "\\" + name);
}

}  // namespace discdeck::test
