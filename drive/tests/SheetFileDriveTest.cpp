#include "drive/SheetFileDrive.h"

#include <gtest/gtest.h>

#include "cdaudio/CdAudioDevice.h"
#include "rip/tests/TempFolder.h"

namespace discdeck {
namespace {

using testing::TempFolder;

std::string Sheet(int tracks) {
    std::string text = "REM LEADOUT " + std::to_string(10 + tracks) + ":00:00\nFILE \"v.bin\" BINARY\n";
    for (int i = 1; i <= tracks; ++i) {
        text += "TRACK 0" + std::to_string(i) + " AUDIO\nINDEX 01 0" + std::to_string(i - 1) + ":00:00\n";
    }
    return text;
}

class SheetFileDriveTest : public ::testing::Test {
  protected:
    uint32_t Status(uint32_t item) {
        uint32_t result = 0;
        drive.Status(id, item, false, 0, result);
        return result;
    }

    TempFolder folder;
    ManualClock clock;
    SheetFileDrive drive{folder.Path("disc.cue"), clock};
    uint32_t id = 0;
};

TEST_F(SheetFileDriveTest, MediumIsPresentExactlyWhileTheSheetExists) {
    ASSERT_EQ(drive.Open(id), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_OPEN);

    folder.Write("disc.cue", Sheet(3));
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(Status(mci::MCI_STATUS_NUMBER_OF_TRACKS), 3u);
    EXPECT_EQ(drive.Sheet().tracks.size(), 3u);

    folder.Remove("disc.cue");
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_TRUE(drive.Sheet().tracks.empty());

    folder.Write("disc.cue", Sheet(5));
    EXPECT_EQ(Status(mci::MCI_STATUS_NUMBER_OF_TRACKS), 5u);
}

TEST_F(SheetFileDriveTest, DeletingTheSheetStopsAPlayingDisc) {
    folder.Write("disc.cue", Sheet(3));
    ASSERT_EQ(drive.Open(id), 0u);
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    clock.Advance(2000);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_PLAY);
    folder.Remove("disc.cue");
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_OPEN);
    EXPECT_EQ(drive.Play(id, false, 0), mci::MCIERR_HARDWARE);
}

TEST_F(SheetFileDriveTest, ABrokenSheetLeavesTheDriveEmptyUntilItChanges) {
    folder.Write("disc.cue", "FILE \"v.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:99:00\n");
    ASSERT_EQ(drive.Open(id), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(drive.LastError().status, CueStatus::BadTime);
    EXPECT_EQ(drive.LastError().line, 3u);

    folder.Write("disc.cue", Sheet(2));
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_TRUE(drive.LastError().Ok());
}

// A rewrite takes the disc out until a device is opened again, as a real disc change does, so the
// player notices; a same-size rewrite that keeps the file's time counts as well.
TEST_F(SheetFileDriveTest, ARewrittenSheetIsReadAsANewDisc) {
    folder.Write("disc.cue", Sheet(2));
    ASSERT_EQ(drive.Open(id), 0u);
    ASSERT_EQ(drive.Play(id, false, 0), 0u);
    folder.Write("disc.cue", Sheet(4));
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(drive.Play(id, false, 0), mci::MCIERR_HARDWARE);
    folder.Write("disc.cue", Sheet(5));  // saved again before the player reconnected
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    ASSERT_EQ(drive.Close(id), 0u);
    ASSERT_EQ(drive.Open(id), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_NUMBER_OF_TRACKS), 5u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MODE), mci::MCI_MODE_STOP);

    const auto written = std::filesystem::last_write_time(folder.Path("disc.cue"));
    std::string sameSize = Sheet(5);
    sameSize.replace(sameSize.find("v.bin"), 5, "w.bin");
    folder.Write("disc.cue", sameSize);
    std::filesystem::last_write_time(folder.Path("disc.cue"), written);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    ASSERT_EQ(drive.Open(id), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(drive.Sheet().files.at(0).name, "w.bin");
}

TEST_F(SheetFileDriveTest, TheDoorStillWorks) {
    folder.Write("disc.cue", Sheet(2));
    ASSERT_EQ(drive.Open(id), 0u);
    ASSERT_EQ(drive.SetDoor(id, true), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 0u);
    ASSERT_EQ(drive.SetDoor(id, false), 0u);
    EXPECT_EQ(Status(mci::MCI_STATUS_MEDIA_PRESENT), 1u);
}

// The player's device over the virtual drive: taking the disc out and putting another in.
TEST_F(SheetFileDriveTest, DeviceFollowsDiscChanges) {
    folder.Write("disc.cue", Sheet(3));
    CdAudioDevice device(drive);
    ASSERT_EQ(device.trackCount, 3u);
    uint32_t firstId = device.discId;
    ASSERT_EQ(device.Play(), 1);

    folder.Remove("disc.cue");
    EXPECT_FALSE(device.IsMediaPresent());
    device.Stop();
    device.CloseDevice();
    device.Clear();
    EXPECT_EQ(device.Connect(), 0);

    folder.Write("disc.cue", Sheet(5));
    EXPECT_EQ(device.Connect(), 1);
    EXPECT_EQ(device.trackCount, 5u);
    EXPECT_NE(device.discId, firstId);
    EXPECT_EQ(device.Play(), 1);
    EXPECT_EQ(drive.Drive().Mode(), mci::MCI_MODE_PLAY);
}

// The drive's sound comes and goes with the disc; a sheet over a BIN sounds as the BIN holds it.
TEST_F(SheetFileDriveTest, TheSoundFollowsTheDisc) {
    std::string bin(3 * kBytesPerFrame, '\0');
    for (size_t i = 0; i < bin.size(); ++i) {
        bin[i] = static_cast<char>(i * 7 + 1);
    }
    folder.Write("v.bin", bin);
    ASSERT_EQ(drive.Open(id), 0u);
    EXPECT_EQ(drive.Audio(), nullptr);

    folder.Write("disc.cue", "FILE \"v.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    drive.Refresh();
    ASSERT_NE(drive.Audio(), nullptr);
    std::string sound(8, '\x55');
    // The last sample of the pregap, then the first of the file.
    ASSERT_TRUE(drive.Audio()->Read(150 * kSamplesPerFrame - 1, 2, reinterpret_cast<uint8_t*>(sound.data())));
    EXPECT_EQ(sound, std::string(4, '\0') + bin.substr(0, 4));

    folder.Remove("disc.cue");
    drive.Refresh();
    EXPECT_EQ(drive.Audio(), nullptr);
}

TEST(SheetFileDriveOwnClockTest, PlaysOnItsOwnClock) {
    TempFolder folder;
    folder.Write("disc.cue", Sheet(1));
    SheetFileDrive drive(folder.Path("disc.cue"), std::make_unique<SteadyClock>());
    CdAudioDevice device(drive);
    ASSERT_EQ(device.trackCount, 1u);
    ASSERT_EQ(device.Play(), 1);
    EXPECT_EQ(drive.Drive().Mode(), mci::MCI_MODE_PLAY);
}

}  // namespace
}  // namespace discdeck
