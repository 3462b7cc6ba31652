#include "cdaudio/CdAudioDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "cdaudio/tests/RecordingControl.h"
#include "drive/SimulatedDrive.h"

namespace discdeck {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::RecordingControl;

// Two audio tracks at 00:02:00 and 03:00:00, lead-out 05:30:00: the disc of the worked example.
SimulatedDisc TwoTracks() {
    return MakeAudioDisc({{0, 2, 0}, {3, 0, 0}}, {5, 30, 0});
}

// Three tracks over ten minutes.
SimulatedDisc ThreeTracks() {
    return MakeAudioDisc({{0, 2, 0}, {3, 0, 0}, {7, 30, 0}}, {10, 0, 0});
}

SimulatedDisc EvenTracks(uint32_t count) {
    std::vector<Msf> starts;
    for (uint32_t i = 0; i < count; ++i) {
        starts.push_back({i, 2, 0});
    }
    return MakeAudioDisc(starts, {count, 2, 0});
}

class CdAudioDeviceTest : public ::testing::Test {
  protected:
    // Puts the disc in (when given) and constructs the device, which connects at once.
    void Start(const std::optional<SimulatedDisc>& disc) {
        if (disc) {
            ASSERT_TRUE(drive.InsertDisc(*disc));
        }
        device = std::make_unique<CdAudioDevice>(recorder);
    }

    bool LoggedPlay() const {
        for (const std::string& line : recorder.log) {
            if (line.rfind("play", 0) == 0) {
                return true;
            }
        }
        return false;
    }

