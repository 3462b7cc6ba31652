#include "setup/win/SetupDialog.h"

#include <commctrl.h>

#include "res/setup/resource.h"
#include "setup/SetupRunner.h"
#include "setup/win/Win32SetupFiles.h"
#include "setup/win/Win32SetupPlatform.h"

namespace discdeck {

SetupDialog::SetupDialog(HINSTANCE instance)
    : instance_(instance), icon_(LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP))) {}

SetupDialog::~SetupDialog() = default;

INT_PTR SetupDialog::DoModal() {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_SETUP), nullptr, &DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK SetupDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // An exception leaving a window procedure ends the process: everything stops here.
    try {
        SetupDialog* dialog = nullptr;
        if (message == WM_INITDIALOG) {
            dialog = reinterpret_cast<SetupDialog*>(lParam);
            dialog->window_ = window;
            SetWindowLongPtrA(window, DWLP_USER, lParam);
        } else {
            dialog = reinterpret_cast<SetupDialog*>(GetWindowLongPtrA(window, DWLP_USER));
        }
        if (dialog == nullptr) {
            return FALSE;
        }
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR SetupDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_TIMER:
            OnTimer();
            return FALSE;  // and on to the default processing
        case WM_PAINT:
            return OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            return FALSE;
        case WM_NCDESTROY:
            window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

BOOL SetupDialog::OnInitDialog() {
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SendDlgItemMessageA(window_, IDC_STATUS, EM_LIMITTEXT, kStatusLimit, 0);
    status_ = " Running ... ";
    SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 4));
    SetProgress(0);
    UpdateStatus();
    SetTimer(window_, kStartTimer, kStartDelay, nullptr);
    return TRUE;
}

void SetupDialog::OnTimer() {
    // Killed first: the work runs once, however long it takes.
    KillTimer(window_, kStartTimer);
    RunSetup();
}

void SetupDialog::RunSetup() {
    Win32SetupFiles files;
    Win32SetupPlatform platform;
    const SetupOutcome outcome = SetupRunner(files, platform, *this).RunSetup();
    if (outcome == SetupOutcome::Close) {
        OnOK();
    }
}

bool SetupDialog::OnPaint() {
    if (!IsIconic(window_)) {
        return false;
    }
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window_, &paint);
    return true;
}

void SetupDialog::OnOK() {
    EndDialog(window_, IDOK);
}

void SetupDialog::OnCancel() {
    EndDialog(window_, IDCANCEL);
}

void SetupDialog::UpdateStatus() {
    const HWND field = GetDlgItem(window_, IDC_STATUS);
    SetWindowTextA(field, status_.c_str());
    UpdateWindow(field);
    trace_.Write("status " + status_);
}

void SetupDialog::SetStatus(const std::string& text) {
    status_ = text;
    UpdateStatus();
}

void SetupDialog::SetProgress(int position) {
    const HWND bar = GetDlgItem(window_, IDC_PROGRESS);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    UpdateWindow(bar);
    trace_.Write("progress " + std::to_string(position));
}

void SetupDialog::ShowFileError(const std::string& text) {
    trace_.Write("message " + text);
    MessageBoxA(window_, text.c_str(), "Setup", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace discdeck
