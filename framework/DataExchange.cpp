#include "framework/DataExchange.h"

#include <cstdio>
#include <vector>

#include "framework/ControlHost.h"
#include "framework/Dialog.h"
#include "ports/Int16Text.h"

namespace discdeck::fw {

HWND DataExchange::PrepareControl(int id) {
    HWND control = ::GetDlgItem(dialog.GetHandle(), id);
    if (control == nullptr) {
        char text[64];
        std::snprintf(text, sizeof(text), "discdeck: dialog control %d is missing\n", id);
        ::OutputDebugStringA(text);
        throw DataExchangeFailure{};
    }
    lastControl = control;
    return control;
}

void DataExchange::Fail(const std::string& message) {
    dialog.ShowDataExchangeMessage(message);
    if (lastControl != nullptr) {
        ::SetFocus(lastControl);
        ::SendMessageA(lastControl, EM_SETSEL, 0, -1);
    }
    throw DataExchangeFailure{};
}

void DdxControl(DataExchange& dx, int id, ControlHost& control) {
    if (control.GetHandle() == nullptr) {
        HWND window = dx.PrepareControl(id);
        if (!control.SubclassWindow(window)) {
            throw DataExchangeFailure{};
        }
    }
}

void DdxControl(DataExchange& dx, int id, Window& control) {
    control = Window(dx.PrepareControl(id));
}

void DdxText(DataExchange& dx, int id, std::string& value, size_t maxChars) {
    Window control(dx.PrepareControl(id));
    if (dx.saveAndValidate) {
        std::string text = control.GetText();
        if (maxChars != 0 && text.size() > maxChars) {
            text.resize(maxChars);
        }
        value = text;
    } else {
        if (maxChars != 0) {
            control.Send(EM_LIMITTEXT, maxChars);
        }
        control.SetText(value);
    }
}

void DdxText(DataExchange& dx, int id, int16_t& value) {
    Window control(dx.PrepareControl(id));
    if (dx.saveAndValidate) {
        std::optional<int16_t> parsed = ParseInt16(control.GetText());
        if (!parsed) {
            dx.Fail(kEnterIntegerMessage);
        }
        value = *parsed;
    } else {
        control.SetText(std::to_string(value));
    }
}

void DdxCheck(DataExchange& dx, int id, int& value) {
    Window control(dx.PrepareControl(id));
    if (dx.saveAndValidate) {
        value = static_cast<int>(control.Send(BM_GETCHECK));
    } else {
        control.Send(BM_SETCHECK, static_cast<WPARAM>(value));
    }
}

}  // namespace discdeck::fw