    ManualClock clock;
    SimulatedDrive drive{clock};
    RecordingControl recorder{drive};
    std::unique_ptr<CdAudioDevice> device;
};

TEST_F(CdAudioDeviceTest, ConnectReadsTheTableWithTheFormatSetBeforeEachStatus) {
    Start(TwoTracks());
    EXPECT_THAT(
        recorder.Take(),
        ElementsAre("open", "format 1 msf", "status 1 current", "status 1 tracks", "status 1 mode",
                    "status 1 type track 1", "format 1 msf", "status 1 position track 1", "format 1 ms",
                    "status 1 length track 1", "status 1 position track 1", "status 1 type track 2", "format 1 msf",
                    "status 1 position track 2", "format 1 ms", "status 1 length track 2", "status 1 position track 2",
                    "format 1 msf", "status 1 length track 2", "status 1 current", "status 1 mode"));
    EXPECT_EQ(device->action, ActionOpened);
    EXPECT_EQ(device->deviceId, 1u);
    EXPECT_FALSE(device->doorOpen);
    EXPECT_EQ(device->mode, mci::MCI_MODE_STOP);
    EXPECT_EQ(device->currentTrack, 1u);
}

TEST_F(CdAudioDeviceTest, WorkedExampleTableAndDiscId) {
    Start(TwoTracks());
    ASSERT_EQ(device->trackCount, 2u);
    const TrackEntry& first = device->tracks[0];
    EXPECT_EQ(first.startMinute, 0u);
    EXPECT_EQ(first.startSecond, 2u);
    EXPECT_EQ(first.startFrame, 0u);
    EXPECT_EQ(first.startMs, 2000u);
    EXPECT_EQ(first.lengthMs, 178000u);
    const TrackEntry& second = device->tracks[1];
    EXPECT_EQ(second.startMinute, 3u);
    EXPECT_EQ(second.startMs, 180000u);
    // The device reports the last track one frame short: 11249 frames.
    EXPECT_EQ(second.lengthMs, 11249u * 1000 / 75);
    const TrackEntry& leadOut = device->tracks[2];
    EXPECT_EQ(leadOut.startMinute, 5u);
    EXPECT_EQ(leadOut.startSecond, 30u);
    EXPECT_EQ(leadOut.startFrame, 0u);
    EXPECT_EQ(leadOut.startMs, 330000u);
    EXPECT_EQ(leadOut.lengthMs, 0u);
    EXPECT_EQ(device->averageTrackMs, (330000u - 2000u) / 2);
    EXPECT_EQ(device->discId, 0x0B014802u);
}

// The lead-out from the last track's start, its (one frame short) length and the "+ 1" must land on
// the drive's true lead-out, including carries from frames into seconds and seconds into minutes.
struct LeadOutCase {
    Msf lastStart;
    Msf leadOut;
};

void PrintTo(const LeadOutCase& c, std::ostream* os) {
    *os << c.lastStart.minute << ":" << c.lastStart.second << ":" << c.lastStart.frame << " to " << c.leadOut.minute
        << ":" << c.leadOut.second << ":" << c.leadOut.frame;
}

class LeadOutTest : public CdAudioDeviceTest, public ::testing::WithParamInterface<LeadOutCase> {};

TEST_P(LeadOutTest, LeadOutEntryIsTheDrivesLeadOut) {
    const LeadOutCase& c = GetParam();
    Start(MakeAudioDisc({{0, 2, 0}, c.lastStart}, c.leadOut));
    const TrackEntry& leadOut = device->tracks[2];
    EXPECT_EQ(leadOut.startMinute, c.leadOut.minute);
    EXPECT_EQ(leadOut.startSecond, c.leadOut.second);
    EXPECT_EQ(leadOut.startFrame, c.leadOut.frame);
    EXPECT_EQ(leadOut.startMs, (c.leadOut.minute * 60 + c.leadOut.second) * 1000);
    EXPECT_EQ(device->tracks[1].startFrame, c.lastStart.frame);
}

INSTANTIATE_TEST_SUITE_P(Discs,
                         LeadOutTest,
                         ::testing::Values(LeadOutCase{{50, 0, 10}, {55, 0, 11}},
                                           LeadOutCase{{48, 32, 12}, {51, 23, 0}},
                                           LeadOutCase{{10, 0, 70}, {12, 0, 5}},
                                           LeadOutCase{{10, 59, 74}, {11, 0, 0}},
                                           LeadOutCase{{3, 0, 0}, {3, 0, 1}}));

// A data track, first (mixed mode) or last (Enhanced CD), is in the table at its real start, so the
// disc id is the standard one whichever track holds data: seconds 2 and 600 give n = 2 + 6 and
// t = 1200 - 2.
TEST_F(CdAudioDeviceTest, DataTracksCountAtTheirRealStarts) {
    for (size_t data : {0u, 1u}) {
        SimulatedDisc disc = MakeAudioDisc({{0, 2, 0}, {10, 0, 0}}, {20, 0, 0});
        disc.tracks[data].audio = false;
        drive.RemoveDisc();
        Start(disc);
        EXPECT_EQ(device->action, ActionOpened);
        EXPECT_EQ(device->trackCount, 2u);
        EXPECT_EQ(device->tracks[0].startMs, 2000u);
        EXPECT_EQ(device->tracks[1].startMs, 600000u);
        EXPECT_EQ(device->tracks[data].lengthMs, data == 0 ? 598000u : 599986u);
        EXPECT_EQ(device->tracks[2].startMinute, 20u);
        EXPECT_EQ(device->tracks[2].startSecond, 0u);
        EXPECT_EQ(device->discId, 0x0804AE02u) << data;
    }
}

TEST_F(CdAudioDeviceTest, AllDataTracksFailToConnect) {
    SimulatedDisc disc = MakeAudioDisc({{0, 2, 0}, {10, 0, 0}}, {20, 0, 0});
    disc.tracks[0].audio = disc.tracks[1].audio = false;
    Start(disc);
    EXPECT_EQ(device->action, ActionFailed);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_EQ(device->Connect(), 0);
}

TEST_F(CdAudioDeviceTest, NoDiscFailsWithoutDividingByZero) {
    Start(std::nullopt);
    EXPECT_EQ(device->action, ActionFailed);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_EQ(device->averageTrackMs, 0u);
    // The length of track 0 is refused and the failure path closes the device but keeps the id.
    EXPECT_THAT(recorder.log, Contains("status 1 length track 0"));
    EXPECT_EQ(recorder.log.back(), "status 1 mode");
    EXPECT_THAT(recorder.log, Contains("close 1"));
    EXPECT_EQ(device->deviceId, 1u);
    EXPECT_EQ(drive.OpenDeviceCount(), 0u);
}

TEST_F(CdAudioDeviceTest, FailedOpenLeavesTheDoorBelievedOpen) {
    drive.SetDriveAvailable(false);
    Start(TwoTracks());
    EXPECT_EQ(device->action, ActionFailed);
    EXPECT_TRUE(device->doorOpen);
    EXPECT_EQ(device->mode, 11u);
    EXPECT_EQ(device->deviceId, 0u);
    EXPECT_THAT(recorder.log, ElementsAre("open"));
}

TEST_F(CdAudioDeviceTest, FailedStatusInTheTableClosesTheDeviceAndKeepsTheId) {
    recorder.failWhen = [](const std::string& line) { return line == "status 1 length track 2" ? 262u : 0u; };
    Start(ThreeTracks());
    EXPECT_EQ(device->action, ActionFailed);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_EQ(device->discId, 0u);
    EXPECT_EQ(device->deviceId, 1u);
    auto failed = std::find(recorder.log.begin(), recorder.log.end(), "status 1 length track 2");
    ASSERT_NE(failed, recorder.log.end());
    EXPECT_EQ(*(failed + 1), "close 1");
    EXPECT_THAT(recorder.log, Not(Contains("status 1 type track 3")));
    // The table is left partly filled.
    EXPECT_EQ(device->tracks[0].startMs, 2000u);

    // The next connect gives the old id back first and reads the disc on a new one.
    recorder.failWhen = nullptr;
    recorder.Take();
    EXPECT_EQ(device->Connect(), 1);
    std::vector<std::string> log = recorder.Take();
    EXPECT_EQ(log[0], "close 1");
    EXPECT_EQ(log[1], "open");
    EXPECT_EQ(device->deviceId, 2u);
    EXPECT_EQ(device->trackCount, 3u);
    EXPECT_EQ(drive.OpenDeviceCount(), 1u);
}

TEST_F(CdAudioDeviceTest, ConnectGivesBackTheHeldIdBeforeOpening) {
    Start(TwoTracks());
    recorder.Take();
    ASSERT_EQ(device->Connect(), 1);
    ASSERT_EQ(device->Connect(), 1);
    std::vector<std::string> log = recorder.Take();
    EXPECT_EQ(log[0], "close 1");
    EXPECT_EQ(log[1], "open");
    EXPECT_THAT(log, Contains("close 2"));
    EXPECT_EQ(device->deviceId, 3u);
    EXPECT_EQ(drive.OpenDeviceCount(), 1u);
}

TEST_F(CdAudioDeviceTest, NinetyNineTracksFillTheTable) {
    Start(EvenTracks(kMaxTracks));
    EXPECT_EQ(device->action, ActionOpened);
    ASSERT_EQ(device->trackCount, kMaxTracks);
    EXPECT_EQ(device->tracks[98].startMinute, 98u);
    EXPECT_EQ(device->tracks[kMaxTracks].startMinute, 99u);
    EXPECT_EQ(device->tracks[kMaxTracks].startSecond, 2u);
    EXPECT_EQ(device->discId & 0xFF, 99u);
    EXPECT_EQ((device->discId >> 8) & 0xFFFF, 99u * 60);
}

TEST_F(CdAudioDeviceTest, MoreTracksThanTheTableHoldsAreRefused) {
    Start(EvenTracks(kMaxTracks + 21));
    EXPECT_EQ(device->action, ActionFailed);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_EQ(device->discId, 0u);
    EXPECT_THAT(recorder.log, Not(Contains(HasSubstr("type track"))));
    EXPECT_THAT(recorder.log, Contains("close 1"));
    // Nothing was written into the table.
    for (const TrackEntry& entry : device->tracks) {
        EXPECT_EQ(entry.startMs, 0u);
    }
    EXPECT_EQ(device->Play(), 0);
    EXPECT_EQ(device->UpdateTimes(), 0u);

    // Reading the disc on its own (without Connect) leaves no count that reaches past the table.
    ASSERT_EQ(device->OpenDevice(), 1);
    EXPECT_EQ(device->ReadDisc(), 1);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_EQ(device->action, ActionFailed);
}

// The checksum byte is the digit total modulo 255.
class ChecksumTest : public ::testing::TestWithParam<std::pair<uint32_t, uint32_t>> {};

TEST_P(ChecksumTest, ChecksumIsDigitTotalModulo255) {
    uint32_t total = GetParam().first;
    TrackTable table{};
    uint32_t count = 0;
    // Starts of 0:09 add 9 each; one more entry carries the remainder (as seconds, a one-digit number).
    for (; total >= 9; total -= 9) {
        table[count++].startSecond = 9;
    }
    if (total > 0) {
        table[count++].startSecond = total;
    }
    table[count].startMinute = 1;
    uint32_t id = CdAudioDevice::ComputeDiscId(table, count);
    EXPECT_EQ(id >> 24, GetParam().second);
    EXPECT_EQ(id & 0xFF, count);
}

INSTANTIATE_TEST_SUITE_P(Totals,
                         ChecksumTest,
                         ::testing::Values(std::make_pair(254u, 254u),
                                           std::make_pair(255u, 0u),
                                           std::make_pair(256u, 1u),
                                           std::make_pair(510u, 0u)));

TEST(ComputeDiscIdTest, PlayingTimeIsLeadOutMinusFirstStartInWholeSeconds) {
    TrackTable table{};
    table[0] = {0, 2, 74, 0, 2986};
    table[1] = {70, 10, 3, 0, 4210000};
    // n = 2, t = 4210 - 2 = 4208 = 0x1070, frames ignored.
    EXPECT_EQ(CdAudioDevice::ComputeDiscId(table, 1), 0x02107001u);
    EXPECT_EQ(CdAudioDevice::ComputeDiscId(table, 0), 0u);
    EXPECT_EQ(CdAudioDevice::ComputeDiscId(table, kMaxTracks + 1), 0u);
}

TEST_F(CdAudioDeviceTest, PlayAndPlayTrackSendTheirCommands) {
    Start(ThreeTracks());
    recorder.Take();
    EXPECT_EQ(device->Play(), 1);
    EXPECT_THAT(recorder.Take(), ElementsAre("status 1 present", "status 1 present", "play 1"));
    EXPECT_EQ(device->action, ActionPlaying);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);

