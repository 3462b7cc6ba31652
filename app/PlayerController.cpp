#include "app/PlayerController.h"

#include <algorithm>
#include <cstdio>

#include "app/PlayerTexts.h"
#include "drive/VirtualDiscOption.h"
#include "export/HtmlPage.h"
#include "lookup/CddbCommands.h"
#include "lookup/LyricsSearch.h"
#include "lookup/ServerCommands.h"
#include "ports/Int16Text.h"
#include "ports/Utf8Text.h"
#include "res/resource.h"

namespace discdeck {

namespace {

constexpr const char* kNoDiscCaption = "No Audio CD ...";
constexpr const char* kNoDiscTitleLine = "Please, insert CD ...";
constexpr const char* kNoDiscLine = "Audio CD is not available ...";
constexpr const char* kNotAnInteger = "Please enter an integer.";
constexpr const char* kWaitingLine = "Waiting for the CDDB server ...";

// The category and disc id fields show these until a server look-up succeeds.
constexpr const char* kInitialCategory = "rock";
constexpr const char* kInitialDiscId = "470a6507";

std::string Format(const char* format, int a) {
    char text[64];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

// The command a server-information button sends; nullptr for the window's other ids.
const char* ServerCommandOf(int id) {
    switch (id) {
        case kHelpButton:
            return "HELP";
        case kVersionButton:
            return "VER";
        case kSitesButton:
            return "SITES";
        case kStatButton:
            return "STAT";
        case kMotdButton:
            return "MOTD";
        case kCategoriesButton:
            return "CDDB LSCAT";
        default:
            return nullptr;
    }
}

// The buttons that start an exchange, greyed while one runs.
constexpr int kExchangeButtons[] = {kHelpButton, kVersionButton,    kSitesButton, kStatButton,
                                    kMotdButton, kCategoriesButton, kLookUpButton};

bool StartsExchange(int id) {
    return std::find(std::begin(kExchangeButtons), std::end(kExchangeButtons), id) != std::end(kExchangeButtons);
}

}  // namespace

PlayerController::PlayerController(PlayerView& view,
                                   CdAudioDevice& device,
                                   Profile& profile,
                                   DiscDatabase& database,
                                   DiscExport& exports)
    : view(view),
      device(device),
      profile(profile),
      database(database),
      exports(exports),
      server(kDefaultCddbServer),
      port(kDefaultCddbPort) {}

void PlayerController::OnInitDialog() {
    view.SetControlText(kCategoryEdit, kInitialCategory);
    view.SetControlText(kDiscIdEdit, kInitialDiscId);
    // The stored settings are read before the first PLAY so that its look-up already asks the
    // user's server rather than the built-in one.
    ReadSettings();
    PutSettingsIntoEdits();
    Play();
    view.StartTimer(kPollTimer, kPollPeriodMs);
}

bool PlayerController::OnCommand(int id) {
    if (exchangeRunning && StartsExchange(id)) {
        return true;  // a greyed button: a command that reaches the window anyway is ignored
    }
    if (const char* command = ServerCommandOf(id)) {
        ServerInformation(command);
        return true;
    }
    switch (id) {
        case kDatabaseButton:
            DatabaseButton();
            break;
        case kLookUpButton:
            LookUpOnServer();
            break;
        case kLyricsButton:
            Lyrics();
            break;
        case kTakeSettingsCommand:
            view.ClearList();
            TakeSettingsFromEdits(true);
            break;
        case kSaveListButton:
            SaveList();
            break;
        case kPlayButton:
            Play();
            break;
        case kStopButton:
            Stop();
            break;
        case kPauseButton:
            PauseOrResume();
            break;
        case kRewindButton:
            Rewind();
            break;
        case kForwardButton:
            Forward();
            break;
        case kExitButton:
            Exit();
            break;
        case kHideButton:
            Hide();
            break;
        case kEjectButton:
            Eject();
            break;
        case kAboutButton:
            About();
            break;
        case kInfoCommand:
            ShowInfoReport("INFO");
            break;
        case kRandomButton:
            RandomButton();
            break;
        case kRepeatTrackButton:
            SyncTrackEnd();
            break;
        case kSampleButton:
            SampleButton();
            break;
        default:
            return false;
    }
    return true;
}

// ---- transport

void PlayerController::ReportError() {
    ShowInfoReport("ERROR");
    AddRefusalLine();
}

void PlayerController::AddRefusalLine() {
    if (changer == nullptr) {
        return;
    }
    const CueError error = changer->SheetError();
    if (!error.Ok()) {
        view.AddLine(FormatSheetRefusal(changer->SheetPath(), DescribeCueError(error)), kLightRed);
    }
}

void PlayerController::Play() {
    view.StopTimer(kDisplayTimer);
    if (device.Play() != 1) {
        ReportError();
        return;
    }
    ShowInfoReport("PLAY");
    SetSliderRange();
    PlayingPair();
    StartDisplayTimer();
    // The local database first; only a disc it does not know goes to the server.
    DiscInfo stored = DiscInfoOf(device);
    if (database.LookUpDisc(stored)) {
        TakeDescription(device, stored);
        titlesFromRip = false;
        ShowInfoReport("Database");
    } else {
        LookUpOnServer();
    }
}

void PlayerController::Stop() {
    view.StopTimer(kDisplayTimer);
    if (device.Stop() != 1) {
        ReportError();
        return;
    }
    SetSliderRange();
    ShowInfoReport("STOP");
    StoppedPair();
}

void PlayerController::PauseOrResume() {
    view.StopTimer(kDisplayTimer);
    if (device.action == ActionPaused) {
        if (device.Resume() != 1) {
            ReportError();
            return;
        }
        ShowInfoReport("RESUME");
        StartDisplayTimer();
    } else {
        if (device.Pause() != 1) {
            ReportError();
            return;
        }
        ShowInfoReport("PAUSE");
    }
}

void PlayerController::Rewind() {
    view.StopTimer(kDisplayTimer);
    if (device.PreviousTrack() != 1) {
        ReportError();
        return;
    }
    SetSliderRange();
    ShowInfoReport("REWIND");
    StartDisplayTimer();
    PlayingPair();
}

void PlayerController::Forward() {
    view.StopTimer(kDisplayTimer);
    if (device.NextTrack() == 0) {
        ReportError();
        return;
    }
    SetSliderRange();
    ShowInfoReport("FORWARD");
    StartDisplayTimer();
    PlayingPair();
}

void PlayerController::Eject() {
    DiscGone();
    // The display timer keeps running: its next tick notices the open drive and resets.
    if (device.ToggleDoor() != 1) {
        ReportError();
        return;
    }
    SetSliderRange();
    ShowInfoReport("EJECT");
    StartDisplayTimer();
    // Closing the tray brings the disc back as a newly inserted one: it plays.
    if (!device.doorOpen && device.IsMediaPresent() && device.Connect() == 1) {
        Play();
    }
}

void PlayerController::Exit() {
    // An exchange still running is left to itself: its answer is dropped and the process ends
    // without waiting for it.
    exiting = true;
    WriteSettings();
    Stop();
    view.UpdateTrayIcon(TrayDelete);
    view.PostQuit();
}

void PlayerController::Hide() {
    view.HideWindow();
    view.UpdateTrayIcon(TrayAdd);
}

void PlayerController::About() {
    view.ShellOpen(kMakerWebSite);
}

int PlayerController::OnTrayCallback(unsigned iconId, unsigned mouseMessage) {
    if (iconId != IDI_PLAYER) {
        return 0;
    }
    switch (mouseMessage) {
        case kMouseLeftButtonUp:
            view.ShowWindowNoActivate();
            view.UpdateTrayIcon(TrayDelete);
            return 1;
        case kMouseRightButtonUp:
            About();
            return 1;
        default:
            return 0;
    }
}

void PlayerController::PlayingPair() {
    view.EnableControl(kPlayButton, false);
    view.EnableControl(kPauseButton, true);
}

void PlayerController::StoppedPair() {
    view.EnableControl(kPlayButton, true);
    view.EnableControl(kPauseButton, false);
}

void PlayerController::StartDisplayTimer() {
    view.StartTimer(kDisplayTimer, kDisplayPeriodMs);
}

// ---- report and reply

void PlayerController::ShowInfoReport(const std::string& action) {
    view.ClearList();
    view.AddLine(device.discTitle.empty() ? "Title: unknown" : "Title: " + device.discTitle, kLightRed);

    // A drive may report more tracks than the table holds; only those in the table are listed.
    const uint32_t listed = std::min(device.trackCount, kMaxTracks);
    for (uint32_t i = 1; i <= listed; ++i) {
        view.AddLine(FormatTrackLine(i, device.tracks[i - 1].lengthMs, device.trackTitles[i - 1]), kWhite);
    }
    view.AddLine(Format("Total tracks: %02d", static_cast<int>(device.trackCount)), kOlive);

    const TrackEntry& leadOut = device.tracks[listed];
    char line[128];
    std::snprintf(line, sizeof line, "Total time: %02d:%02d (%d sec)", static_cast<int>(leadOut.startMinute),
                  static_cast<int>(leadOut.startSecond),
                  static_cast<int>(leadOut.startMinute * 60 + leadOut.startSecond));
    view.AddLine(line, kOlive);
    view.AddLine(Format("Current track: %02d", static_cast<int>(device.currentTrack)), kOlive);

    const uint32_t average = device.averageTrackMs / 1000;
    std::snprintf(line, sizeof line, "Average time: %02d:%02d (%d sec)", static_cast<int>(average / 60),
                  static_cast<int>(average % 60), static_cast<int>(average));
    view.AddLine(line, kOlive);

    device.mode = device.QueryStatus(mci::MCI_STATUS_MODE);
    std::snprintf(line, sizeof line, "Mode: %s [%x]", ModeName(device.mode), device.mode);
    view.AddLine(line, kOlive);
    view.AddLine("Action: " + action, kOlive);
    view.AddLine(Format("Status: %d", static_cast<int>(device.action)), kOlive);
    if (exchangeRunning && (exchangeSerial == discSerial || lookUpWaiting)) {
        view.AddLine(kWaitingLine, kOrange);
    }

    // Line 0 is the title, so line n is track n.
    view.SelectLine(static_cast<int>(device.currentTrack));
}

void PlayerController::ShowReply(const std::string& reply) {
    if (reply.empty() || reply[0] == '\0') {
        return;
    }
    view.ClearList();
    for (const std::string& line : SplitReplyLines(ReplyBytesToUtf8(reply))) {
        view.AddLine(line, kOrange);
    }
}

void PlayerController::SetSliderRange() {
    const uint32_t track = device.currentTrack;
    // Without a current track (no disc read) there is no range to show; an empty one keeps the
    // thumb at the start instead of reading before the table.
    if (track < 1 || track > std::min(device.trackCount, kMaxTracks)) {
        view.SetSliderRange(0, 0);
        return;
    }
    view.SetSliderRange(device.tracks[track - 1].startMs, device.tracks[track].startMs);
}

// ---- list

void PlayerController::OnListDoubleClick() {
    view.StopTimer(kDisplayTimer);
    const int selected = view.GetSelectedLine();
    if (selected >= 0) {
        const std::string line = view.GetLineText(selected).substr(0, kMaxLineLength);
        if (view.GetLineCount() > 0 && view.GetLineText(0).compare(0, 3, "211") == 0) {
            if (!exchangeRunning) {
                CandidateRead(line);
            }
        } else if (const auto track = TrackNumberOfLine(line)) {
            if (device.PlayTrack(*track) != 1) {
                ReportError();
                return;
            }
            SetSliderRange();
            ShowInfoReport("Select");
        } else {
            ShowInfoReport("INFO");
        }
    }
    StartDisplayTimer();
}

// ---- settings

bool PlayerController::TakeSettingsFromEdits(bool complain) {
    const std::optional<int16_t> value = ParseInt16(view.GetControlText(kPortEdit));
    if (!value) {
        if (complain) {
            view.ShowMessage(kNotAnInteger);
        }
        return false;
    }
    port = *value;
    server = view.GetControlText(kServerEdit);
    return true;
}

void PlayerController::PutSettingsIntoEdits() {
    writingEdits = true;
    view.SetControlText(kPortEdit, Format("%d", port));
    view.SetControlText(kServerEdit, server);
    writingEdits = false;
}

void PlayerController::OnEditChanged(int id) {
    if (writingEdits || (id != kServerEdit && id != kPortEdit)) {
        return;
    }
    TakeSettingsFromEdits(true);
}

void PlayerController::ReadSettings() {
    server = profile.GetString(kSettingsSection, "Server", kDefaultCddbServer);
    // Stored as 32 bits; the window keeps the low 16 as a signed number.
    port = static_cast<int16_t>(static_cast<uint16_t>(profile.GetInt(kSettingsSection, "Port", kDefaultCddbPort)));
    // Set by the user only (the player never writes it): the address the hello carries.
    if (transport != nullptr) {
        transport->SetHello(HelloForAddress(profile.GetString(kSettingsSection, "Email", ""),
                                            HelloForUser(profile.UserName(), profile.ComputerName())));
    }
}

void PlayerController::WriteSettings() {
    profile.WriteString(kSettingsSection, "Server", server);
    profile.WriteInt(kSettingsSection, "Port", static_cast<uint32_t>(static_cast<int32_t>(port)));
}

// ---- CDDB

void PlayerController::StartExchange(std::function<void(CddbTransport&)> work,
                                     std::function<void(const std::string&)> done) {
    exchangeRunning = true;
    exchangeSerial = discSerial;
    for (int id : kExchangeButtons) {
        view.EnableControl(id, false);
    }
    view.AddLine(kWaitingLine, kOrange);
    auto finish = [this, done](const std::string& notStarted) {
        EndExchange();
        done(notStarted);
    };
    std::string failure;
    if (!exchanges->Start([cddb = transport, work = std::move(work)] { work(*cddb); },
                          [finish] { finish(std::string()); }, failure)) {
        finish(failure.empty() ? std::string("No thread ....") : failure);
    }
}

void PlayerController::EndExchange() {
    exchangeRunning = false;
    if (exiting) {
        return;
    }
    for (int id : kExchangeButtons) {
        view.EnableControl(id, true);
    }
    const int last = view.GetLineCount() - 1;
    if (last >= 0 && view.GetLineText(last) == kWaitingLine) {
        view.RemoveLine(last);
    }
}

bool PlayerController::IsCurrentDisc(uint32_t serial, uint32_t discId) const {
    return !exiting && serial == discSerial && device.discId == discId;
}

void PlayerController::ReportExchangeFailure(const std::string& reason) {
    view.AddLine(kUnableToConnect, kOrange);
    view.AddLine(reason, kLightRed);
}

void PlayerController::ServerInformation(const char* command) {
    if (transport == nullptr || exchanges == nullptr) {
        return;
    }
    auto answer = std::make_shared<CddbAnswer>();
    StartExchange([answer, command = std::string(command), server = server, port = static_cast<uint16_t>(port)](
                      CddbTransport& cddb) { *answer = cddb.Send(command, server, port); },
                  [this, answer](const std::string& notStarted) {
                      if (exiting) {
                          return;
                      }
                      if (!notStarted.empty()) {
                          answer->failure = notStarted;
                      }
                      if (!answer->answered) {
                          view.TitleLine().SetText(answer->failure);
                          ReportExchangeFailure(answer->failure);
                      } else {
                          ShowReply(answer->reply);
                      }
                      if (lookUpWaiting) {
                          lookUpWaiting = false;
                          LookUpOnServer();
                      }
                  });
}

void PlayerController::LookUpOnServer() {
    if (device.mode == mci::MCI_MODE_NOT_READY || transport == nullptr || exchanges == nullptr) {
        TakeRipTitlesIfUnknown();
        ShowInfoReport("CDDB");
        return;
    }
    if (exchangeRunning) {
        // One exchange at a time: this disc is asked for once the running one has ended.
        lookUpWaiting = true;
        return;
    }
    const std::string host = server;
    const uint16_t number = static_cast<uint16_t>(port);
    StartDiscExchange(
        [host, number](CddbTransport& cddb, const DiscInfo& disc) { return LookUpDisc(cddb, disc, host, number); },
        true);
}

void PlayerController::ForgetRipTitles() {
    if (titlesFromRip) {
        device.discTitle.clear();
        for (std::string& title : device.trackTitles) {
            title.clear();
        }
        titlesFromRip = false;
    }
}

void PlayerController::TakeRipTitlesIfUnknown() {
    if (changer == nullptr || !device.discTitle.empty()) {
        return;
    }
    const RipTitles titles = changer->Titles();
    if (titles.Empty()) {
        return;
    }
    device.discTitle = titles.disc;
    for (size_t i = 0; i < titles.tracks.size() && i < device.trackTitles.size(); ++i) {
        device.trackTitles[i] = titles.tracks[i];
    }
    titlesFromRip = true;
}

void PlayerController::CandidateRead(const std::string& line) {
    // Only a plain category and a hexadecimal disc id from the server's list go into the request,
    // and only an entry is taken apart: a failed read must not empty the disc's titles.
    std::string command;
    if (!BuildCandidateReadCommand(line, command) || transport == nullptr || exchanges == nullptr) {
        ShowInfoReport("CDDB");
        return;
    }
    const std::string host = server;
    const uint16_t number = static_cast<uint16_t>(port);
    StartDiscExchange(
        [command, host, number](CddbTransport& cddb, const DiscInfo& disc) {
            return ReadCandidate(cddb, disc, command, host, number);
        },
        false);
}

void PlayerController::StartDiscExchange(std::function<LookupOutcome(CddbTransport&, const DiscInfo&)> ask,
                                         bool store) {
    auto outcome = std::make_shared<LookupOutcome>();
    outcome->disc = DiscInfoOf(device);
    if (titlesFromRip) {
        // The sheet's titles stand in only until the server has its own; they are asked for afresh.
        outcome->disc.discTitle.clear();
        for (std::string& title : outcome->disc.trackTitles) {
            title.clear();
        }
    }
    const uint32_t serial = discSerial;
    StartExchange([outcome, ask](CddbTransport& cddb) { *outcome = ask(cddb, outcome->disc); },
                  [this, outcome, serial, store](const std::string& notStarted) {
                      if (!notStarted.empty()) {
                          outcome->exchangeFailed = true;
                          outcome->failure = notStarted;
                      }
                      FinishLookUp(*outcome, serial, store);
                  });
}

void PlayerController::FinishLookUp(const LookupOutcome& outcome, uint32_t serial, bool store) {
    if (!IsCurrentDisc(serial, outcome.disc.discId)) {
        // Asked for a disc that has gone since: the answer is dropped, and a disc that came
        // meanwhile gets its own look-up now.
        if (lookUpWaiting && !exiting) {
            lookUpWaiting = false;
            LookUpOnServer();
        }
        return;
    }
    lookUpWaiting = false;  // asked for this very disc while its answer was on the way
    if (outcome.exchangeFailed) {
        view.TitleLine().SetText(outcome.failure);
    }
    if (outcome.entryTaken) {
        ForgetRipTitles();
        TakeDescription(device, outcome.disc);
    }
    if (store && outcome.found) {
        ForgetRipTitles();  // never stored
        view.SetControlText(kDiscIdEdit, FormatDiscIdField(device.discId));
        view.SetControlText(kCategoryEdit, device.category);
        database.StoreDisc(DiscInfoOf(device), view);
    }
    TakeRipTitlesIfUnknown();
    ShowInfoReport("CDDB");
    if (outcome.exchangeFailed) {
        ReportExchangeFailure(outcome.failure);
    }
}

void PlayerController::Lyrics() {
    view.ShellOpen(BuildLyricsAddress(device.discTitle));
}

// ---- database and exports

void PlayerController::DatabaseButton() {
    exports.SaveTitleList(view, view, view);
    if (!titlesFromRip) {
        database.StoreDisc(DiscInfoOf(device), view);
    }
    view.ShowDatabasePreview();
}

void PlayerController::SaveList() {
    exports.SaveTitleList(view, view, view);
}

void PlayerController::OnRightButtonDown() {
    if (device.EnsureReady() && exports.ExportPlayList(DiscInfoOf(device))) {
        view.ShellOpen(DiscExport::kPlayListFile);
    }
}

// ---- play modes

void PlayerController::PlayRandomTrack() {
    if (device.trackCount == 0) {
        return;
    }
    device.PlayTrack(random.Next() % device.trackCount + 1);
}

void PlayerController::RandomButton() {
    if (view.IsButtonDown(kRandomButton) && device.trackCount >= 1) {
        PlayRandomTrack();
        SetSliderRange();
        ShowInfoReport("Random");
    }
    SyncTrackEnd();
}

void PlayerController::SyncTrackEnd() {
    if (changer == nullptr) {
        return;
    }
    TrackEnd end;
    if (view.IsButtonDown(kRepeatTrackButton)) {
        end.kind = TrackEnd::Kind::Repeat;
    } else if (view.IsButtonDown(kRandomButton) && device.trackCount >= 1) {
        end = TrackEnd{TrackEnd::Kind::Jump, random.Peek() % device.trackCount + 1};
    }
    changer->SetTrackEnd(end);
}

void PlayerController::ShowTrackEndSwitch() {
    device.TrackAdvanced();  // the track and mode the drive stands at now
    if (view.IsButtonDown(kRepeatTrackButton)) {
        SetSliderRange();
        ShowInfoReport("REWIND");
        StartDisplayTimer();
        PlayingPair();
    } else {
        random.Next();  // the pick the drive was given
        SetSliderRange();
        ShowInfoReport("Random");
    }
}

void PlayerController::SampleButton() {
    if (view.IsButtonDown(kSampleButton)) {
        view.StartTimer(kSampleTimer, kSamplePeriodMs);
    } else {
        view.StopTimer(kSampleTimer);
    }
}

void PlayerController::SampleStep() {
    if (device.currentTrack == device.trackCount) {
        device.PlayTrack(1);
        // Back at the first track the slider must span it, not the last track any more.
        SetSliderRange();
        ShowInfoReport("Sample");
    } else {
        Forward();
    }
}

// ---- timers

void PlayerController::OnTimer(unsigned id) {
    switch (id) {
        case kDisplayTimer:
            DisplayTick();
            break;
        case kPollTimer:
            DiscPoll();
            break;
        case kSampleTimer:
            SampleStep();
            break;
        default:
            break;
    }
}

void PlayerController::DiscPoll() {
    if (device.action == ActionFailed || device.action == ActionCleared) {
        if (device.Connect() == 1) {
            Play();
        }
        return;
    }
    if (!device.IsMediaPresent() && device.mode == mci::MCI_MODE_STOP) {
        NoDiscReset();
    }
}

void PlayerController::DisplayTick() {
    if (!device.IsMediaPresent()) {
        NoDiscReset();
        return;
    }
    if (device.mode != mci::MCI_MODE_PLAY) {
        return;
    }
    view.SetSliderPosition(device.UpdateTimes());
    if (changer != nullptr && changer->TakeTrackSwitches() > 0) {
        // A rip's drive already went back or jumped at the track's last sample.
        ShowTrackEndSwitch();
        view.SetSliderPosition(device.UpdateTimes());
    } else if (device.TrackAdvanced()) {
        if (view.IsButtonDown(kRepeatTrackButton)) {
            // The drive is already on the next track: one step back replays the one that ended.
            Rewind();
        } else if (view.IsButtonDown(kRandomButton)) {
            PlayRandomTrack();
            SetSliderRange();
            ShowInfoReport("Random");
        } else {
            // The drive went on by itself; only the display follows.
            SetSliderRange();
            ShowInfoReport("FORWARD");
            StartDisplayTimer();
            PlayingPair();
        }
        // The times above were measured against the track that ended; the title line and the
        // slider show the track that plays now.
        view.SetSliderPosition(device.UpdateTimes());
    }
    // A rip's drive repeating the last track goes back at its last sample; the disc does not end.
    const bool driveRepeats =
        view.IsButtonDown(kRepeatTrackButton) && changer != nullptr && changer->HandlesTrackEnds();
    if (device.AtDiscEnd() && !driveRepeats) {
        Stop();
        if (view.IsButtonDown(kRepeatDiscButton)) {
            Play();  // STOP has taken the drive back to the start of the disc
        }
    }
    if (!view.IsMinimised()) {
        view.TitleLine().SetText(FormatTrackTimes(device));
    }
    view.SetCaption(FormatCaption(device));
    view.UpdateTrayIcon(TrayModify);
    SyncTrackEnd();
}

void PlayerController::NoDiscReset() {
    DiscGone();
    device.Stop();
    device.CloseDevice();
    device.Clear();
    titlesFromRip = false;
    StoppedPair();
    view.SetCaption(kNoDiscCaption);
    view.TitleLine().SetText(kNoDiscTitleLine);
    view.ClearList();
    // Quietly: the reset repeats every second while the drive is empty, and a message box from
    // each tick would pile up on the screen.
    TakeSettingsFromEdits(false);
    view.AddLine(kNoDiscLine, kOrange);
    // A sheet rewritten into one that is refused: the window says why the drive stays empty.
    AddRefusalLine();
}

// ---- choosing a disc

void PlayerController::OnDiscChosen(const std::string& sheetPath) {
    if (changer == nullptr || !IsSheetName(sheetPath)) {
        return;
    }
    view.StopTimer(kDisplayTimer);
    // The old disc goes out as a taken-out disc does; the new one is read and played like a disc
    // the poll found.
    NoDiscReset();
    changer->ChangeDisc(sheetPath);
    if (device.Connect() == 1) {
        Play();
    } else {
        ReportError();
    }
}

void PlayerController::OnFilesDropped(const std::vector<std::string>& paths) {
    auto sheet = std::find_if(paths.begin(), paths.end(), [](const std::string& path) { return IsSheetName(path); });
    if (sheet != paths.end()) {
        OnDiscChosen(*sheet);
    }
}

void PlayerController::OnMediaKey(MediaKey key) {
    switch (key) {
        case MediaKey::PlayPause:
            if (device.action == ActionPaused || device.QueryStatus(mci::MCI_STATUS_MODE) == mci::MCI_MODE_PLAY) {
                PauseOrResume();
            } else {
                Play();
            }
            break;
        case MediaKey::Stop:
            Stop();
            break;
        case MediaKey::NextTrack:
            Forward();
            break;
        case MediaKey::PreviousTrack:
            Rewind();
            break;
    }
}

// ---- seek

void PlayerController::OnSeekReport(int code) {
    view.StopTimer(kDisplayTimer);
    if (code == kSeekMoving) {
        const uint32_t position = view.GetSliderPosition();
        if (device.action != ActionPaused) {
            device.Pause();
        }
        device.SeekTo(position, mci::MCI_TO);
        device.UpdateTimes();
        view.TitleLine().SetText(FormatSeekTimes(device));
    } else if (code == kSeekReleased) {
        // The mode was read before the seek began: a playing disc plays on, a paused one stays.
        if (device.mode == mci::MCI_MODE_PLAY && device.Resume() != 1) {
            ReportError();
            return;
        }
        ShowInfoReport("SEEK");
        StartDisplayTimer();
    }
}

}  // namespace discdeck
