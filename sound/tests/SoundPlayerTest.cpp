#include "sound/SoundPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <tuple>

#include "drive/SimulatedDrive.h"
#include "sound/tests/RecordingSoundOutput.h"

namespace discdeck {
namespace {

constexpr uint64_t kSecond = kSampleRate;

// The drive and its sound, fed by hand: tracks at 00:02:00, 00:10:00 and a data track at 00:20:00,
// lead-out 00:30:00; every sample of the disc names its own position.
class SoundPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimulatedDisc disc = MakeAudioDisc({{0, 2, 0}, {0, 10, 0}, {0, 20, 0}}, {0, 30, 0});
        disc.tracks[2].audio = false;
        ASSERT_TRUE(drive.InsertDisc(disc));
        player.SetSource(std::shared_ptr<DiscAudio>(&audio, [](DiscAudio*) {}));
        drive.SetPlayHead(&player);
        ASSERT_EQ(drive.Open(id), 0u);
        ASSERT_EQ(drive.SetTimeFormat(id, mci::MCI_FORMAT_TMSF), 0u);
    }

    // The device plays this many samples in their time, the feeder keeping it supplied.
    void PlayFor(uint64_t samples) {
        while (samples > 0) {
            player.Feed();
            uint64_t step = std::min<uint64_t>(samples, kSampleRate / 100);
            output.Play(step);
            clock.Advance(step * 1000 / kSampleRate);
            samples -= step;
        }
        player.Feed();
    }

    uint32_t Status(uint32_t item) {
        uint32_t result = 0;
        EXPECT_EQ(drive.Status(id, item, false, 0, result), 0u);
        return result;
    }

    static uint64_t TrackSample(uint32_t seconds) { return seconds * kSecond; }

    ManualClock clock{5000};
    RecordingSoundOutput output;
    CountingDiscAudio audio;
    SoundPlayer player{output, clock, SoundPlayer::Feeding::ByHand};
    SimulatedDrive drive{clock};
    uint32_t id = 0;
};

TEST_F(SoundPlayerTest, PlayPauseResumeSeekAndStopSoundExactlyWhatTheDriveReports) {
    // Track 2 from its start: the device hears the disc's samples from there, and the drive's
    // position is what was played, not what the clock says.
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(2, 0, 0, 0)), 0u);
    PlayFor(kSecond + 300);
    clock.Advance(60000);
    EXPECT_EQ(output.played, CountingDiscAudio::Expected(TrackSample(10), kSecond + 300));
    EXPECT_EQ(drive.PositionSample(), TrackSample(10) + kSecond + 300);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION), mci::MakeTmsf(2, 0, 1, 0));
    EXPECT_LE(output.queue.size(), 4u) << "the feeder keeps only a few buffers ahead";

    // PAUSE: nothing more sounds; resume goes on from the very next sample.
    ASSERT_EQ(drive.Pause(id), 0u);
    PlayFor(kSecond);
    EXPECT_EQ(output.played.size(), (kSecond + 300) * kBytesPerSample);
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    PlayFor(kSecond);
    EXPECT_EQ(output.played, CountingDiscAudio::Expected(TrackSample(10), 2 * kSecond + 300));
    const int resetsBeforeSeek = output.resets;

    // A seek and a play from there: the device is reset (nothing queued before sounds), the sound
    // continues from the seek point.
    ASSERT_EQ(drive.Seek(id, mci::MCI_TO, mci::MakeTmsf(1, 0, 5, 0)), 0u);
    EXPECT_GT(output.resets, resetsBeforeSeek);
    EXPECT_TRUE(output.queue.empty());
    output.played.clear();
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    PlayFor(kSecond / 2);
    EXPECT_EQ(output.played, CountingDiscAudio::Expected(TrackSample(7), kSecond / 2));

    // STOP: silence at once.
    ASSERT_EQ(drive.Stop(id), 0u);
    output.played.clear();
    PlayFor(kSecond);
    EXPECT_TRUE(output.played.empty());
    EXPECT_EQ(drive.PositionSample(), TrackSample(7) + kSecond / 2);
}

