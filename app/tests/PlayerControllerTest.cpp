#include "app/PlayerController.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/tests/PlayerTestSupport.h"
#include "cdaudio/tests/DemoDisc.h"
#include "res/resource.h"
#include "sound/SoundPlayer.h"
#include "sound/tests/RecordingSoundOutput.h"

namespace discdeck {
namespace {

using namespace testing_support;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kQuery =
    "CDDB QUERY 8409a30a 10 150 16740 36002 55710 72558 93683 109121 129120 148295 168900 2469";
constexpr const char* kEntry =
    "210 rock 8409a30a CD database entry follows (until terminating `.')\r\n"
    "# xmcd\r\n"
    "DISCID=8409a30a\r\n"
    "DTITLE=Orvo Lindqvist / Northern Lights\r\n"
    "TTITLE0=Polar Dawn\r\n"
    "TTITLE1=Ice Harbour\r\n"
    "TTITLE6=Reindeer Run\r\n"
    ".\r\n";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlayerControllerTest : public ::testing::Test {
  protected:
    // Creates the device (which reads the drive at once) and initialises the window.
    void Start(bool withDisc = true) {
        if (withDisc) {
            ASSERT_TRUE(drive.InsertDisc(DemoDisc()));
        }
        device = std::make_unique<CdAudioDevice>(drive);
        player = std::make_unique<PlayerController>(view, *device, profile, database, exports);
        player->SetCddb(transport, &exchanges);
        player->OnInitDialog();
    }
    void AnswerLookUp() {
        cddb->bodies[kQuery] = "200 rock 8409a30a Orvo Lindqvist / Northern Lights\r\n";
        cddb->bodies["CDDB READ rock 8409a30a"] = kEntry;
    }
    // Lets the disc play for a number of seconds, with a display tick after each.
    void Tick(int seconds = 1) {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1000);
            player->OnTimer(kDisplayTimer);
        }
    }
    // Plays on to half a second past the start of a track (or the lead-out) and ticks.
    void PlayIntoTrack(uint32_t track) {
        const uint64_t targetMs = device->tracks[track - 1].startMs + 500;
        const uint64_t nowMs = uint64_t{drive.PositionFrame()} * 1000 / 75;
        ASSERT_GT(targetMs, nowMs);
        clock.Advance(targetMs - nowMs);
        player->OnTimer(kDisplayTimer);
    }
    void DoubleClick(int line) {
        view.selected = line;
        player->OnListDoubleClick();
    }
    bool PlayingPairShown() { return !view.enabled[kPlayButton] && view.enabled[kPauseButton]; }
    bool StoppedPairShown() { return view.enabled[kPlayButton] && !view.enabled[kPauseButton]; }

    ManualClock clock;
    SimulatedDrive drive{clock};
    RecordingView view;
    MemoryProfile profile;
    TempDir dir;
    PosixFilePort files;
    DiscDatabase database{files, dir.path};
    DiscExport exports{files, dir.path};
    std::shared_ptr<FakeCddbServer> cddb = std::make_shared<FakeCddbServer>();
    bool timeOut = false;
    std::shared_ptr<CddbTransport> transport =
        std::make_shared<CddbTransport>(cddb, std::make_unique<InlineRunner>(timeOut));
    LateExchangeRunner exchanges;
    std::unique_ptr<CdAudioDevice> device;
    std::unique_ptr<PlayerController> player;
};

TEST_F(PlayerControllerTest, StartWithADiscPlaysLooksItUpAndReportsEveryLineInItsColour) {
    AnswerLookUp();
    Start();

    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    EXPECT_THAT(view.actions, ElementsAre("PLAY", "CDDB"));
    EXPECT_THAT(cddb->commands, ElementsAre(kQuery, "CDDB READ rock 8409a30a"));
    ASSERT_EQ(view.lines.size(), 18u);
    EXPECT_EQ(view.lines[0].text, "Title: Orvo Lindqvist / Northern Lights");
    EXPECT_EQ(view.lines[0].colour, kLightRed);
    EXPECT_EQ(view.lines[1].text, "Track 01: 03:41 Polar Dawn" + std::string(80, ' '));
    EXPECT_EQ(view.lines[3].text, "Track 03: 04:22 " + std::string(90, ' '));
    EXPECT_EQ(view.lines[7].text, "Track 07: 04:26 Reindeer Run" + std::string(78, ' '));
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(view.lines[i].colour, kWhite) << i;
    }
    const std::vector<std::string> texts = view.Texts();
    EXPECT_THAT(std::vector<std::string>(texts.begin() + 11, texts.end()),
                ElementsAre("Total tracks: 10", "Total time: 41:09 (2469 sec)", "Current track: 01",
                            "Average time: 04:06 (246 sec)", "Mode: Play [20e]", "Action: CDDB", "Status: 0"));
    for (int i = 11; i < 18; ++i) {
        EXPECT_EQ(view.lines[i].colour, kOlive) << i;
    }
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(view.GetControlText(kDiscIdEdit), "8409a30a");
    EXPECT_EQ(view.GetControlText(kCategoryEdit), "rock");
    EXPECT_TRUE(PlayingPairShown());
    EXPECT_EQ(view.timers, (std::map<unsigned, unsigned>{{kDisplayTimer, 1000}, {kPollTimer, 5000}}));
    EXPECT_EQ(view.sliderRange, std::make_pair(2000u, device->tracks[1].startMs));
}

