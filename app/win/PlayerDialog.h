#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/PlayerController.h"
#include "app/PlayerView.h"
#include "app/win/ColourListBox.h"
#include "app/win/TrayIcon.h"
#include "app/win/WindowSkin.h"
#include "cdaudio/CdAudioDevice.h"
#include "controls/PlayerSkin.h"
#include "controls/win/BitmapButton.h"
#include "controls/win/SkinSlider.h"
#include "db/DiscDatabase.h"
#include "db/win/DatabasePreviewDialog.h"
#include "export/DiscExport.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "lookup/CddbTransport.h"
#include "lookup/win/Win32WorkerRunner.h"
#include "ports/Profile.h"
#include "ports/win/WinFilePort.h"

namespace discdeck {

// The player window (dialog 102). It owns the CD device, the controller that takes every decision,
// the report list and the skinned controls, implements PlayerView over the real controls, and
// hands each message to the controller in a line or two.
class PlayerDialog : public fw::Dialog, public PlayerView {
  public:
    // Everything the window reaches outside itself. The media control and the transport are the
    // window's for its whole life; the profile belongs to the application.
    struct Services {
        std::unique_ptr<MediaControl> mediaControl;
        // May be null: the look-up then finds nothing and server commands do nothing. Shared with
        // the exchange running beside the window, which may outlive the window.
        std::shared_ptr<CddbTransport> transport;
        Profile* profile = nullptr;
        // Where messages, shell "open" requests and the preview go; tests replace them. Empty:
        // message boxes, ShellExecuteA, the modal preview dialog.
        MessageSink* messages = nullptr;
        std::function<void(const std::string&)> shellOpen;
        std::function<void()> showPreview;
        TrayNotifier* tray = nullptr;        // null: the shell's notification area
        DiscChanger* discChanger = nullptr;  // null: discs cannot be changed (dropped sheets are ignored)
    };

    // Constructs the device, which opens the drive and reads the disc at once.
    explicit PlayerDialog(Services services, HWND parent = nullptr);
    ~PlayerDialog() override;

    CdAudioDevice& GetDevice() { return device; }
    PlayerController& GetController() { return controller; }
    ColourListBox& GetList() { return list; }
    SkinSlider& GetSlider() { return slider; }
    // Draws the skin at another factor: window size, outline, face, controls, fonts.
    void ApplySkinScale(int factor);
    // The skinned button of a control id, or null.
    BitmapButton* GetButton(int id);
    const BitmapButton* GetButton(int id) const;

    // PlayerView
    int GetLineCount() const override;
    std::string GetLineText(int index) const override;
    void ShowMessage(const std::string& text, const std::string& caption = std::string()) override;
    void SetCursorResource(int resourceId) override;
    void ClearList() override;
    int AddLine(const std::string& text, uint32_t colour) override;
    void RemoveLine(int index) override;
    uint32_t GetLineColour(int index) const override;
    int GetSelectedLine() const override;
    void SelectLine(int index) override;
    TextSink& TitleLine() override { return titleLine; }
    std::string GetTitleLineText() const override;
    void SetCaption(const std::string& text) override;
    std::string GetCaption() const override;
    void SetControlText(int id, const std::string& text) override;
    std::string GetControlText(int id) const override;
    void EnableControl(int id, bool enable) override;
    bool IsButtonDown(int id) const override;
    void StartTimer(unsigned id, unsigned periodMs) override;
    void StopTimer(unsigned id) override;
    void SetSliderRange(uint32_t minimum, uint32_t maximum) override;
    void SetSliderPosition(uint32_t position) override;
    uint32_t GetSliderPosition() const override;
    bool IsMinimised() const override;
    void ShellOpen(const std::string& target) override;
    void UpdateTrayIcon(TrayOperation operation) override;
    void HideWindow() override;
    void ShowWindowNoActivate() override;
    void ShowDatabasePreview() override;
    void PostQuit() override;

    void ShowDataExchangeMessage(const std::string& text) override { ShowMessage(text); }

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(fw::DataExchange& dx) override;
    // Enter, Escape and Close do not end the player: only its exit button does.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    // The title line (static 1047) as the controller's text sink.
    class TitleLineSink : public TextSink {
      public:
        explicit TitleLineSink(PlayerDialog& owner) : owner(owner) {}
        void SetText(const std::string& text) override;

      private:
        PlayerDialog& owner;
    };

    void OnCommandId(UINT id);
    void OnListDoubleClick() { controller.OnListDoubleClick(); }
    void OnServerChanged() { controller.OnEditChanged(kServerEdit); }
    void OnPortChanged() { controller.OnEditChanged(kPortEdit); }
    void OnTimer(UINT_PTR id) { controller.OnTimer(static_cast<unsigned>(id)); }
    LRESULT OnTrayCallback(WPARAM iconId, LPARAM mouseMessage);
    LRESULT OnSeekReport(WPARAM code, LPARAM);
    LRESULT OnExchangeDone(WPARAM, LPARAM done);
    void OnRightButtonDown(UINT flags, POINT point);
    void OnLeftButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLeftButtonUp(UINT flags, POINT point);
    BOOL OnSetCursor(HWND, UINT, UINT) { return TRUE; }
    BOOL OnEraseBkgnd(HDC dc);
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
    HICON OnQueryDragIcon() { return bigIcon.Get(); }
    LRESULT OnNcCalcSize(WPARAM calculateRects, LPARAM rects);
    LRESULT OnDpiChanged(WPARAM dpi, LPARAM suggestedRect);
    // Choosing a disc and the media keys (app/win/DiscHandOver).
    LRESULT OnDropFiles(WPARAM drop, LPARAM);
    LRESULT OnCopyData(WPARAM, LPARAM data);
    LRESULT OnHandedSheet(WPARAM, LPARAM);
    LRESULT OnAppCommand(WPARAM, LPARAM command);
    LRESULT OnHotKey(WPARAM id, LPARAM);

    void AddAboutMenuEntry();

    Services services;
    fw::Cursor busyCursor;
    fw::Cursor normalCursor;
    fw::Cursor dragCursor;
    HRGN windowRegion = nullptr;  // the system's once applied; kept for reference
    WindowSkin skin;
    std::array<BitmapButton, kPlayerButtonCount> buttons;
    SkinSlider slider;
    ColourListBox list;
    fw::Icon bigIcon;
    fw::Icon smallIcon;
    TitleLineSink titleLine{*this};
    CdAudioDevice device;
    WinFilePort files;
    DiscDatabase database;
    DiscExport exports;
    PlayerController controller;
    DatabasePreviewDialog preview;
    std::unique_ptr<PostingExchangeRunner> exchanges;  // made once the window exists
    std::string handedSheet;                           // taken from WM_COPYDATA, played once the sender is answered

    DISCDECK_DECLARE_MESSAGE_MAP()
};

}  // namespace discdeck
