#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/PlayerView.h"
#include "app/RuntimeRandom.h"
#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/DiscInfo.h"
#include "controls/SliderGeometry.h"
#include "db/DiscDatabase.h"
#include "drive/DiscChanger.h"
#include "export/DiscExport.h"
#include "lookup/CddbLookup.h"
#include "lookup/ExchangeRunner.h"
#include "ports/Profile.h"
#include "res/resource.h"

namespace discdeck {

// Control and command ids of the player window (dialog 102); the controls are numbered in the
// resource header.
enum PlayerControl : int {
    kListControl = IDC_REPORT_LIST,
    kHelpButton = IDC_CDDB_HELP,
    kVersionButton = IDC_VERSION,
    kSitesButton = IDC_SITES,
    kStatButton = IDC_STAT,
    kMotdButton = IDC_MOTD,
    kDatabaseButton = IDC_DATABASE,
    kServerEdit = IDC_SERVER,
    kPortEdit = IDC_PORT,
    kCategoriesButton = IDC_CATEGORIES,
    kLookUpButton = IDC_LOOKUP,
    kDiscIdEdit = IDC_DISC_ID,
    kCategoryEdit = IDC_CATEGORY,
    kLyricsButton = IDC_LYRICS,
    kTakeSettingsCommand = 1021,  // no control carries it
    kSaveListButton = IDC_SAVE_LIST,
    kPlayButton = IDC_PLAY,
    kStopButton = IDC_STOP,
    kPauseButton = IDC_PAUSE,
    kRewindButton = IDC_REWIND,
    kForwardButton = IDC_FORWARD,
    kExitButton = IDC_EXIT,
    kHideButton = IDC_HIDE,
    kEjectButton = IDC_EJECT,
    kAboutButton = IDC_ABOUT,
    kInfoCommand = 1043,  // no control carries it
    kSlider = IDC_SLIDER,
    kTitleLine = IDC_TITLE_LINE,
    kRepeatTrackButton = IDC_REPEAT_TRACK,
    kRepeatDiscButton = IDC_REPEAT_DISC,
    kRandomButton = IDC_RANDOM,
    kSampleButton = IDC_SAMPLE,
};

// Window timers: the display tick while a disc plays, the disc poll, the Sample mode step.
constexpr unsigned kDisplayTimer = 1;
constexpr unsigned kPollTimer = 2;
constexpr unsigned kSampleTimer = 4;
constexpr unsigned kDisplayPeriodMs = 1000;
constexpr unsigned kPollPeriodMs = 5000;
constexpr unsigned kSamplePeriodMs = 10000;

// The mouse messages the tray icon's callback acts on (the icon's id is IDI_PLAYER).
constexpr unsigned kMouseLeftButtonUp = 0x0202;
constexpr unsigned kMouseRightButtonUp = 0x0205;

constexpr const char* kSettingsSection = "Settings";

// The multimedia keys of a keyboard, which act as the transport buttons.
enum class MediaKey { PlayPause, Stop, NextTrack, PreviousTrack };

// Every decision of the player window. The Win32 dialog forwards its messages to the On* entry
// points and implements PlayerView; the controller drives the CD device, the CDDB client, the disc
// database and the exporters, and tells the view what to show.
class PlayerController {
  public:
    PlayerController(PlayerView& view,
                     CdAudioDevice& device,
                     Profile& profile,
                     DiscDatabase& database,
                     DiscExport& exports);
    PlayerController(const PlayerController&) = delete;
    PlayerController& operator=(const PlayerController&) = delete;

    // WM_INITDIALOG, after the controls exist: disc id and category fields, settings, the first
    // PLAY and the disc poll.
    void OnInitDialog();
    // WM_COMMAND of a button or of the commands no control carries; false for ids that are not
    // the window's commands (the dialog then processes them by default).
    bool OnCommand(int id);
    void OnListDoubleClick();
    void OnTimer(unsigned id);
    // WM_USER+1 from the slider, with the code in the first parameter.
    void OnSeekReport(int code);
    // WM_RBUTTONDOWN on the face, before its default processing.
    void OnRightButtonDown();
    // WM_USER from the tray icon: 1 when the message was handled, else 0.
    int OnTrayCallback(unsigned iconId, unsigned mouseMessage);
    // EN_CHANGE of the server (1011) or port (1012) edit.
    void OnEditChanged(int id);
    // A sheet dropped on the window or handed over by a second start: the disc in the drive goes
    // out and the sheet's disc plays as a newly inserted one. Names other than "*.cue" and "*.flac"
    // (an image with its sheet inside) are ignored.
    void OnDiscChosen(const std::string& sheetPath);
    // Files dropped on the window: the first sheet among them is chosen.
    void OnFilesDropped(const std::vector<std::string>& paths);
    // A multimedia key, with or without the focus: PLAY/PAUSE, STOP, FWD, REW.
    void OnMediaKey(MediaKey key);