TEST_F(PlayerControllerTest, AStoredDiscIsTakenFromTheDatabaseWithoutAskingTheServer) {
    AnswerLookUp();
    Start();
    cddb->commands.clear();

    player->OnCommand(kStopButton);
    device->discTitle.clear();
    player->OnCommand(kPlayButton);

    EXPECT_EQ(view.LastAction(), "Database");
    EXPECT_TRUE(cddb->commands.empty());
    EXPECT_EQ(view.lines[0].text, "Title: Orvo Lindqvist / Northern Lights");
}

TEST_F(PlayerControllerTest, StartWithoutADiscReportsTheErrorAndKeepsTheInitialFields) {
    Start(false);
    EXPECT_EQ(view.LastAction(), "ERROR");
    EXPECT_EQ(view.lines[0].text, "Title: unknown");
    EXPECT_EQ(view.GetControlText(kCategoryEdit), "rock");
    EXPECT_EQ(view.GetControlText(kDiscIdEdit), "470a6507");
    EXPECT_TRUE(cddb->commands.empty());
    EXPECT_FALSE(view.TimerRuns(kDisplayTimer));
    EXPECT_TRUE(view.TimerRuns(kPollTimer));
}

TEST_F(PlayerControllerTest, StoredSettingsAreShownAndUsedByTheFirstLookUp) {
    profile.strings["Settings\\Server"] = "cddb.local";
    profile.ints["Settings\\Port"] = 65535;
    profile.strings["Settings\\Email"] = "jane+cd@mail.example.org";
    Start();
    EXPECT_EQ(view.GetControlText(kServerEdit), "cddb.local");
    EXPECT_EQ(view.GetControlText(kPortEdit), "-1");
    EXPECT_THAT(cddb->servers, ElementsAre("cddb.local:65535"));
    ASSERT_EQ(cddb->paths.size(), 1u);
    EXPECT_THAT(cddb->paths[0], testing::EndsWith("&hello=jane%2Bcd+mail.example.org+TarvikCDDB+1.0&proto=6"));
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(PlayerControllerTest, TransportCommandsReportAndSetTheButtonPairsAndTheDisplayTimer) {
    Start();
    player->OnCommand(kStopButton);
    EXPECT_EQ(view.LastAction(), "STOP");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
    EXPECT_TRUE(StoppedPairShown());
    EXPECT_FALSE(view.TimerRuns(kDisplayTimer));

    player->OnCommand(kForwardButton);
    EXPECT_EQ(view.LastAction(), "FORWARD");
    EXPECT_EQ(device->currentTrack, 2u);
    EXPECT_TRUE(PlayingPairShown());
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));
    EXPECT_EQ(view.sliderRange, std::make_pair(device->tracks[1].startMs, device->tracks[2].startMs));

    player->OnCommand(kRewindButton);
    player->OnCommand(kRewindButton);  // at track 1 it stays there and still reports
    EXPECT_THAT(std::vector<std::string>(view.actions.end() - 2, view.actions.end()), ElementsAre("REWIND", "REWIND"));
    EXPECT_EQ(device->currentTrack, 1u);
    EXPECT_EQ(view.lines.back().text, "Status: 2");

    player->OnCommand(kPauseButton);
    EXPECT_EQ(view.LastAction(), "PAUSE");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PAUSE);
    EXPECT_FALSE(view.TimerRuns(kDisplayTimer));
    player->OnCommand(kPauseButton);
    EXPECT_EQ(view.LastAction(), "RESUME");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));
}

TEST_F(PlayerControllerTest, EjectWhilePlayingResetsAtEveryTickWhileTheDriveIsEmpty) {
    Start();
    player->OnCommand(kEjectButton);
    EXPECT_EQ(view.LastAction(), "EJECT");
    EXPECT_TRUE(drive.IsDoorOpen());
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));

    for (int tick = 0; tick < 2; ++tick) {
        player->OnCommand(kInfoCommand);
        Tick();
        EXPECT_EQ(view.caption, "No Audio CD ...");
        EXPECT_EQ(view.title.text, "Please, insert CD ...");
        ASSERT_EQ(view.lines.size(), 1u);
        EXPECT_EQ(view.lines[0].text, "Audio CD is not available ...");
        EXPECT_EQ(view.lines[0].colour, kOrange);
        EXPECT_TRUE(StoppedPairShown());
    }
    EXPECT_EQ(device->action, ActionCleared);
    EXPECT_EQ(device->trackCount, 0u);

    // A second EJECT closes the tray, after the reset and after a poll alike: the disc plays as a
    // newly inserted one.
    player->OnTimer(kPollTimer);
    player->OnCommand(kEjectButton);
    EXPECT_FALSE(drive.IsDoorOpen());
    EXPECT_THAT(view.actions, ::testing::Contains("PLAY"));
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    player->OnCommand(kEjectButton);
    Tick();
    player->OnCommand(kEjectButton);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    EXPECT_EQ(device->trackCount, 10u);
}