    EXPECT_EQ(device->PlayTrack(3), 1);
    EXPECT_THAT(recorder.Take(), ElementsAre("status 1 present", "status 1 present", "format 1 tmsf",
                                             "play 1 from " + std::to_string(mci::MakeTmsf(3, 0, 0, 0))));
    EXPECT_EQ(device->currentTrack, 3u);
    EXPECT_EQ(drive.PositionFrame(), MsfToFrames({7, 30, 0}));
}

TEST_F(CdAudioDeviceTest, PlayTrackOutsideTheDiscSendsNothingAndFails) {
    Start(ThreeTracks());
    for (uint32_t track : {0u, 4u}) {
        device->action = ActionPaused;
        recorder.Take();
        EXPECT_EQ(device->PlayTrack(track), 0);
        EXPECT_FALSE(LoggedPlay());
        EXPECT_THAT(recorder.log, Not(Contains("format 1 tmsf")));
        EXPECT_EQ(device->action, ActionPaused);
        EXPECT_EQ(device->currentTrack, 1u);
    }
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
}

TEST_F(CdAudioDeviceTest, FailedPlayKeepsTheAction) {
    Start(ThreeTracks());
    recorder.failWhen = [](const std::string& line) { return line.rfind("play", 0) == 0 ? 262u : 0u; };
    EXPECT_EQ(device->Play(), 0);
    EXPECT_EQ(device->action, ActionOpened);
    EXPECT_EQ(device->PlayTrack(2), 0);
    EXPECT_EQ(device->action, ActionOpened);
    EXPECT_EQ(device->currentTrack, 2u);
    device->action = ActionPaused;
    EXPECT_EQ(device->Resume(), 0);
    EXPECT_EQ(device->action, ActionPaused);
}

