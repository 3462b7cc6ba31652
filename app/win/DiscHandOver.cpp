#include "app/win/DiscHandOver.h"

#include <shellapi.h>

#include "framework/WideText.h"

namespace discdeck {

namespace {

constexpr const char* kPlayerWindowProperty = "discdeck.player";
// Marks the WM_COPYDATA of a handed-over sheet ('DDSH').
constexpr ULONG_PTR kSheetHandOver = 0x44445348;
constexpr DWORD kHandOverTimeoutMs = 5000;

struct MediaHotKey {
    int id;
    UINT virtualKey;
    MediaKey key;
};
constexpr MediaHotKey kMediaHotKeys[] = {
    {1, VK_MEDIA_PLAY_PAUSE, MediaKey::PlayPause},
    {2, VK_MEDIA_STOP, MediaKey::Stop},
    {3, VK_MEDIA_NEXT_TRACK, MediaKey::NextTrack},
    {4, VK_MEDIA_PREV_TRACK, MediaKey::PreviousTrack},
};

BOOL CALLBACK FindPlayer(HWND window, LPARAM found) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() && ::GetPropA(window, kPlayerWindowProperty) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void MarkPlayerWindow(HWND window) {
    ::SetPropA(window, kPlayerWindowProperty, reinterpret_cast<HANDLE>(1));
}

bool HandSheetToRunningPlayer(const std::string& sheetPath) {
    HWND player = nullptr;
    ::EnumWindows(FindPlayer, reinterpret_cast<LPARAM>(&player));
    if (player == nullptr) {
        return false;
    }
    // The running player has its own current folder: it gets the full path.
    // The path goes over as UTF-8, so a name outside either side's ANSI code page arrives whole.
    const std::wstring wide = fw::Widen(sheetPath);
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed > 0 ? ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr) : 0;
    std::string path = length > 0 && length < needed ? fw::Utf8FromWide(full.substr(0, length)) : sheetPath;
    COPYDATASTRUCT data{};
    data.dwData = kSheetHandOver;
    data.cbData = static_cast<DWORD>(path.size() + 1);
    data.lpData = path.data();
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                 kHandOverTimeoutMs, &answer) != 0;
}

std::optional<std::string> HandedSheet(LPARAM copyData) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(copyData);
    if (data == nullptr || data->dwData != kSheetHandOver || data->lpData == nullptr || data->cbData == 0) {
        return std::nullopt;
    }
    // Another process wrote it: only up to its first zero, never beyond the bytes it sent.
    const char* text = static_cast<const char*>(data->lpData);
    size_t length = 0;
    while (length < data->cbData && text[length] != '\0') {
        ++length;
    }
    return std::string(text, length);
}

std::vector<std::string> DroppedFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        ::DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(length);
        names.push_back(fw::Utf8FromWide(name));
    }
    ::DragFinish(drop);
    return names;
}

void RegisterMediaHotKeys(HWND window) {
    for (const MediaHotKey& hotKey : kMediaHotKeys) {
        ::RegisterHotKey(window, hotKey.id, 0, hotKey.virtualKey);
    }
}

void UnregisterMediaHotKeys(HWND window) {
    for (const MediaHotKey& hotKey : kMediaHotKeys) {
        ::UnregisterHotKey(window, hotKey.id);
    }
}

std::optional<MediaKey> MediaKeyOfHotKey(WPARAM id) {
    for (const MediaHotKey& hotKey : kMediaHotKeys) {
        if (static_cast<WPARAM>(hotKey.id) == id) {
            return hotKey.key;
        }
    }
    return std::nullopt;
}

std::optional<MediaKey> MediaKeyOfAppCommand(LPARAM lParam) {
    switch (GET_APPCOMMAND_LPARAM(lParam)) {
        case APPCOMMAND_MEDIA_PLAY_PAUSE:
            return MediaKey::PlayPause;
        case APPCOMMAND_MEDIA_STOP:
            return MediaKey::Stop;
        case APPCOMMAND_MEDIA_NEXTTRACK:
            return MediaKey::NextTrack;
        case APPCOMMAND_MEDIA_PREVIOUSTRACK:
            return MediaKey::PreviousTrack;
        default:
            return std::nullopt;
    }
}

}  // namespace discdeck