TEST_F(PlayerControllerTest, ATrackLineWithoutADiscIsAnError) {
    Start(false);
    cddb->bodies["HELP"] = "210 OK\r\nTrack 05 means the fifth track\r\n";
    player->OnCommand(kHelpButton);
    DoubleClick(1);
    EXPECT_EQ(view.LastAction(), "ERROR");
    EXPECT_EQ(device->currentTrack, 0u);
}

TEST_F(PlayerControllerTest, DiscPollStartsAnInsertedDiscAndResetsForARemovedOne) {
    Start(false);
    drive.InsertDisc(DemoDisc());
    player->OnTimer(kPollTimer);
    EXPECT_THAT(view.actions, ::testing::Contains("PLAY"));
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);

    player->OnCommand(kStopButton);
    drive.RemoveDisc();
    player->OnTimer(kPollTimer);
    EXPECT_EQ(view.caption, "No Audio CD ...");
    EXPECT_THAT(view.Texts(), ElementsAre("Audio CD is not available ..."));
}

TEST_F(PlayerControllerTest, TheResetTakesTheSettingsFromTheEditsWithoutComplaining) {
    Start();
    player->OnCommand(kEjectButton);
    view.controlTexts[kServerEdit] = "new.server";
    view.controlTexts[kPortEdit] = "8880";
    Tick();
    EXPECT_EQ(player->Server(), "new.server");
    EXPECT_EQ(player->Port(), 8880);

    view.controlTexts[kPortEdit] = "abc";
    Tick();
    Tick();
    EXPECT_EQ(player->Port(), 8880);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(PlayerControllerTest, DoubleClickPlaysATrackLineAndReportsOtherLines) {
    Start();
    DoubleClick(7);
    EXPECT_EQ(view.LastAction(), "Select");
    EXPECT_EQ(device->currentTrack, 7u);
    EXPECT_EQ(drive.PositionFrame(), 109121u);
    EXPECT_EQ(view.sliderRange, std::make_pair(device->tracks[6].startMs, device->tracks[7].startMs));
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));

    DoubleClick(0);
    EXPECT_EQ(view.LastAction(), "INFO");
    DoubleClick(12);  // "Total time: ..."
    EXPECT_EQ(view.LastAction(), "INFO");
    EXPECT_EQ(device->currentTrack, 7u);
    // A track line without its number names no track: nothing plays, and the window says so.
    view.lines[0].text = "Track ??: 00:00";
    DoubleClick(0);
    EXPECT_EQ(view.LastAction(), "ERROR");
    EXPECT_EQ(device->currentTrack, 7u);
}

TEST_F(PlayerControllerTest, PortEditThatIsNotAnIntegerChangesNothing) {
    Start();
    view.controlTexts[kServerEdit] = "other.server";
    view.controlTexts[kPortEdit] = "abc";
    player->OnEditChanged(kPortEdit);
    EXPECT_THAT(view.messages, ElementsAre("Please enter an integer."));
    EXPECT_EQ(player->Server(), "gnudb.gnudb.org");
    EXPECT_EQ(player->Port(), 80);

    view.controlTexts[kPortEdit] = "8080";
    player->OnEditChanged(kServerEdit);
    EXPECT_EQ(player->Server(), "other.server");
    EXPECT_EQ(player->Port(), 8080);
}

TEST_F(PlayerControllerTest, ExitSavesTheSettingsStopsAndQuits) {
    Start();
    view.controlTexts[kServerEdit] = "cddb.example.org";
    view.controlTexts[kPortEdit] = "-1";
    player->OnCommand(kTakeSettingsCommand);
    EXPECT_TRUE(profile.strings.empty());

    player->OnCommand(kExitButton);
    EXPECT_EQ(profile.strings["Settings\\Server"], "cddb.example.org");
    EXPECT_EQ(profile.ints["Settings\\Port"], 0xFFFFFFFFu);
    EXPECT_EQ(profile.strings.count("Settings\\Email"), 0u);  // the user's to set, never the player's
    EXPECT_EQ(view.LastAction(), "STOP");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
    EXPECT_EQ(view.tray.back(), TrayDelete);
    EXPECT_TRUE(view.quitPosted);
}

