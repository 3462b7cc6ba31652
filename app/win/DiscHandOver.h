#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/PlayerController.h"

namespace discdeck {

// How discs reach a running player from outside: files dropped on its window, a sheet handed over
// by a second start (WM_COPYDATA), and the keyboard's media keys.

// Marks the window as the player's, so a second start can find it.
void MarkPlayerWindow(HWND window);
// Gives the sheet (made absolute against this process's folder) to a running player's window;
// false when no player runs or it did not take it.
bool HandSheetToRunningPlayer(const std::string& sheetPath);
// The sheet a WM_COPYDATA carries from HandSheetToRunningPlayer, or nothing for other data.
std::optional<std::string> HandedSheet(LPARAM copyData);

// The names of the files of a WM_DROPFILES; the drop is finished (its memory freed).
std::vector<std::string> DroppedFiles(HDROP drop);

// The media keys as hot keys of the window, so they act without the focus too (a key another
// program holds already is left to it).
void RegisterMediaHotKeys(HWND window);
void UnregisterMediaHotKeys(HWND window);
std::optional<MediaKey> MediaKeyOfHotKey(WPARAM id);
std::optional<MediaKey> MediaKeyOfAppCommand(LPARAM lParam);

}  // namespace discdeck
