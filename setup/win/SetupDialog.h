#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "setup/SetupFiles.h"
#include "setup/SetupView.h"
#include "setup/win/SetupTrace.h"

namespace discdeck {

// The setup program's only window (dialog 102): banner, status line (1006), progress bar (1008).
// One second after it is shown it runs the whole setup once on its own thread; it closes when the
// installer has ended or a file error was reported, and stays open showing why otherwise.
class SetupDialog : public fw::Dialog, public SetupView {
  public:
    // arguments go to the installer.
    SetupDialog(SetupFiles& files, SetupPlatform& platform, std::string arguments);
    ~SetupDialog() override;

    // The installer's exit code, or setup's failure code; valid once the window has closed.
    std::uint32_t ExitCode() const { return exitCode; }

    // SetupView: each change is drawn at once, as the work does not return to the message loop.
    void SetStatus(const std::string& text) override;
    void SetProgress(int position) override;
    void ShowFileError(const std::string& text) override;
    void Note(const std::string& text) override;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(fw::DataExchange& dx) override;

  private:
    static constexpr UINT_PTR kStartTimer = 1;
    static constexpr UINT kStartDelay = 1000;
    static constexpr size_t kStatusLimit = 80;

    void OnTimer(UINT_PTR id);
    void OnPaint();
    HICON OnQueryDragIcon() { return icon.Get(); }
    void RunSetup();
    void ScaleBanner();

    SetupFiles& files;
    SetupPlatform& platform;
    std::string arguments;
    // Cancelled until the setup has run: a window closed before then installed nothing.
    std::uint32_t exitCode;
    fw::Bitmap banner;  // the banner drawn at the picture's size, when that differs from its own

    fw::ProgressBar progress;
    // The status field's text, UTF-8 as the framework shows it through the wide API.
    std::string status;
    fw::Icon icon;
    SetupTrace trace;

    DISCDECK_DECLARE_MESSAGE_MAP()
};

}  // namespace discdeck
