#include "app/win/TrayIcon.h"

#include <iterator>
#include <string>

#include "controls/TrayRecord.h"
#include "framework/WideText.h"

namespace discdeck {

namespace {
class ShellTray : public TrayNotifier {
  public:
    BOOL Notify(DWORD message, NOTIFYICONDATAW& data) override { return ::Shell_NotifyIconW(message, &data); }
};
}  // namespace

TrayNotifier& SystemTray() {
    static ShellTray tray;
    return tray;
}

BOOL UpdateTrayIcon(HWND window, HICON icon, int operation, TrayNotifier& tray) {
    wchar_t caption[256] = L"";
    if (operation == 1) {
        ::GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
    }
    const TrayRecord record = MakeTrayRecord(operation, fw::Utf8FromWide(caption));
    static_assert(sizeof(NOTIFYICONDATAW) >= kTrayRecordSize, "the record's first bytes are its original layout");
    NOTIFYICONDATAW data{};
    data.cbSize = record.size;
    data.hWnd = window;
    data.uID = record.iconId;
    data.uFlags = record.flags;
    data.uCallbackMessage = record.callbackMessage;
    data.hIcon = icon;
    const std::wstring tip = fw::Widen(record.tip);
    tip.copy(data.szTip, std::size(data.szTip) - 1);
    return tray.Notify(record.message, data);
}

}  // namespace discdeck
