#include "app/win/TrayIcon.h"

#include <string>

#include "controls/TrayRecord.h"

namespace discdeck {

namespace {
class ShellTray : public TrayNotifier {
  public:
    BOOL Notify(DWORD message, NOTIFYICONDATAA& data) override { return ::Shell_NotifyIconA(message, &data); }
};
}  // namespace

TrayNotifier& SystemTray() {
    static ShellTray tray;
    return tray;
}

BOOL UpdateTrayIcon(HWND window, HICON icon, int operation, TrayNotifier& tray) {
    char caption[256] = "";
    if (operation == 1) {
        ::GetWindowTextA(window, caption, sizeof(caption));
    }
    const TrayRecord record = MakeTrayRecord(operation, caption);
    static_assert(sizeof(NOTIFYICONDATAA) >= 88, "the record's first 88 bytes are its original layout");
    NOTIFYICONDATAA data{};
    data.cbSize = record.size;
    data.hWnd = window;
    data.uID = record.iconId;
    data.uFlags = record.flags;
    data.uCallbackMessage = record.callbackMessage;
    data.hIcon = icon;
    record.tip.copy(data.szTip, sizeof(data.szTip) - 1);
    return tray.Notify(record.message, data);
}

}  // namespace discdeck
