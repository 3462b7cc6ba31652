#include "setup/win/SetupDialog.h"

#include <commctrl.h>

#include "framework/DataExchange.h"
#include "res/setup/resource.h"
#include "setup/SetupRunner.h"
#include "setup/win/WideText.h"
#include "setup/win/Win32SetupFiles.h"
#include "setup/win/Win32SetupPlatform.h"

namespace discdeck {

const fw::MessageMap* SetupDialog::GetThisMessageMap() {
    using T = SetupDialog;
    static const fw::MessageEntry entries[] = {
        fw::OnPaint<&T::OnPaint>(),
        fw::OnQueryDragIcon<&T::OnQueryDragIcon>(),
        fw::OnTimer<&T::OnTimer>(),
    };
    static const fw::MessageMap map = fw::MakeMessageMap(&fw::Dialog::GetThisMessageMap, entries);
    return &map;
}

SetupDialog::SetupDialog() : fw::Dialog(IDD_SETUP), icon(fw::Icon::Load(GetResourceInstance(), IDI_SETUP)) {}

SetupDialog::~SetupDialog() = default;

void SetupDialog::DoDataExchange(fw::DataExchange& dx) {
    fw::DdxControl(dx, IDC_PROGRESS, progress);
    fw::DdxText(dx, IDC_STATUS, status, kStatusLimit);
}

bool SetupDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    SetIcon(icon.Get(), true);
    SetIcon(icon.Get(), false);
    progress.SetRange(0, 4);
    SetProgress(0);
    SetStatus(" Running ... ");
    SetTimer(kStartTimer, kStartDelay);
    return true;
}

void SetupDialog::OnTimer(UINT_PTR) {
    // Killed first: the work runs once, however long it takes.
    KillTimer(kStartTimer);
    RunSetup();
    Default();
}

void SetupDialog::RunSetup() {
    Win32SetupFiles files;
    Win32SetupPlatform platform;
    if (SetupRunner(files, platform, *this).RunSetup() == SetupOutcome::Close) {
        OnOK();
    }
}

void SetupDialog::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    fw::PaintDC dc(hwnd);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    const RECT client = GetClientRect();
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.Get(), x, y, icon.Get());
}

void SetupDialog::SetStatus(const std::string& text) {
    trace.Write("status " + text);
    status = text;
    UpdateData(false);
    GetItem(IDC_STATUS).Update();
}

void SetupDialog::SetProgress(int position) {
    progress.SetPos(position);
    progress.Update();
    trace.Write("progress " + std::to_string(position));
}

void SetupDialog::ShowFileError(const std::string& text) {
    trace.Write("message " + text);
    // The text names paths, which may lie outside the ANSI code page.
    WideText wide;
    Widen(text, wide);
    MessageBoxW(hwnd, wide.data(), L"Setup", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace discdeck
