#pragma once

#include <windows.h>

#include <shellapi.h>

namespace discdeck {

// Where tray records go: the shell, or a recorder in tests (Wine's tray cannot be read back).
class TrayNotifier {
  public:
    virtual ~TrayNotifier() = default;
    virtual BOOL Notify(DWORD message, NOTIFYICONDATAW& data) = 0;
};

// Shell_NotifyIconW.
TrayNotifier& SystemTray();

// Adds (0), modifies (1) or deletes (2) the window's tray icon: id 215, callback WM_USER, the icon
// given; the tip is "Tarvik CDDB Player" on add and the window's caption (29 characters at most) on
// modify. The record has its original 88-byte size. The shell's answer is returned; the player
// ignores it.
BOOL UpdateTrayIcon(HWND window, HICON icon, int operation, TrayNotifier& tray = SystemTray());

}  // namespace discdeck
