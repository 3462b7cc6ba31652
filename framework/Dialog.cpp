#include "framework/Dialog.h"

#include <exception>

#include "framework/Application.h"
#include "framework/DataExchange.h"

namespace discdeck::fw {

const MessageMap* Dialog::GetThisMessageMap() {
    static const MessageEntry entries[] = {
        OnCommand<&Dialog::OnOK>(IDOK),
        OnCommand<&Dialog::OnCancel>(IDCANCEL),
    };
    static const MessageMap map = MakeMessageMap(&MessageHost::GetThisMessageMap, entries);
    return &map;
}

Dialog::~Dialog() {
    // The window must not outlive the object its messages go to.
    HWND window = hwnd;
    Detach();
    if (window != nullptr && ::IsWindow(window)) {
        ::DestroyWindow(window);
    }
}

HINSTANCE Dialog::GetResourceInstance() const {
    return resourceInstance != nullptr ? resourceInstance : ResourceInstance();
}

INT_PTR Dialog::DoModal(HWND owner) {
    modal = true;
    INT_PTR result = ::DialogBoxParamW(GetResourceInstance(), MAKEINTRESOURCEW(templateId),
                                       owner != nullptr ? owner : parent, StartProc, reinterpret_cast<LPARAM>(this));
    modal = false;
    return result;
}

bool Dialog::Create(HWND parentWindow) {
    if (hwnd != nullptr) {
        return false;
    }
    modal = false;
    HWND window = ::CreateDialogParamW(GetResourceInstance(), MAKEINTRESOURCEW(templateId),
                                       parentWindow != nullptr ? parentWindow : parent, StartProc,
                                       reinterpret_cast<LPARAM>(this));
    return window != nullptr && hwnd == window;
}

void Dialog::EndDialog(INT_PTR result) {
    if (hwnd == nullptr) {
        return;
    }
    if (modal) {
        ::EndDialog(hwnd, result);
    } else {
        ::DestroyWindow(hwnd);
    }
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    try {
        DoDataExchange(dx);
    } catch (const DataExchangeFailure&) {
        return false;
    }
    return true;
}

void Dialog::ShowDataExchangeMessage(const std::string& text) {
    ::MessageBoxW(hwnd, Widen(text).c_str(), Widen(ApplicationName()).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK Dialog::StartProc(HWND window, UINT message, WPARAM, LPARAM lParam) noexcept {
    // Everything but the start goes through the subclass installed here; the dialog manager still
    // calls this procedure as its default processing, which answers "not handled".
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    if (dialog == nullptr || !dialog->Attach(window)) {
        return TRUE;
    }
    try {
        return dialog->OnInitDialog() ? TRUE : FALSE;
    } catch (const std::exception& error) {
        dialog->OnHandlerException(error.what());
    } catch (...) {
        dialog->OnHandlerException(nullptr);
    }
    return TRUE;
}

}  // namespace discdeck::fw