TEST_F(PlayerControllerTest, RepeatTrackReplaysTheTrackThatEnded) {
    Start();
    DoubleClick(3);
    view.down = {kRepeatTrackButton, kRandomButton};  // repeat-track comes first
    PlayIntoTrack(4);
    EXPECT_EQ(view.LastAction(), "REWIND");
    EXPECT_EQ(device->currentTrack, 3u);
    EXPECT_EQ(drive.PositionFrame(), 36002u);
}

TEST_F(PlayerControllerTest, WithoutPlayModesTheDisplayFollowsTheDriveToTheNextTrack) {
    Start();
    player->OnCommand(kStopButton);
    player->OnCommand(kPlayButton);
    view.actions.clear();
    PlayIntoTrack(2);
    EXPECT_THAT(view.actions, ElementsAre("FORWARD"));
    EXPECT_EQ(device->currentTrack, 2u);
    EXPECT_EQ(view.sliderRange, std::make_pair(device->tracks[1].startMs, device->tracks[2].startMs));
    // The times are the new track's, not the old one's run past its end.
    EXPECT_THAT(view.GetTitleLineText(), StartsWith("Track: 02  Elapsed: 00:00  Remainded: "));
    EXPECT_EQ(view.GetTitleLineText().find('-'), std::string::npos);
    // The drive was not moved: it plays on from where it was.
    EXPECT_GT(drive.PositionFrame(), 16740u);
}

TEST_F(PlayerControllerTest, RepeatDiscStopsAtTheEndAndPlaysAgainFromTrackOne) {
    Start();
    player->OnCommand(kForwardButton);
    for (int i = 0; i < 8; ++i) {
        player->OnCommand(kForwardButton);
    }
    ASSERT_EQ(device->currentTrack, 10u);
    view.down = {kRepeatDiscButton};
    view.actions.clear();
    clock.Advance(300000);  // past the lead-out: the drive has stopped there
    player->OnTimer(kDisplayTimer);
    ASSERT_GE(view.actions.size(), 2u);
    EXPECT_EQ(view.actions[0], "STOP");
    EXPECT_EQ(view.actions[1], "PLAY");
    EXPECT_EQ(device->currentTrack, 1u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    EXPECT_EQ(drive.PositionFrame(), 150u);
}

TEST_F(PlayerControllerTest, RandomPicksFollowTheRuntimeSequence) {
    Start();
    view.down = {kRandomButton};
    player->OnCommand(kRandomButton);  // 41 % 10 + 1
    EXPECT_EQ(view.LastAction(), "Random");
    EXPECT_EQ(device->currentTrack, 2u);
    PlayIntoTrack(3);  // 18467 % 10 + 1
    EXPECT_EQ(view.LastAction(), "Random");
    EXPECT_EQ(device->currentTrack, 8u);
    PlayIntoTrack(9);  // 6334 % 10 + 1
    EXPECT_EQ(device->currentTrack, 5u);
    EXPECT_EQ(view.sliderRange, std::make_pair(device->tracks[4].startMs, device->tracks[5].startMs));

    view.down.clear();
    player->OnCommand(kRandomButton);  // releasing it does nothing
    EXPECT_EQ(device->currentTrack, 5u);
}

TEST_F(PlayerControllerTest, SampleStepsThroughTheTracksAndWrapsToTrackOne) {
    Start();
    view.down = {kSampleButton};
    player->OnCommand(kSampleButton);
    EXPECT_EQ(view.timers[kSampleTimer], 10000u);
    player->OnTimer(kSampleTimer);
    EXPECT_EQ(view.LastAction(), "FORWARD");
    EXPECT_EQ(device->currentTrack, 2u);

    DoubleClick(10);
    player->OnTimer(kSampleTimer);
    EXPECT_EQ(view.LastAction(), "Sample");
    EXPECT_EQ(device->currentTrack, 1u);
    EXPECT_EQ(drive.PositionFrame(), 150u);
    EXPECT_EQ(view.sliderRange, std::make_pair(2000u, device->tracks[1].startMs));

    view.down.clear();
    player->OnCommand(kSampleButton);
    EXPECT_FALSE(view.TimerRuns(kSampleTimer));
}

TEST_F(PlayerControllerTest, CaptionAndTitleLineCountDownWhileTrackFivePlays) {
    Start();
    DoubleClick(5);
    Tick();
    EXPECT_EQ(view.title.text, "Track: 05  Elapsed: 00:01  Remainded: 04:41  Total: 16:08 (25:01)");
    EXPECT_EQ(view.caption, "04:41 [05]");
    EXPECT_EQ(view.sliderPosition, 968440u);
    EXPECT_EQ(view.tray.back(), TrayModify);
    Tick();
    EXPECT_EQ(view.caption, "04:40 [05]");
    view.minimised = true;
    Tick();
    EXPECT_EQ(view.caption, "04:39 [05]");
    EXPECT_EQ(view.title.text, "Track: 05  Elapsed: 00:02  Remainded: 04:40  Total: 16:09 (25:00)");

    player->OnTimer(3);  // not one of the window's timers
    EXPECT_EQ(view.caption, "04:39 [05]");
}

TEST_F(PlayerControllerTest, SeekMovesThePositionAndKeepsAPausedDiscPaused) {
    Start();
    view.sliderPosition = 62000;
    player->OnSeekReport(kSeekMoving);
    EXPECT_EQ(drive.PositionFrame(), 4650u);
    EXPECT_EQ(view.title.text, "Elapsed: 01:00  Remainded: 02:41  Total: 01:02 (40:07)");
    EXPECT_FALSE(view.TimerRuns(kDisplayTimer));
    player->OnSeekReport(kSeekReleased);
    EXPECT_EQ(view.LastAction(), "SEEK");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));

    player->OnCommand(kPauseButton);
    view.sliderPosition = 200000;
    player->OnSeekReport(kSeekMoving);
    player->OnSeekReport(kSeekMoving);
    player->OnSeekReport(kSeekReleased);
    EXPECT_EQ(drive.PositionFrame(), 15000u);
    EXPECT_NE(drive.Mode(), mci::MCI_MODE_PLAY);
    player->OnCommand(kPauseButton);
    EXPECT_EQ(view.LastAction(), "RESUME");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
}

