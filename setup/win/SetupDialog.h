#pragma once

#include <windows.h>

#include <string>

#include "setup/SetupView.h"
#include "setup/win/SetupTrace.h"

namespace discdeck {

// The setup program's only window (dialog 102): banner, status line (1006), progress bar (1008).
// One second after it is shown it runs the whole setup once on its own thread; it closes when the
// installer was started or a file error was reported, and stays open showing why otherwise.
class SetupDialog : public SetupView {
  public:
    explicit SetupDialog(HINSTANCE instance);
    ~SetupDialog() override;
    SetupDialog(const SetupDialog&) = delete;
    SetupDialog& operator=(const SetupDialog&) = delete;

    INT_PTR DoModal();

    // SetupView: each change is drawn at once, as the work does not return to the message loop.
    void SetStatus(const std::string& text) override;
    void SetProgress(int position) override;
    void ShowFileError(const std::string& text) override;

  private:
    static constexpr UINT_PTR kStartTimer = 1;
    static constexpr UINT kStartDelay = 1000;
    static constexpr int kStatusLimit = 80;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    BOOL OnInitDialog();
    void OnTimer();
    bool OnPaint();
    HICON OnQueryDragIcon() const { return icon_; }
    void OnOK();
    void OnCancel();
    // Transfers status to the status field (the data exchange towards the controls).
    void UpdateStatus();
    void RunSetup();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HICON icon_;
    std::string status_;
    SetupTrace trace_;
};

}  // namespace discdeck