TEST_F(CdAudioDeviceTest, PreviousAndNextStopAtTheEnds) {
    Start(ThreeTracks());
    recorder.Take();
    EXPECT_EQ(device->PreviousTrack(), 1);
    EXPECT_EQ(device->currentTrack, 1u);
    EXPECT_EQ(device->action, ActionAtFirstTrack);
    EXPECT_FALSE(LoggedPlay());

    EXPECT_EQ(device->NextTrack(), 1);
    EXPECT_EQ(device->currentTrack, 2u);
    EXPECT_EQ(device->action, ActionPlaying);
    EXPECT_THAT(recorder.Take(), Contains("play 1 from 2"));

    ASSERT_EQ(device->NextTrack(), 1);
    recorder.Take();
    EXPECT_EQ(device->NextTrack(), 1);
    EXPECT_EQ(device->currentTrack, 3u);
    EXPECT_EQ(device->action, ActionAtLastTrack);
    EXPECT_FALSE(LoggedPlay());

    EXPECT_EQ(device->PreviousTrack(), 1);
    EXPECT_EQ(device->currentTrack, 2u);
    EXPECT_THAT(recorder.Take(), Contains("play 1 from 2"));
}

TEST_F(CdAudioDeviceTest, StopReturnsToTheDiscStartWithoutChangingTheAction) {
    Start(ThreeTracks());
    ASSERT_EQ(device->PlayTrack(2), 1);
    clock.Advance(5000);
    recorder.Take();
    EXPECT_EQ(device->Stop(), 1);
    EXPECT_THAT(recorder.Take(),
                ElementsAre("stop 1", "status 1 present", "status 1 present", "format 1 ms", "seek 1 start"));
    EXPECT_EQ(device->currentTrack, 1u);
    EXPECT_EQ(device->action, ActionPlaying);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
    EXPECT_EQ(drive.PositionFrame(), MsfToFrames({0, 2, 0}));
}