TEST_F(PlayerControllerTest, ServerInformationRepliesReplaceTheListAndFailuresAreAppended) {
    Start();
    cddb->bodies["HELP"] = "210 OK, help follows\r\n\tHELP \xe9tc\r\n.\r\n";
    player->OnCommand(kHelpButton);
    EXPECT_THAT(view.Texts(), ElementsAre("210 OK, help follows", "HELP tc", "."));
    for (const auto& line : view.lines) {
        EXPECT_EQ(line.colour, kOrange);
    }

    player->OnCommand(kVersionButton);  // empty reply: the list stays
    EXPECT_EQ(view.lines.size(), 3u);

    timeOut = true;
    player->OnCommand(kMotdButton);
    EXPECT_THAT(view.Texts(), ElementsAre("210 OK, help follows", "HELP tc", ".", "Unable to connect CDDB server ...",
                                          "Timeout ...."));
    EXPECT_EQ(view.lines[3].colour, kOrange);
    EXPECT_EQ(view.lines[4].colour, kLightRed);
    EXPECT_EQ(view.title.text, "Timeout ....");
    EXPECT_THAT(cddb->commands, ::testing::IsSupersetOf({"HELP", "VER"}));
}

TEST_F(PlayerControllerTest, CandidateReadTakesTheSelectedMatch) {
    Start();
    cddb->bodies["CDDB LSCAT"] =
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "rock 8409a30a Orvo Lindqvist / Northern Lights\r\n"
        "rock&cmd=x 8409a30a Forged\r\n"
        ".\r\n";
    cddb->bodies["CDDB READ rock 8409a30a"] = kEntry;
    player->OnCommand(kCategoriesButton);
    ASSERT_EQ(view.lines.size(), 4u);

    cddb->commands.clear();
    DoubleClick(2);  // a forged category never reaches the server
    EXPECT_TRUE(cddb->commands.empty());
    EXPECT_EQ(view.LastAction(), "CDDB");

    player->OnCommand(kCategoriesButton);
    DoubleClick(1);
    EXPECT_THAT(cddb->commands, ElementsAre("CDDB LSCAT", "CDDB READ rock 8409a30a"));
    EXPECT_EQ(view.LastAction(), "CDDB");
    EXPECT_EQ(view.lines[0].text, "Title: Orvo Lindqvist / Northern Lights");
    EXPECT_EQ(device->trackTitles[6], "Reindeer Run");
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));

    player->OnCommand(kCategoriesButton);
    timeOut = true;
    DoubleClick(1);  // a read that times out leaves the titles alone
    EXPECT_EQ(view.LastAction(), "CDDB");
    EXPECT_EQ(device->trackTitles[0], "Polar Dawn");
    EXPECT_EQ(device->category, "rock");
}

TEST_F(PlayerControllerTest, DatabaseButtonAndExportsWriteTheirFiles) {
    AnswerLookUp();
    Start();
    player->OnCommand(kDatabaseButton);
    std::string expected;
    for (const std::string& text : view.Texts()) {
        expected += text + "\n";
    }
    EXPECT_EQ(ReadFile(dir.path + "/Title.txt"), expected);
    EXPECT_EQ(view.previews, 1);
    EXPECT_FALSE(ReadFile(dir.path + "/titles.sdb").empty());

    player->OnRightButtonDown();
    EXPECT_THAT(ReadFile(dir.path + "/PlayList.htm"), HasSubstr("Northern Lights"));
    EXPECT_EQ(view.opened.back(), "PlayList.htm");

    player->OnCommand(kLyricsButton);
    EXPECT_THAT(view.opened.back(), HasSubstr("bands=Orvo+Lindqvist&"));

    // Without a disc the play list is neither written nor opened.
    ASSERT_TRUE(std::filesystem::remove(dir.path + "/PlayList.htm"));
    drive.RemoveDisc();
    const size_t opened = view.opened.size();
    player->OnRightButtonDown();
    EXPECT_EQ(view.opened.size(), opened);
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/PlayList.htm"));
}

