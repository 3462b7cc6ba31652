#include "controls/TrayRecord.h"

#include "ports/Utf8Text.h"
#include "res/resource.h"

namespace discdeck {

TrayRecord MakeTrayRecord(int operation, const std::string& caption) {
    TrayRecord record;
    record.message = static_cast<uint32_t>(operation);
    record.size = kTrayRecordSize;
    record.iconId = IDI_PLAYER;  // the icon's own resource id
    record.callbackMessage = kTrayCallbackMessage;
    switch (operation) {
        case 0:
            record.flags = kTrayFlagMessage | kTrayFlagIcon | kTrayFlagTip;
            record.tip = std::string(kTrayAddTip).substr(0, kTrayAddTipMax);
            break;
        case 1:
            record.flags = kTrayFlagTip;
            record.tip = FirstCharacters(caption, kTrayModifyTipMax);
            break;
        default:
            break;
    }
    return record;
}

}  // namespace discdeck