    // Where discs are changed and refused sheets explained; null: the drive cannot change discs.
    void SetDiscChanger(DiscChanger* discChanger) { changer = discChanger; }
    // What CDDB exchanges are sent with and where they run. Without them the look-up finds
    // nothing and the server commands do nothing. Set before OnInitDialog.
    void SetCddb(std::shared_ptr<CddbTransport> cddbTransport, ExchangeRunner* runner) {
        transport = std::move(cddbTransport);
        exchanges = runner;
    }
    // A CDDB exchange runs: its buttons are greyed and their commands ignored.
    bool ExchangeRunning() const { return exchangeRunning; }

    // Rewrites the list with the report of the disc, ending with the action word.
    void ShowInfoReport(const std::string& action);
    // Replaces the list with the lines of a CDDB reply in orange; an empty reply changes nothing.
    void ShowReply(const std::string& reply);
    // The slider spans the current track: from its start to the next track's (or the lead-out).
    void SetSliderRange();

    const std::string& Server() const { return server; }
    int16_t Port() const { return port; }

  private:
    // The ERROR report, with the reason a sheet was refused in light red after it.
    void ReportError();
    // Transport commands; each reports its outcome in the list.
    void Play();
    void Stop();
    void PauseOrResume();
    void Rewind();
    void Forward();
    void Eject();
    void Exit();
    void Hide();
    void About();

    // CDDB, database and export commands.
    void ServerInformation(const char* command);
    void LookUpOnServer();
    void CandidateRead(const std::string& line);
    // Starts work beside the window and greys the exchange buttons until done has run on the
    // window's thread. done gets the reason when no thread could be started, else an empty text.
    void StartExchange(std::function<void(CddbTransport&)> work, std::function<void(const std::string&)> done);
    void EndExchange();
    // A look-up or candidate read: ask runs beside the window with the disc as it is now.
    void StartDiscExchange(std::function<LookupOutcome(CddbTransport&, const DiscInfo&)> ask, bool store);
    // A look-up's or candidate read's answer, applied only to the disc it was asked for; a
    // look-up's (store) also fills the id and category fields and stores the disc.
    void FinishLookUp(const LookupOutcome& outcome, uint32_t serial, bool store);
    bool IsCurrentDisc(uint32_t serial, uint32_t discId) const;
    // Adds the orange "Unable to connect" line and the reason in light red after it.
    void ReportExchangeFailure(const std::string& reason);
    // The disc in the drive is not the one any running exchange was asked for.
    void DiscGone() { ++discSerial; }
    void Lyrics();
    // A rip's own titles stand in for the server's while neither the database nor the server knows
    // the disc, everywhere those would appear; they are never stored (a later look-up may know it).
    void TakeRipTitlesIfUnknown();
    void ForgetRipTitles();
    void DatabaseButton();
    void SaveList();

    void RandomButton();
    void SampleButton();

    void DiscPoll();
    void DisplayTick();
    void SampleStep();
    void NoDiscReset();
    void PlayRandomTrack();
    // Tells a rip's drive what to do at the end of the track that plays, by the play modes.
    void SyncTrackEnd();
    // The drive went back or jumped at a track's end: the display steps of the mode that did it.
    void ShowTrackEndSwitch();
    // The reason the sheet in the drive was refused, in light red, when it was.
    void AddRefusalLine();

    void PlayingPair();
    void StoppedPair();
    void StartDisplayTimer();

    // Data exchange of the two settings edits: the port (signed 16-bit decimal) first, then the
    // server. A text that is not a port leaves both unchanged; with complain it says so.
    bool TakeSettingsFromEdits(bool complain);
    void PutSettingsIntoEdits();
    void ReadSettings();
    void WriteSettings();

    PlayerView& view;
    CdAudioDevice& device;
    Profile& profile;
    DiscDatabase& database;
    DiscExport& exports;
    std::string server;
    int16_t port;
    RuntimeRandom random;
    DiscChanger* changer = nullptr;
    std::shared_ptr<CddbTransport> transport;
    ExchangeRunner* exchanges = nullptr;
    bool exchangeRunning = false;
    // The disc the running exchange was asked for (see DiscGone) and a look-up asked for meanwhile.
    uint32_t discSerial = 0;
    uint32_t exchangeSerial = 0;
    bool lookUpWaiting = false;
    bool exiting = false;
    // Set while the controller itself writes the settings edits, whose change notifications
    // would otherwise read the half-written pair back.
    bool writingEdits = false;
    // The disc's titles are the rip's own, shown while no one else knows the disc: never stored.
    bool titlesFromRip = false;
};

}  // namespace discdeck
