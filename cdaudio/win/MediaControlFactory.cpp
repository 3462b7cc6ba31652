#include "cdaudio/win/MediaControlFactory.h"

#include <windows.h>

#include <vector>

#include "cdaudio/Clock.h"
#include "cdaudio/SheetFileDrive.h"
#include "cdaudio/VirtualDiscOption.h"
#include "cdaudio/win/MciMediaControl.h"

namespace discdeck {

namespace {

// The process environment as Win32 holds it (getenv's copy misses later SetEnvironmentVariableA calls).
std::string EnvironmentValue(const char* name) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length);  // too small: length is the size needed, terminator included
    }
}

}  // namespace

std::unique_ptr<MediaControl> CreateMediaControl(const std::string& commandLine) {
    std::string sheet = VirtualDiscSheet(commandLine, EnvironmentValue(kVirtualDiscVariable));
    if (!sheet.empty()) {
        return std::make_unique<SheetFileDrive>(sheet, std::make_unique<SteadyClock>());
    }
    return std::make_unique<MciMediaControl>();
}

}  // namespace discdeck
