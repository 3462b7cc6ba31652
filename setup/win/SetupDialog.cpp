#include "setup/win/SetupDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/DataExchange.h"
#include "res/setup/resource.h"
#include "setup/SetupRunner.h"
#include "setup/win/WideText.h"

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

SetupDialog::SetupDialog(SetupFiles& files, SetupPlatform& platform, std::string arguments)
    : fw::Dialog(IDD_SETUP),
      files(files),
      platform(platform),
      arguments(std::move(arguments)),
      exitCode(SetupRunner::kExitCancelled),
      icon(fw::Icon::Load(GetResourceInstance(), IDI_SETUP)) {}

SetupDialog::~SetupDialog() = default;

void SetupDialog::DoDataExchange(fw::DataExchange& dx) {
    fw::DdxControl(dx, IDC_PROGRESS, progress);
    fw::DdxText(dx, IDC_STATUS, status, kStatusLimit);
}

bool SetupDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    SetIcon(icon.Get(), true);
    SetIcon(icon.Get(), false);
    ScaleBanner();
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
    const SetupResult result = SetupRunner(files, platform, *this, arguments).RunSetup();
    exitCode = result.exitCode;
    if (result.outcome == SetupOutcome::Close) {
        OnOK();
    }
}

void SetupDialog::ScaleBanner() {
    // The window is laid out in dialog units and so grows with the system DPI and its dialog font;
    // the banner, a bitmap of fixed pixels, is drawn larger by as much, keeping the share of its
    // frame it has at 96 DPI (MS Sans Serif 8: the frame's inside is 451 x 136 pixels there).
    // https://learn.microsoft.com/windows/win32/hidpi/high-dpi-desktop-application-development-on-windows
    constexpr double kFrameWidthAt96 = 451;
    constexpr double kFrameHeightAt96 = 136;
    const HWND picture = GetItem(IDC_PICTURE).GetHandle();
    const HBITMAP current = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size{};
    RECT frame{};
    if (current == nullptr || GetObjectW(current, sizeof size, &size) == 0 || !::GetClientRect(picture, &frame)) {
        return;
    }
    const double scale = std::min(frame.right / kFrameWidthAt96, frame.bottom / kFrameHeightAt96);
    const int width = static_cast<int>(size.bmWidth * scale + 0.5);
    const int height = static_cast<int>(size.bmHeight * scale + 0.5);
    if (width <= size.bmWidth) {
        return;
    }
    banner = fw::Bitmap(static_cast<HBITMAP>(LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(IDB_BANNER),
                                                        IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION)));
    if (banner) {
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner.Get()));
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

void SetupDialog::Note(const std::string& text) {
    trace.Write("note " + text);
}

void SetupDialog::ShowFileError(const std::string& text) {
    trace.Write("message " + text);
    // The text names paths, which may lie outside the ANSI code page.
    WideText wide;
    Widen(text, wide);
    MessageBoxW(hwnd, wide.data(), L"discdeck Setup", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace discdeck