TEST_F(SoundPlayerTest, TheDiscEndsWhenItsLastSampleWasPlayed) {
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(2, 0, 9, 0)), 0u);
    // Everything up to the lead-out is handed over, and the drive plays on until it was heard.
    PlayFor(TrackSample(21) - TrackSample(19) - 1);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_PLAY);
    PlayFor(TrackSample(30) - TrackSample(21) + 1);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);
    EXPECT_EQ(output.played.size(), (TrackSample(30) - TrackSample(19)) * kBytesPerSample);
}

TEST_F(SoundPlayerTest, ASinkThatTakesEverythingAtOnceStillGetsTheDiscAtAboutItsPace) {
    output.bufferCount = 1000;
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(1, 0, 0, 0)), 0u);
    for (uint64_t second = 0; second < 3; ++second) {
        while (player.Feed() > 0) {
            output.Play(kSecond * 10);
        }
        // Whole buffers up to the clock's time, its slack and the lead.
        const uint64_t bound =
            second * kSecond * (SoundPlayer::kClockSlack + 1) / SoundPlayer::kClockSlack + SoundPlayer::kLeadSamples;
        EXPECT_GE(drive.PositionSample(), TrackSample(2) + bound);
        EXPECT_LT(drive.PositionSample(), TrackSample(2) + bound + SoundPlayer::kBufferSamples);
        clock.Advance(1000);
    }
}

// The lead is kept against what the device played: a device whose crystal runs 0.1 % fast never runs
// dry (measured against the clock, the 400 ms lead was gone after 400 s), and what a device claims
// beyond what it was handed counts for nothing.
TEST_F(SoundPlayerTest, ADeviceRunningFastIsKeptFedAndItsClaimsAreClamped) {
    player.SetSource(nullptr);
    player.Start(0, 3600 * kSecond);
    const uint64_t step = kSampleRate / 50;
    uint64_t owed = 0;
    for (int i = 0; i < 50 * 480; ++i) {  // 8 minutes on the clock, 480.48 s on the device
        player.Feed();
        owed += step + step / 1000;
        const uint64_t before = output.playedSamples;
        output.Play(owed);
        owed -= output.playedSamples - before;
        ASSERT_EQ(owed, 0u) << "the device ran dry after " << i * 20 << " ms";
        output.played.clear();
        clock.Advance(20);
    }
    uint64_t handed = output.playedSamples;
    for (const auto& queued : output.queue) {
        handed += queued.size() / kBytesPerSample;
    }
    output.playedSamples += 10 * kSecond;
    EXPECT_EQ(player.Position(), handed);
}

TEST_F(SoundPlayerTest, WithoutADeviceTheDiscPlaysSilentlyOnTheClock) {
    output.available = false;
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(2, 0, 0, 0)), 0u);
    EXPECT_EQ(player.Feed(), 0u);
    clock.Advance(1500);
    EXPECT_EQ(drive.PositionSample(), TrackSample(10) + kSecond * 3 / 2);
    ASSERT_EQ(drive.Pause(id), 0u);
    clock.Advance(10000);
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    clock.Advance(500);
    EXPECT_EQ(drive.PositionSample(), TrackSample(12));
    EXPECT_TRUE(output.played.empty());
}

TEST_F(SoundPlayerTest, ADeviceThatGoesAwayLeavesTheDiscPlayingOnTheClockFromWhatWasHeard) {
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(2, 0, 0, 0)), 0u);
    PlayFor(kSecond);
    output.available = false;
    output.Play(kSecond);  // what was queued is heard; the next buffer is refused
    clock.Advance(1000);
    player.Feed();
    EXPECT_FALSE(output.open);
    clock.Advance(2000);
    EXPECT_EQ(drive.PositionSample(), TrackSample(10) + 3 * kSecond + SoundPlayer::kLeadSamples);
}

// REPEAT TRACK: the drive goes back at the track's last sample, so nothing of what follows sounds,
// and counts the switch for the window; the last audio track, followed by a data track, repeats all
// the same. Each play starts a second before its track ends.
TEST_F(SoundPlayerTest, RepeatTrackSwitchesAtTheTracksLastSample) {
    for (const auto& [track, fromSecond, thenSecond] : {std::tuple{1u, 9u, 2u}, std::tuple{2u, 19u, 10u}}) {
        drive.SetTrackEnd(TrackEnd{TrackEnd::Kind::Repeat, 0});
        ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(track, 0, fromSecond - thenSecond, 0)), 0u);
        output.played.clear();
        PlayFor(2 * kSecond);
        std::vector<uint8_t> expected = CountingDiscAudio::Expected(TrackSample(fromSecond), kSecond);
        const std::vector<uint8_t> after = CountingDiscAudio::Expected(TrackSample(thenSecond), kSecond);
        expected.insert(expected.end(), after.begin(), after.end());
        EXPECT_EQ(output.played, expected) << "track " << track;
        EXPECT_EQ(drive.PositionSample(), TrackSample(thenSecond + 1));
        EXPECT_EQ(drive.TakeTrackSwitches(), 1u);
    }
}