TEST_F(PlayerControllerTest, LookUpIsSkippedWhileTheDriveIsNotReady) {
    Start();
    cddb->commands.clear();
    device->mode = mci::MCI_MODE_NOT_READY;
    player->OnCommand(kLookUpButton);
    EXPECT_TRUE(cddb->commands.empty());
    EXPECT_EQ(view.LastAction(), "CDDB");
}

TEST_F(PlayerControllerTest, HideAboutAndTheTrayIcon) {
    Start();
    player->OnCommand(kHideButton);
    EXPECT_TRUE(view.hidden);
    EXPECT_EQ(view.tray.back(), TrayAdd);

    EXPECT_EQ(player->OnTrayCallback(216, kMouseLeftButtonUp), 0);
    EXPECT_EQ(player->OnTrayCallback(IDI_PLAYER, 0x0201), 0);
    EXPECT_TRUE(view.hidden);
    EXPECT_EQ(player->OnTrayCallback(IDI_PLAYER, kMouseRightButtonUp), 1);
    EXPECT_THAT(view.opened, ElementsAre("http://www.discdeck.example/"));
    EXPECT_TRUE(view.hidden);
    EXPECT_EQ(player->OnTrayCallback(IDI_PLAYER, kMouseLeftButtonUp), 1);
    EXPECT_FALSE(view.hidden);
    EXPECT_EQ(view.tray.back(), TrayDelete);

    player->OnCommand(kAboutButton);
    EXPECT_EQ(view.opened.size(), 2u);
    EXPECT_FALSE(player->OnCommand(1));
}

// A drive whose discs are chosen by name: known names put their disc in, others are refused.
class ChangerOverDrive : public DiscChanger {
  public:
    explicit ChangerOverDrive(SimulatedDrive& drive) : drive(drive) {}
    void ChangeDisc(const std::string& sheetPath) override {
        path = sheetPath;
        drive.RemoveDisc();
        auto it = discs.find(sheetPath);
        error = it != discs.end() && drive.InsertDisc(it->second)
                    ? CueError{}
                    : CueError{CueStatus::DataFileUnreadable, 12, "file \"02.flac\" not found"};
    }
    std::string SheetPath() const override { return path; }
    CueError SheetError() const override { return error; }
    RipTitles Titles() const override { return titles; }
    void SetTrackEnd(TrackEnd end) override { drive.SetTrackEnd(end); }
    uint32_t TakeTrackSwitches() override { return drive.TakeTrackSwitches(); }
    bool HandlesTrackEnds() const override { return true; }

    SimulatedDrive& drive;
    std::map<std::string, SimulatedDisc> discs;
    std::string path;
    CueError error;
    RipTitles titles;
};

