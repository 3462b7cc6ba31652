#include "drive/win/MediaControlFactory.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "cdaudio/Clock.h"
#include "cdaudio/win/MciMediaControl.h"
#include "drive/VirtualDiscOption.h"
#include "ports/win/WideText.h"
#include "rip/PathFromUtf8.h"
#include "sound/SoundPlayer.h"
#include "sound/win/WaveOutput.h"

namespace discdeck {

namespace {

// The process environment as Win32 holds it (getenv's copy misses later SetEnvironmentVariableW
// calls), in its wide form so that a path outside the ANSI code page arrives whole.
std::string EnvironmentValue(const char* name) {
    const std::wstring wideName = Widen(name);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            return Utf8FromWide(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(length);  // too small: length is the size needed, terminator included
    }
}

// A relative path made whole against the current folder, so the sheet stays the same file when the
// player changes its folder later; others as they are.
std::string InThisFolder(const std::string& path) {
    if (PathFromUtf8(path).is_absolute()) {
        return path;
    }
    const std::wstring wide = Widen(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed > 0 ? GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr) : 0;
    return length > 0 && length < needed ? Utf8FromWide(std::wstring_view(full.data(), length)) : path;
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