// A plan given while the track plays, and the drive going on once a jump was made.
TEST_F(SoundPlayerTest, APlanGivenLateOrUsedUp) {
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(1, 0, 5, 0)), 0u);
    PlayFor(kSecond);
    drive.SetTrackEnd(TrackEnd{TrackEnd::Kind::Jump, 1});
    PlayFor(2 * kSecond + kSecond / 2);
    EXPECT_EQ(drive.PositionSample(), TrackSample(2) + kSecond / 2);
    EXPECT_EQ(drive.TakeTrackSwitches(), 1u);
    // The jump is done: track 1 goes on into track 2 as a drive does.
    PlayFor(10 * kSecond);
    EXPECT_EQ(drive.PositionSample(), TrackSample(12) + kSecond / 2);
    EXPECT_EQ(drive.TakeTrackSwitches(), 0u);
    // Too late: the sound past the end is already with the device; the drive goes on.
    ASSERT_EQ(drive.Play(id, true, mci::MakeTmsf(1, 0, 5, 0)), 0u);
    PlayFor(3 * kSecond - kSecond / 10);
    drive.SetTrackEnd(TrackEnd{TrackEnd::Kind::Repeat, 0});
    PlayFor(kSecond);
    EXPECT_EQ(drive.PositionSample(), TrackSample(10) + kSecond * 9 / 10);
    EXPECT_EQ(drive.TakeTrackSwitches(), 0u);
}

// The feeder's thread against the test's: a disc whose reads wait until the test opens the gate (a
// disk that does not answer) and a device that keeps the first buffer written, in one.
class GatedRig : public CountingDiscAudio, public RecordingSoundOutput {
  public:
    bool Read(uint64_t firstSample, uint32_t count, uint8_t* out) override {
        Change([this] { ++readsBegun; });
        WaitFor([this] { return gateOpen; });
        return CountingDiscAudio::Read(firstSample, count, out);
    }
    bool Write(const uint8_t* data, uint32_t bytes) override {
        Change([&] {
            if (first.empty()) {
                first.assign(data, data + bytes);
            }
        });
        return RecordingSoundOutput::Write(data, bytes);
    }
    void Change(const std::function<void()>& change) {
        std::lock_guard<std::mutex> guard(lock);
        change();
        changed.notify_all();
    }
    void WaitFor(const std::function<bool()>& ready) {
        std::unique_lock<std::mutex> waiting(lock);
        changed.wait_for(waiting, std::chrono::seconds(30), ready);
    }
    std::mutex lock;
    std::condition_variable changed;
    int readsBegun = 0;
    bool gateOpen = false;
    std::vector<uint8_t> first;
};

// The drive's commands and position queries answer while a read is under way, and the sound of a
// play changed meanwhile is dropped.
TEST(SoundPlayerThreadTest, CommandsAnswerWhileAReadHangs) {
    ManualClock clock(1000);
    GatedRig rig;
    SoundPlayer player(rig, clock);
    player.SetSource(std::shared_ptr<DiscAudio>(&rig, [](DiscAudio*) {}));
    player.Start(1000, 100000);
    rig.WaitFor([&] { return rig.readsBegun >= 1; });

    EXPECT_EQ(player.Position(), 1000u);
    player.Pause();
    player.Resume();
    player.Halt();
    player.Start(5000, 100000);
    EXPECT_EQ(player.Position(), 5000u);
    rig.Change([&] {
        EXPECT_EQ(rig.readsBegun, 1) << "the feeder is still in its first read";
        rig.gateOpen = true;
    });
    rig.WaitFor([&] { return !rig.first.empty(); });
    EXPECT_EQ(rig.first, CountingDiscAudio::Expected(5000, SoundPlayer::kBufferSamples))
        << "the read made for the first play never sounds";
}

}  // namespace
}  // namespace discdeck