TEST_F(PlayerControllerTest, AChosenSheetReplacesTheDiscAndARefusedOneSaysWhy) {
    Start();
    ChangerOverDrive changer(drive);
    changer.discs["C:\\rips\\Second.CUE"] = MakeAudioDisc({{0, 2, 0}, {4, 14, 40}, {9, 3, 5}}, {13, 49, 70});
    player->SetDiscChanger(&changer);
    const size_t reports = view.actions.size();

    player->OnDiscChosen("C:\\rips\\cover.jpg");
    EXPECT_EQ(view.actions.size(), reports) << "only sheets are taken";
    EXPECT_EQ(device->trackCount, 10u);

    player->OnFilesDropped({"C:\\rips\\cover.jpg", "C:\\rips\\Second.CUE", "C:\\rips\\other.cue"});
    EXPECT_EQ(device->trackCount, 3u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    EXPECT_EQ(view.actions[reports], "PLAY");
    EXPECT_EQ(view.lines[0].text, "Title: unknown") << "the old disc's titles went out with it";
    EXPECT_TRUE(view.TimerRuns(kDisplayTimer));

    player->OnDiscChosen("D:\\music\\album.cue");
    EXPECT_FALSE(drive.HasDisc());
    EXPECT_EQ(view.LastAction(), "ERROR");
    EXPECT_EQ(view.lines.back().text, "Cannot play album.cue: line 12: file \"02.flac\" not found");
    EXPECT_EQ(view.lines.back().colour, kLightRed);
    EXPECT_EQ(view.lines[view.lines.size() - 2].text, "Status: 11");
    // The display tick's reset keeps saying why the drive stays empty.
    Tick();
    EXPECT_THAT(view.Texts(), ElementsAre("Audio CD is not available ...",
                                          "Cannot play album.cue: line 12: file \"02.flac\" not found"));
}

// A rip's drive switches at the track's last sample; the window shows what it showed when it
// switched on its tick, and Random picks the same tracks. REPEAT TRACK repeats the last track too.
TEST_F(PlayerControllerTest, ARipsDriveAppliesThePlayModesAtTheTracksEnd) {
    RecordingSoundOutput output;
    CountingDiscAudio audio;
    SoundPlayer sound(output, clock, SoundPlayer::Feeding::ByHand);
    sound.SetSource(std::shared_ptr<DiscAudio>(&audio, [](DiscAudio*) {}));
    drive.SetPlayHead(&sound);
    Start();
    ChangerOverDrive changer(drive);
    player->SetDiscChanger(&changer);
    // Plays the rip on to half a second past where a track starts (or the lead-out), ticking each
    // second; none of that track's first second may sound (one sample in every 10 ms is looked at).
    auto playInto = [&](uint32_t track, uint32_t expected) {
        const SimulatedDisc disc = DemoDisc();
        const uint64_t boundary =
            uint64_t{track <= 10 ? disc.tracks[track - 1].startFrame : disc.leadOutFrame} * kSamplesPerFrame;
        const uint64_t seconds = (boundary - drive.PositionSample()) / kSampleRate + 1;
        bool heard = false;
        for (uint64_t second = 0; second < seconds; ++second) {
            for (int step = 0; step < 10; ++step) {
                sound.Feed();
                output.Play(kSampleRate / 10);
                clock.Advance(100);
            }
            for (size_t i = 0; i + 4 <= output.played.size(); i += 4 * kSampleRate / 100) {
                uint32_t sample = 0;
                std::memcpy(&sample, &output.played[i], 4);
                heard = heard || (track <= 10 && sample >= boundary && sample < boundary + kSampleRate);
            }
            output.played.clear();
            player->OnTimer(kDisplayTimer);
        }
        EXPECT_FALSE(heard) << "the start of track " << track << " sounded";
        EXPECT_EQ(device->currentTrack, expected);
    };

    view.down = {kRepeatTrackButton, kRandomButton};
    player->OnCommand(kRepeatTrackButton);
    DoubleClick(3);
    playInto(4, 3);
    EXPECT_EQ(view.LastAction(), "REWIND");

    view.down = {kRandomButton};
    player->OnCommand(kRandomButton);  // 41 % 10 + 1
    EXPECT_EQ(device->currentTrack, 2u);
    playInto(3, 8);  // 18467 % 10 + 1
    EXPECT_EQ(view.LastAction(), "Random");

    view.down = {kRepeatTrackButton};
    DoubleClick(10);
    playInto(11, 10);
    EXPECT_EQ(view.LastAction(), "REWIND");
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    drive.SetPlayHead(nullptr);
}

// A rip's own titles, shown only while neither the database nor the server knows the disc, and
// never stored.
TEST_F(PlayerControllerTest, ARipsTitlesStandInForAnUnknownDisc) {
    Start();
    ChangerOverDrive changer(drive);
    changer.discs["C:\\rips\\album.cue"] = DemoDisc();
    changer.titles = {"Ann Ek / Songs", {"One", "", "Three"}};
    player->SetDiscChanger(&changer);
    player->OnDiscChosen("C:\\rips\\album.cue");
    EXPECT_EQ(view.LastAction(), "CDDB");
    EXPECT_EQ(view.lines[0].text, "Title: Ann Ek / Songs");
    EXPECT_THAT(view.lines[1].text, StartsWith("Track 01: 03:41 One "));

    player->OnCommand(kDatabaseButton);
    EXPECT_TRUE(ReadFile(dir.path + "/titles.sdb").empty());
    player->OnCommand(kLyricsButton);
    EXPECT_THAT(view.opened.back(), HasSubstr("bands=Ann+Ek&"));
    // A look-up that fails again keeps them; the server's titles replace them once it knows the disc.
    player->OnCommand(kLookUpButton);
    EXPECT_EQ(view.lines[0].text, "Title: Ann Ek / Songs");
    AnswerLookUp();
    player->OnCommand(kLookUpButton);
    EXPECT_EQ(view.lines[0].text, "Title: Orvo Lindqvist / Northern Lights");
    EXPECT_THAT(view.lines[3].text, StartsWith("Track 03: 04:22 " + std::string(90, ' ')));
    EXPECT_FALSE(ReadFile(dir.path + "/titles.sdb").empty());
}

TEST_F(PlayerControllerTest, MediaKeysActAsTheTransportButtons) {
    Start();
    PlayIntoTrack(3);
    const std::vector<std::pair<MediaKey, std::string>> steps = {
        {MediaKey::PlayPause, "PAUSE"},      {MediaKey::PlayPause, "RESUME"}, {MediaKey::NextTrack, "FORWARD"},
        {MediaKey::PreviousTrack, "REWIND"}, {MediaKey::Stop, "STOP"},        {MediaKey::PlayPause, "PLAY"},
    };
    for (const auto& [key, action] : steps) {
        view.actions.clear();
        player->OnMediaKey(key);
        ASSERT_FALSE(view.actions.empty()) << action;
        EXPECT_EQ(view.actions.front(), action);
    }
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
}

// What happens while the first look-up's answer is on its way: after greyed commands the answer
// lands, after the others it is dropped.
enum class Meanwhile { GreyedCommands, Eject, Drop, Exit };

class PlayerLateAnswer : public PlayerControllerTest, public ::testing::WithParamInterface<Meanwhile> {};

TEST_P(PlayerLateAnswer, LandsOnlyOnTheDiscItWasAskedFor) {
    const Meanwhile meanwhile = GetParam();
    const bool applied = meanwhile == Meanwhile::GreyedCommands;
    ChangerOverDrive changer(drive);
    changer.discs["C:\\rips\\Second.cue"] = MakeAudioDisc({{0, 2, 0}, {4, 14, 40}, {9, 3, 5}}, {13, 49, 70});
    exchanges.late = true;
    AnswerLookUp();
    Start();
    player->SetDiscChanger(&changer);

    // The window goes on while the server is asked: the exchange buttons are greyed, the report
    // says it waits, the display ticks.
    ASSERT_EQ(exchanges.answers.size(), 1u);
    EXPECT_EQ(view.lines.back().text, "Waiting for the CDDB server ...");
    for (int id : {kHelpButton, kCategoriesButton, kLookUpButton}) {
        EXPECT_FALSE(view.enabled[id]) << id;
    }
    Tick(2);
    EXPECT_EQ(view.caption, "03:39 [01]");

    switch (meanwhile) {
        case Meanwhile::GreyedCommands:
            // Commands that reach the window for greyed buttons are ignored like clicks.
            player->OnCommand(kHelpButton);
            player->OnCommand(kLookUpButton);
            EXPECT_EQ(cddb->commands.size(), 2u);
            EXPECT_EQ(exchanges.answers.size(), 1u);
            break;
        case Meanwhile::Eject:
            player->OnCommand(kEjectButton);
            break;
        case Meanwhile::Drop:
            player->OnFilesDropped({"C:\\rips\\Second.cue"});
            EXPECT_EQ(device->trackCount, 3u);
            break;
        case Meanwhile::Exit:
            player->OnCommand(kExitButton);
            break;
    }
    const std::vector<RecordingView::Line> before = view.lines;
    cddb->commands.clear();
    exchanges.Deliver();

    EXPECT_EQ(device->discTitle.empty(), !applied);
    EXPECT_EQ(view.GetControlText(kDiscIdEdit), applied ? "8409a30a" : "470a6507");
    EXPECT_EQ(ReadFile(dir.path + "/titles.sdb").empty(), !applied);
    if (applied) {
        EXPECT_EQ(view.LastAction(), "CDDB");
        EXPECT_EQ(view.lines[0].text, "Title: Orvo Lindqvist / Northern Lights");
        EXPECT_EQ(view.lines.back().text, "Status: " + std::to_string(device->action));
        EXPECT_TRUE(view.enabled[kHelpButton] && view.enabled[kLookUpButton]);
    } else if (meanwhile == Meanwhile::Drop) {
        // The disc that came meanwhile is asked for now, by itself.
        EXPECT_THAT(cddb->commands, ElementsAre(StartsWith("CDDB QUERY ")));
        EXPECT_EQ(exchanges.answers.size(), 1u);
    } else if (meanwhile == Meanwhile::Exit) {
        EXPECT_TRUE(view.quitPosted);
        EXPECT_EQ(view.Texts().size(), before.size()) << "nothing more is shown after EXIT";
    }
    if (meanwhile != Meanwhile::Drop) {
        EXPECT_TRUE(cddb->commands.empty());
        EXPECT_TRUE(exchanges.answers.empty());
    }
}

const char* const kMeanwhileNames[] = {"AfterGreyedCommands", "AfterEject", "AfterADrop", "AfterExit"};
INSTANTIATE_TEST_SUITE_P(
    Exchanges,
    PlayerLateAnswer,
    ::testing::Values(Meanwhile::GreyedCommands, Meanwhile::Eject, Meanwhile::Drop, Meanwhile::Exit),
    [](const auto& info) { return kMeanwhileNames[info.index]; });

// The server-information test shows the two lines and their colours; the first look-up ends alike.
TEST_F(PlayerControllerTest, AFailedLookUpsReportEndsWithItsReason) {
    timeOut = true;
    Start();
    EXPECT_EQ(view.LastAction(), "CDDB");
    const std::vector<std::string> texts = view.Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_THAT(std::vector<std::string>(texts.end() - 2, texts.end()),
                ElementsAre("Unable to connect CDDB server ...", "Timeout ...."));

    exchanges.refusal = "Not enough memory resources.";
    player->OnCommand(kLookUpButton);
    EXPECT_EQ(view.lines.back().text, "Not enough memory resources.");
    EXPECT_TRUE(view.enabled[kLookUpButton]);
}

}  // namespace
}  // namespace discdeck
