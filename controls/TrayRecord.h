#pragma once

#include <cstdint>
#include <string>

namespace discdeck {

// Contents of the tray icon's notification record for one operation, free of the Win32 structure.
struct TrayRecord {
    uint32_t message = 0;  // NIM_ADD 0, NIM_MODIFY 1, NIM_DELETE 2
    uint32_t size = 0;     // cbSize: the wide record's original layout (NOTIFYICONDATAW_V1_SIZE)
    uint32_t iconId = 0;
    uint32_t flags = 0;  // kTrayFlag* below
    uint32_t callbackMessage = 0;
    std::string tip;  // already cut to what the operation allows
};

constexpr uint32_t kTrayRecordSize = 152;
constexpr uint32_t kTrayCallbackMessage = 0x0400;  // WM_USER
constexpr uint32_t kTrayFlagMessage = 1;           // NIF_MESSAGE
constexpr uint32_t kTrayFlagIcon = 2;              // NIF_ICON
constexpr uint32_t kTrayFlagTip = 4;               // NIF_TIP
constexpr const char* kTrayAddTip = "Tarvik CDDB Player";
constexpr size_t kTrayAddTipMax = 63;
constexpr size_t kTrayModifyTipMax = 29;

// operation: 0 add (message, icon and the fixed tip), 1 modify (the caption as tip, cut to whole
// characters), 2 delete.
// Any other operation gives a record with no flags.
TrayRecord MakeTrayRecord(int operation, const std::string& caption);

}  // namespace discdeck