TEST_F(CdAudioDeviceTest, FailedStopSeeksNothing) {
    Start(ThreeTracks());
    device->currentTrack = 3;
    recorder.Take();
    recorder.failWhen = [](const std::string& line) { return line == "stop 1" ? 262u : 0u; };
    EXPECT_EQ(device->Stop(), 0);
    EXPECT_THAT(recorder.log, ElementsAre("stop 1"));
    EXPECT_EQ(device->currentTrack, 3u);
}

TEST_F(CdAudioDeviceTest, PauseAndResume) {
    Start(ThreeTracks());
    ASSERT_EQ(device->Play(), 1);
    clock.Advance(10000);
    EXPECT_EQ(device->Pause(), 1);
    EXPECT_EQ(device->action, ActionPaused);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PAUSE);
    uint32_t pausedAt = drive.PositionFrame();
    clock.Advance(10000);
    EXPECT_EQ(drive.PositionFrame(), pausedAt);
    EXPECT_EQ(device->Resume(), 1);
    EXPECT_EQ(device->action, ActionResumed);
    clock.Advance(1000);
    EXPECT_EQ(drive.PositionFrame(), pausedAt + 75);

    recorder.failWhen = [](const std::string& line) { return line == "pause 1" ? 262u : 0u; };
    EXPECT_EQ(device->Pause(), 0);
    EXPECT_EQ(device->action, ActionFailed);
}

TEST_F(CdAudioDeviceTest, ToggleDoorTwiceOpensThenCloses) {
    Start(ThreeTracks());
    recorder.Take();
    EXPECT_EQ(device->ToggleDoor(), 1);
    EXPECT_TRUE(device->doorOpen);
    EXPECT_EQ(device->action, ActionDoorMoved);
    EXPECT_FALSE(drive.IsMediumPresent());
    EXPECT_FALSE(device->IsMediaPresent());
    EXPECT_EQ(device->ToggleDoor(), 1);
    EXPECT_FALSE(device->doorOpen);
    EXPECT_EQ(device->action, ActionDoorMoved);
    EXPECT_TRUE(drive.IsMediumPresent());
    EXPECT_THAT(recorder.Take(),
                ElementsAre("status 1 mode", "door 1 open", "status 1 present", "status 1 mode", "door 1 closed"));
}

TEST_F(CdAudioDeviceTest, RefusedDoorStillFlipsTheBelief) {
    Start(ThreeTracks());
    recorder.failWhen = [](const std::string& line) { return line.rfind("door", 0) == 0 ? 262u : 0u; };
    EXPECT_EQ(device->ToggleDoor(), 0);
    EXPECT_TRUE(device->doorOpen);
    EXPECT_EQ(device->action, ActionDoorMoved);
}

TEST_F(CdAudioDeviceTest, ReadyOperationReconnectsAfterTheDoorMoved) {
    Start(ThreeTracks());
    device->ToggleDoor();
    device->ToggleDoor();
    recorder.Take();
    EXPECT_EQ(device->Play(), 1);
    std::vector<std::string> log = recorder.Take();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "status 1 present");
    EXPECT_EQ(log[1], "close 1");
    EXPECT_EQ(log[2], "open");
    EXPECT_EQ(log.back(), "play 2");
    EXPECT_EQ(device->action, ActionPlaying);
    EXPECT_EQ(device->trackCount, 3u);
    EXPECT_EQ(drive.OpenDeviceCount(), 1u);
}

