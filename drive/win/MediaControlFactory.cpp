#include "drive/win/MediaControlFactory.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "cdaudio/Clock.h"
#include "cdaudio/win/MciMediaControl.h"
#include "drive/VirtualDiscOption.h"
#include "sound/SoundPlayer.h"
#include "sound/win/WaveOutput.h"

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

// A relative path made whole against the current folder, so the sheet stays the same file when the
// player changes its folder later; others as they are.
std::string InThisFolder(const std::string& path) {
    if (std::filesystem::path(path).is_absolute()) {
        return path;
    }
    std::vector<char> full(MAX_PATH);
    DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    return length > 0 && length < full.size() ? std::string(full.data(), length) : path;
}

}  // namespace

std::unique_ptr<DriveSelector> CreateMediaControl(const std::string& commandLine) {
    auto drive = std::make_unique<DriveSelector>(
        std::make_unique<MciMediaControl>(),
        std::make_unique<WaveOutput>(SoundPlayer::kBufferSamples * kBytesPerSample), std::make_unique<SteadyClock>());
    // For measuring the window against a slow disk: every read of a rip's sound waits this long.
    const std::string slowRead = EnvironmentValue(kSlowReadVariable);
    if (!slowRead.empty()) {
        drive->SetReadDelay(std::chrono::milliseconds(std::strtoul(slowRead.c_str(), nullptr, 10)));
    }
    std::string sheet = VirtualDiscSheet(commandLine, EnvironmentValue(kVirtualDiscVariable));
    if (!sheet.empty()) {
        drive->ChangeDisc(InThisFolder(sheet));
    }
    return drive;
}

}  // namespace discdeck
