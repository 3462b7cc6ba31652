#pragma once

#include <cstdint>
#include <string>

#include "ports/CursorSink.h"
#include "ports/ListLines.h"
#include "ports/MessageSink.h"
#include "ports/TextSink.h"

namespace discdeck {

// Colours are Windows colour values: red in the low byte, then green, then blue.
constexpr uint32_t MakeColour(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}
constexpr uint32_t kLightRed = MakeColour(255, 128, 128);
constexpr uint32_t kWhite = MakeColour(255, 255, 255);
constexpr uint32_t kOlive = MakeColour(128, 128, 0);
constexpr uint32_t kOrange = MakeColour(255, 128, 0);
constexpr uint32_t kGrey = MakeColour(128, 128, 128);
constexpr uint32_t kBlack = 0;

// Tray operations of UpdateTrayIcon.
enum TrayOperation { TrayAdd = 0, TrayModify = 1, TrayDelete = 2 };

// Everything the player window's logic (PlayerController) asks of the real window. The Win32
// PlayerDialog implements it over its controls; tests implement it with a recording fake.
// Control ids are those of dialog 102; the list is control 1000, the title line static 1047.
class PlayerView : public ListLines, public MessageSink, public CursorSink {
  public:
    // Report list (control 1000), each line with its own colour.
    virtual void ClearList() = 0;
    virtual int AddLine(const std::string& text, uint32_t colour) = 0;
    virtual void RemoveLine(int index) = 0;
    virtual uint32_t GetLineColour(int index) const = 0;
    virtual int GetSelectedLine() const = 0;  // -1 when no line is selected
    virtual void SelectLine(int index) = 0;

    // Title line (static 1047): also the status window of CDDB requests.
    virtual TextSink& TitleLine() = 0;
    virtual std::string GetTitleLineText() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string GetCaption() const = 0;

    // Text of an edit control (1011 server, 1012 port, 1017 disc id, 1018 category).
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string GetControlText(int id) const = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    // Down state of a toggle button (1051 to 1054).
    virtual bool IsButtonDown(int id) const = 0;

    // Window timers: starting a running id restarts it with the new period.
    virtual void StartTimer(unsigned id, unsigned periodMs) = 0;
    virtual void StopTimer(unsigned id) = 0;

    // Position slider (trackbar 1045), in milliseconds of the disc.
    virtual void SetSliderRange(uint32_t minimum, uint32_t maximum) = 0;  // without redrawing
    virtual void SetSliderPosition(uint32_t position) = 0;                // with redrawing
    virtual uint32_t GetSliderPosition() const = 0;

    virtual bool IsMinimised() const = 0;
    // Shell "open" with the window as owner and SW_SHOWNORMAL; the result is not reported.
    virtual void ShellOpen(const std::string& target) = 0;
    virtual void UpdateTrayIcon(TrayOperation operation) = 0;
    // Hides the window (and its taskbar entry) / shows it again without activating it.
    virtual void HideWindow() = 0;
    virtual void ShowWindowNoActivate() = 0;
    // Shows the database preview dialog modally.
    virtual void ShowDatabasePreview() = 0;
    // Posts WM_QUIT with code 0 to the window's thread.
    virtual void PostQuit() = 0;
};

}  // namespace discdeck