TEST_F(CdAudioDeviceTest, ReadyOperationWithTheDoorOpenFails) {
    Start(ThreeTracks());
    device->ToggleDoor();
    EXPECT_EQ(device->Play(), 0);
    EXPECT_EQ(device->Pause(), 0);
    EXPECT_EQ(device->NextTrack(), 0);
    EXPECT_EQ(device->action, ActionFailed);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_FALSE(LoggedPlay());
    // Every reconnection gave back the id it replaced: nothing is left open.
    EXPECT_EQ(drive.OpenDeviceCount(), 0u);
}

TEST_F(CdAudioDeviceTest, ClearedDeviceReconnectsOnTheNextPlay) {
    Start(ThreeTracks());
    device->Stop();
    device->CloseDevice();
    EXPECT_EQ(device->action, ActionClosed);
    device->Clear();
    EXPECT_EQ(drive.OpenDeviceCount(), 0u);
    EXPECT_EQ(device->Play(), 1);
    EXPECT_EQ(device->trackCount, 3u);
    EXPECT_EQ(device->deviceId, 2u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
}

TEST_F(CdAudioDeviceTest, EnsureReadyPicksUpAnInsertedDisc) {
    Start(std::nullopt);
    ASSERT_EQ(device->action, ActionFailed);
    EXPECT_FALSE(device->EnsureReady());
    drive.InsertDisc(ThreeTracks());
    EXPECT_TRUE(device->EnsureReady());
    EXPECT_EQ(device->trackCount, 3u);
}

TEST_F(CdAudioDeviceTest, CloseDeviceAndClear) {
    Start(ThreeTracks());
    device->discTitle = "Artist / Title";
    device->trackTitles[0] = "One";
    device->trackTitles[kMaxTracks] = "Last slot";
    device->category = "rock";
    device->Clear();
    EXPECT_TRUE(device->discTitle.empty());
    EXPECT_TRUE(device->trackTitles[0].empty());
    EXPECT_TRUE(device->trackTitles[kMaxTracks].empty());
    EXPECT_EQ(device->category, "rock");
    EXPECT_EQ(device->deviceId, 0u);
    EXPECT_EQ(device->trackCount, 0u);
    EXPECT_EQ(device->currentTrack, 0u);
    EXPECT_EQ(device->action, ActionCleared);
    EXPECT_EQ(device->tracks[3].startMs, 0u);
    // Clear forgets the id without closing it; closing now has nothing to close.
    EXPECT_EQ(drive.OpenDeviceCount(), 1u);
    EXPECT_EQ(device->CloseDevice(), 0);
}

TEST_F(CdAudioDeviceTest, DestructionClosesTheDevice) {
    Start(ThreeTracks());
    device.reset();
    EXPECT_EQ(recorder.log.back(), "close 1");
    EXPECT_EQ(drive.OpenDeviceCount(), 0u);
}

TEST_F(CdAudioDeviceTest, UpdateTimesFollowsThePlayingDisc) {
    Start(ThreeTracks());
    ASSERT_EQ(device->PlayTrack(2), 1);
    clock.Advance(65500);
    recorder.Take();
    uint32_t position = device->UpdateTimes();
    EXPECT_THAT(recorder.Take(), ElementsAre("format 1 ms", "status 1 position"));
    // 03:00:00 plus 65.5 s is frame 18412, 245493 ms.
    EXPECT_EQ(position, 245493u);
    EXPECT_EQ(device->trackElapsedMinute, 1u);
    EXPECT_EQ(device->trackElapsedSecond, 5u);
    EXPECT_EQ(device->positionMinute, 4u);
    EXPECT_EQ(device->positionSecond, 5u);
    EXPECT_EQ(device->trackRemainingMinute, 3);
    EXPECT_EQ(device->trackRemainingSecond, 25);
    EXPECT_EQ(device->discRemainingMinute, 5);
    EXPECT_EQ(device->discRemainingSecond, 55);
    EXPECT_FALSE(device->AtDiscEnd());
}

TEST_F(CdAudioDeviceTest, TrackAdvancesAndTheDiscEnds) {
    Start(ThreeTracks());
    ASSERT_EQ(device->PlayTrack(1), 1);
    clock.Advance(177000);
    EXPECT_FALSE(device->TrackAdvanced());
    clock.Advance(2000);
    EXPECT_TRUE(device->TrackAdvanced());
    EXPECT_EQ(device->currentTrack, 2u);
    EXPECT_EQ(device->mode, mci::MCI_MODE_PLAY);
    EXPECT_FALSE(device->TrackAdvanced());

    ASSERT_EQ(device->PlayTrack(3), 1);
    clock.Advance(149000);
    device->UpdateTimes();
    EXPECT_EQ(device->discRemainingSecond, 1);
    EXPECT_FALSE(device->AtDiscEnd());
    clock.Advance(5000);
    EXPECT_EQ(device->UpdateTimes(), 600000u);
    EXPECT_TRUE(device->AtDiscEnd());
    EXPECT_EQ(device->trackRemainingMinute, 0);
    EXPECT_EQ(device->trackRemainingSecond, 0);
    EXPECT_FALSE(device->TrackAdvanced());
    EXPECT_EQ(device->mode, mci::MCI_MODE_STOP);
}

TEST_F(CdAudioDeviceTest, UpdateTimesRefusesMoreThanSixtyMinutesIntoATrack) {
    Start(MakeAudioDisc({{0, 2, 0}, {70, 0, 0}}, {75, 0, 0}));
    ASSERT_EQ(device->PlayTrack(1), 1);
    clock.Advance((60 * 60 + 59) * 1000);
    EXPECT_EQ(device->UpdateTimes(), (60 * 60 + 61) * 1000u);
    EXPECT_EQ(device->trackElapsedMinute, 60u);
    EXPECT_EQ(device->trackElapsedSecond, 59u);
    EXPECT_EQ(device->positionMinute, 61u);

    clock.Advance(1000);
    EXPECT_EQ(device->UpdateTimes(), 0u);
    EXPECT_EQ(device->trackElapsedMinute, 60u);
    EXPECT_EQ(device->trackElapsedSecond, 59u);
    EXPECT_EQ(device->positionMinute, 61u);
    EXPECT_EQ(device->positionSecond, 1u);
}

TEST_F(CdAudioDeviceTest, UpdateTimesRefusesAPositionBeforeTheTrack) {
    Start(ThreeTracks());
    ASSERT_EQ(device->PlayTrack(1), 1);
    clock.Advance(3000);
    device->currentTrack = 2;
    EXPECT_EQ(device->UpdateTimes(), 0u);
    EXPECT_EQ(device->positionSecond, 0u);
}

TEST_F(CdAudioDeviceTest, UpdateTimesAsksNothingForATrackOutsideTheTable) {
    Start(ThreeTracks());
    for (uint32_t track : {0u, 4u, 250u}) {
        device->currentTrack = track;
        recorder.Take();
        EXPECT_EQ(device->UpdateTimes(), 0u);
        EXPECT_TRUE(recorder.log.empty());
    }
}

TEST_F(CdAudioDeviceTest, SeekToMovesTheDrive) {
    Start(ThreeTracks());
    recorder.Take();
    EXPECT_EQ(device->SeekTo(200000, mci::MCI_TO), 1);
    EXPECT_THAT(recorder.Take(),
                ElementsAre("status 1 present", "status 1 present", "format 1 ms", "seek 1 to 200000"));
    EXPECT_EQ(drive.PositionFrame(), 15000u);
    device->UpdateTimes();
    EXPECT_EQ(device->positionMinute, 3u);
    EXPECT_EQ(device->positionSecond, 20u);
    EXPECT_EQ(device->SeekTo(20 * 60000, mci::MCI_TO), 0);
}

TEST_F(CdAudioDeviceTest, QueryStatusOfAFailingDeviceIsZero) {
    Start(ThreeTracks());
    recorder.failWhen = [](const std::string&) { return 262u; };
    EXPECT_EQ(device->QueryStatus(mci::MCI_STATUS_MODE), 0u);
    EXPECT_FALSE(device->IsMediaPresent());
    EXPECT_EQ(device->ReadTrackAndMode(), 0u);
    EXPECT_EQ(device->currentTrack, 0u);
}

}  // namespace
}  // namespace discdeck
