#include "drive/SimulatedDrive.h"

#include <gtest/gtest.h>

namespace discdeck {
namespace {

// Tracks at 00:02:00, 03:00:00 and 07:30:00 (a data track), lead-out 10:00:00.
SimulatedDisc MixedDisc() {
    SimulatedDisc disc = MakeAudioDisc({{0, 2, 0}, {3, 0, 0}, {7, 30, 0}}, {10, 0, 0});
    disc.tracks[2].audio = false;
    return disc;
}

class SimulatedDriveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(drive.InsertDisc(MixedDisc()));
        ASSERT_EQ(drive.Open(id), 0u);
    }

    uint32_t Status(uint32_t item, uint32_t track = 0) {
        uint32_t result = 0xDEADBEEF;
        EXPECT_EQ(drive.Status(id, item, track != 0, track, result), 0u) << "item " << item << " track " << track;
        return result;
    }

    uint32_t StatusError(uint32_t item, bool withTrack = false, uint32_t track = 0) {
        uint32_t result = 0;
        return drive.Status(id, item, withTrack, track, result);
    }

    void Format(uint32_t format) { ASSERT_EQ(drive.SetTimeFormat(id, format), 0u); }

    ManualClock clock{1000000};
    SimulatedDrive drive{clock};
    uint32_t id = 0;
};

TEST_F(SimulatedDriveTest, TrackPositionsInEveryFormat) {
    Format(mci::MCI_FORMAT_MSF);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION, 1), mci::MakeMsf(0, 2, 0));
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION, 3), mci::MakeMsf(7, 30, 0));
    Format(mci::MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION, 1), 2000u);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION, 2), 180000u);
    Format(mci::MCI_FORMAT_TMSF);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION, 2), mci::MakeTmsf(2, 0, 0, 0));
}

TEST_F(SimulatedDriveTest, LengthsAndTheLastTrackOneFrameShort) {
    Format(mci::MCI_FORMAT_MSF);
    EXPECT_EQ(Status(mci::MCI_STATUS_LENGTH, 1), mci::MakeMsf(2, 58, 0));
    EXPECT_EQ(Status(mci::MCI_STATUS_LENGTH, 3), mci::MakeMsf(2, 29, 74));
    EXPECT_EQ(Status(mci::MCI_STATUS_LENGTH), mci::MakeMsf(9, 58, 0));
    Format(mci::MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(Status(mci::MCI_STATUS_LENGTH, 2), 270000u);
    EXPECT_EQ(Status(mci::MCI_STATUS_LENGTH, 3), 11249u * 1000 / 75);
    // TMSF lengths come back as MSF.
    Format(mci::MCI_FORMAT_TMSF);
    EXPECT_EQ(Status(mci::MCI_STATUS_LENGTH, 2), mci::MakeMsf(4, 30, 0));
}

TEST_F(SimulatedDriveTest, DiscItems) {
    EXPECT_EQ(Status(mci::MCI_STATUS_NUMBER_OF_TRACKS), 3u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);
    EXPECT_EQ(Status(mci::MCI_STATUS_CURRENT_TRACK), 1u);
    EXPECT_EQ(Status(mci::MCI_CDA_STATUS_TYPE_TRACK, 2), mci::MCI_CDA_TRACK_AUDIO);
    EXPECT_EQ(Status(mci::MCI_CDA_STATUS_TYPE_TRACK, 3), mci::MCI_CDA_TRACK_OTHER);
}

TEST_F(SimulatedDriveTest, StatusErrorsLeaveTheResultAlone) {
    uint32_t result = 77;
    EXPECT_EQ(drive.Status(id, mci::MCI_STATUS_LENGTH, true, 4, result), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Status(id, mci::MCI_STATUS_POSITION, true, 0, result), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Status(id, mci::MCI_CDA_STATUS_TYPE_TRACK, false, 0, result), mci::MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(drive.Status(id, 0x77, false, 0, result), mci::MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(drive.Status(id + 1, mci::MCI_STATUS_MODE, false, 0, result), mci::MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(result, 77u);
    EXPECT_EQ(drive.SetTimeFormat(id, 3), mci::MCIERR_BAD_TIME_FORMAT);
}

TEST_F(SimulatedDriveTest, PlayingMovesWithTheClockAndStopsAtTheLeadOut) {
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_PLAY);
    clock.Advance(178000);
    EXPECT_EQ(Status(mci::MCI_STATUS_CURRENT_TRACK), 2u);
    Format(mci::MCI_FORMAT_TMSF);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION), mci::MakeTmsf(2, 0, 0, 0));
    clock.Advance(1500);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION), mci::MakeTmsf(2, 0, 1, 37));

    // Playing goes through the data track and stops at the lead-out.
    clock.Advance(10 * 60000);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);
    Format(mci::MCI_FORMAT_MSF);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION), mci::MakeMsf(10, 0, 0));
    EXPECT_EQ(Status(mci::MCI_STATUS_CURRENT_TRACK), 3u);
    // Playing on from the lead-out ends at once.
    EXPECT_EQ(drive.Play(id, false, 0), 0u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
}

