#include "framework/ControlHost.h"

namespace discdeck::fw {

const MessageMap* ControlHost::GetThisMessageMap() {
    static const MessageEntry entries[] = {
        OnDrawItem<&ControlHost::DrawItem>(ReflectedMessage(WM_DRAWITEM)),
        OnMeasureItem<&ControlHost::MeasureItem>(ReflectedMessage(WM_MEASUREITEM)),
    };
    static const MessageMap map = MakeMessageMap(&MessageHost::GetThisMessageMap, entries);
    return &map;
}

bool ControlHost::SubclassWindow(HWND window) {
    if (window == nullptr || hwnd != nullptr || FromHandle(window) != nullptr) {
        return false;
    }
    hwnd = window;
    PreSubclassWindow();
    hwnd = nullptr;
    return Attach(window);
}

void ControlHost::DrawItem(const DRAWITEMSTRUCT&) {}

void ControlHost::MeasureItem(MEASUREITEMSTRUCT&) {}

}  // namespace discdeck::fw