TEST_F(SimulatedDriveTest, PlayFromAStartInEachFormat) {
    struct Case {
        uint32_t format;
        uint32_t from;
        uint32_t frame;
    };
    for (const Case& c : {Case{mci::MCI_FORMAT_TMSF, mci::MakeTmsf(2, 0, 0, 0), 13500},
                          Case{mci::MCI_FORMAT_TMSF, mci::MakeTmsf(2, 1, 2, 3), 13500 + 4500 + 150 + 3},
                          Case{mci::MCI_FORMAT_MSF, mci::MakeMsf(5, 10, 20), 5 * 4500 + 750 + 20},
                          Case{mci::MCI_FORMAT_MILLISECONDS, 123456, 9259}}) {
        Format(c.format);
        ASSERT_EQ(drive.Play(id, true, c.from), 0u) << c.from;
        EXPECT_EQ(drive.PositionFrame(), c.frame);
        EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
    }
}

TEST_F(SimulatedDriveTest, PlayRefusesStartsOffTheDiscAndDataTracks) {
    Format(mci::MCI_FORMAT_TMSF);
    EXPECT_EQ(drive.Play(id, true, mci::MakeTmsf(4, 0, 0, 0)), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Play(id, true, mci::MakeTmsf(0, 0, 0, 0)), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Play(id, true, mci::MakeTmsf(2, 0, 60, 0)), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Play(id, true, mci::MakeTmsf(3, 0, 0, 0)), mci::MCIERR_HARDWARE);
    Format(mci::MCI_FORMAT_MSF);
    EXPECT_EQ(drive.Play(id, true, mci::MakeMsf(10, 0, 0)), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Play(id, true, mci::MakeMsf(0, 1, 74)), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Play(id, true, mci::MakeMsf(1, 0, 75)), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
}

TEST_F(SimulatedDriveTest, PlayingOnFromADataTrackSkipsToTheNextAudioTrack) {
    SimulatedDisc disc = MixedDisc();
    disc.tracks[0].audio = false;
    ASSERT_TRUE(drive.InsertDisc(disc));
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    EXPECT_EQ(drive.PositionFrame(), 13500u);

    disc.tracks[1].audio = false;
    ASSERT_TRUE(drive.InsertDisc(disc));
    EXPECT_EQ(drive.Play(id, false, 0), mci::MCIERR_HARDWARE);
}

TEST_F(SimulatedDriveTest, PauseHoldsThePositionAndPlayResumes) {
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    clock.Advance(2000);
    ASSERT_EQ(drive.Pause(id), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_PAUSE);
    clock.Advance(60000);
    EXPECT_EQ(drive.PositionFrame(), 300u);
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    clock.Advance(1000);
    EXPECT_EQ(drive.PositionFrame(), 375u);
    ASSERT_EQ(drive.Stop(id), 0u);
    clock.Advance(1000);
    EXPECT_EQ(drive.PositionFrame(), 375u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);
    // Pausing a stopped drive changes nothing.
    ASSERT_EQ(drive.Pause(id), 0u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
}

// A play without a start while the disc plays goes on from where the disc is, not from where the
// running play began.
TEST_F(SimulatedDriveTest, PlayWhilePlayingGoesOnFromTheCurrentPosition) {
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    clock.Advance(4000);
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    EXPECT_EQ(drive.PositionFrame(), 150u + 300u);
    clock.Advance(1000);
    EXPECT_EQ(drive.PositionFrame(), 150u + 375u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
}

TEST_F(SimulatedDriveTest, SeekEndsPlayingAtTheNewPosition) {
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    Format(mci::MCI_FORMAT_MILLISECONDS);
    ASSERT_EQ(drive.Seek(id, mci::MCI_TO, 200000), 0u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_STOP);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION), 200000u);
    ASSERT_EQ(drive.Seek(id, mci::MCI_SEEK_TO_START, 0), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION), 2000u);

    EXPECT_EQ(drive.Seek(id, 0, 0), mci::MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(drive.Seek(id, mci::MCI_TO | mci::MCI_SEEK_TO_START, 0), mci::MCIERR_FLAGS_NOT_COMPATIBLE);
    EXPECT_EQ(drive.Seek(id, mci::MCI_TO, 600000), mci::MCIERR_OUTOFRANGE);
    EXPECT_EQ(drive.Seek(id, mci::MCI_TO, 1000), mci::MCIERR_OUTOFRANGE);
}

// A millisecond position read from the drive seeks back to the same frame.
class MillisecondRoundTrip : public SimulatedDriveTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(MillisecondRoundTrip, PositionSeeksBackToItsFrame) {
    Format(mci::MCI_FORMAT_MILLISECONDS);
    for (uint32_t frame = GetParam(); frame < GetParam() + 75; ++frame) {
        Format(mci::MCI_FORMAT_MSF);
        ASSERT_EQ(drive.Seek(id, mci::MCI_TO, mci::MakeMsf(frame / 4500, frame / 75 % 60, frame % 75)), 0u);
        Format(mci::MCI_FORMAT_MILLISECONDS);
        uint32_t ms = Status(mci::MCI_STATUS_POSITION);
        ASSERT_EQ(drive.Seek(id, mci::MCI_TO, ms), 0u);
        ASSERT_EQ(drive.PositionFrame(), frame) << ms;
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, MillisecondRoundTrip, ::testing::Values(150u, 13500u, 44900u));

TEST_F(SimulatedDriveTest, DoorTakesTheMediumAwayAndBringsItBack) {
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    clock.Advance(5000);
    ASSERT_EQ(drive.SetDoor(id, true), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_OPEN);
    EXPECT_EQ(StatusError(mci::MCI_STATUS_NUMBER_OF_TRACKS), mci::MCIERR_HARDWARE);
    EXPECT_EQ(StatusError(mci::MCI_STATUS_POSITION), mci::MCIERR_HARDWARE);
    EXPECT_EQ(drive.Play(id, false, 0), mci::MCIERR_HARDWARE);
    EXPECT_EQ(drive.Stop(id), mci::MCIERR_HARDWARE);
    EXPECT_EQ(drive.Pause(id), mci::MCIERR_HARDWARE);
    EXPECT_EQ(drive.Seek(id, mci::MCI_SEEK_TO_START, 0), mci::MCIERR_HARDWARE);

    ASSERT_EQ(drive.SetDoor(id, false), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);
    EXPECT_EQ(drive.PositionFrame(), 150u);
    EXPECT_EQ(Status(mci::MCI_STATUS_NUMBER_OF_TRACKS), 3u);

    // Closing a closed door leaves a playing disc alone.
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    ASSERT_EQ(drive.SetDoor(id, false), 0u);
    EXPECT_EQ(drive.Mode(), mci::MCI_MODE_PLAY);
}

TEST_F(SimulatedDriveTest, RemovedAndInsertedDiscs) {
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    drive.RemoveDisc();
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_OPEN);
    ASSERT_EQ(drive.SetDoor(id, true), 0u);
    ASSERT_EQ(drive.SetDoor(id, false), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);

    ASSERT_EQ(drive.SetDoor(id, true), 0u);
    ASSERT_TRUE(drive.InsertDisc(MakeAudioDisc({{0, 2, 0}}, {1, 0, 0})));
    EXPECT_FALSE(drive.IsDoorOpen());
    EXPECT_EQ(Status(mci::MCI_STATUS_NUMBER_OF_TRACKS), 1u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);
}

TEST_F(SimulatedDriveTest, InvalidDiscsAreRefused) {
    SimulatedDisc unordered = MakeAudioDisc({{0, 2, 0}, {5, 0, 0}, {4, 0, 0}}, {10, 0, 0});
    SimulatedDisc endsEarly = MakeAudioDisc({{0, 2, 0}, {5, 0, 0}}, {5, 0, 0});
    SimulatedDisc tooLong = MakeAudioDisc({{0, 2, 0}}, {256, 0, 0});
    for (const SimulatedDisc& disc : {SimulatedDisc{}, unordered, endsEarly, tooLong}) {
        EXPECT_FALSE(drive.InsertDisc(disc));
        EXPECT_FALSE(drive.HasDisc());
        EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    }
    EXPECT_TRUE(IsValidDisc(MakeAudioDisc({{0, 2, 0}}, {255, 59, 74})));
}

TEST_F(SimulatedDriveTest, EachOpenGetsItsOwnIdAndTimeFormat) {
    uint32_t second = 0;
    ASSERT_EQ(drive.Open(second), 0u);
    EXPECT_NE(second, id);
    EXPECT_EQ(drive.OpenDeviceCount(), 2u);
    Format(mci::MCI_FORMAT_MILLISECONDS);
    uint32_t result = 0;
    ASSERT_EQ(drive.Status(second, mci::MCI_STATUS_POSITION, true, 2, result), 0u);
    EXPECT_EQ(result, mci::MakeMsf(3, 0, 0));
    EXPECT_EQ(Status(mci::MCI_STATUS_POSITION, 2), 180000u);

    // Both ids drive the same disc.
    ASSERT_EQ(drive.Play(second, false, 0), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_PLAY);

    ASSERT_EQ(drive.Close(second), 0u);
    EXPECT_EQ(drive.Close(second), mci::MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(drive.Stop(second), mci::MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(drive.SetDoor(second, true), mci::MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(drive.OpenDeviceCount(), 1u);
    uint32_t third = 0;
    ASSERT_EQ(drive.Open(third), 0u);
    EXPECT_NE(third, second);
    EXPECT_NE(third, id);
}

TEST_F(SimulatedDriveTest, OpeningFailsWithoutADrive) {
    drive.SetDriveAvailable(false);
    uint32_t other = 0;
    EXPECT_EQ(drive.Open(other), mci::MCIERR_CANNOT_LOAD_DRIVER);
    EXPECT_EQ(other, 0u);
}

}  // namespace
}  // namespace discdeck
