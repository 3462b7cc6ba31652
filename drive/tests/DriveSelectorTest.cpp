#include "drive/DriveSelector.h"

#include <gtest/gtest.h>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/tests/DemoDisc.h"
#include "rip/tests/TempFolder.h"
#include "sound/tests/RecordingSoundOutput.h"

namespace discdeck {
namespace {

// The product's drive: the real drive until a sheet is chosen; a chosen rip sounds through the
// selector's sound player, and a refused one says why.
TEST(DriveSelectorTest, AChosenRipReplacesTheRealDriveAndSoundsThroughThePlayer) {
    testing::TempFolder folder;
    // Two seconds of sound whose samples count up from 1, one track at 00:02:00, another at 00:03:00.
    std::string image;
    for (uint32_t i = 1; i <= 2 * kSampleRate; ++i) {
        image.append(reinterpret_cast<const char*>(&i), 4);
    }
    folder.Write("rip/image.bin", image);
    folder.Write("rip/album.cue",
                 "FILE \"image.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                 "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
    folder.Write("rip/broken.cue", "FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");

    ManualClock realClock;
    auto real = std::make_unique<SimulatedDrive>(realClock);
    ASSERT_TRUE(real->InsertDisc(DemoDisc()));
    auto output = std::make_unique<RecordingSoundOutput>();
    RecordingSoundOutput& speaker = *output;
    auto clock = std::make_unique<ManualClock>();
    ManualClock& time = *clock;
    DriveSelector selector(std::move(real), std::move(output), std::move(clock), SoundPlayer::Feeding::ByHand);
    {
        CdAudioDevice device(selector);
        EXPECT_EQ(device.discId, 0x8409a30au);
        EXPECT_EQ(selector.SheetPath(), "");
        device.CloseDevice();
    }

    selector.ChangeDisc(folder.Path("rip/album.cue"));
    CdAudioDevice device(selector);
    ASSERT_EQ(device.trackCount, 2u);
    EXPECT_TRUE(selector.SheetError().Ok());
    ASSERT_EQ(device.PlayTrack(2), 1);
    for (int i = 0; i < 50; ++i) {
        selector.Sound().Feed();
        speaker.Play(kSampleRate / 100);
        time.Advance(10);
    }
    EXPECT_EQ(speaker.played, CountingDiscAudio::Expected(kSampleRate + 1, kSampleRate / 2));
    device.CloseDevice();

    selector.ChangeDisc(folder.Path("rip/broken.cue"));
    EXPECT_EQ(CdAudioDevice(selector).action, ActionFailed);
    EXPECT_EQ(selector.SheetPath(), folder.Path("rip/broken.cue"));
    EXPECT_EQ(selector.SheetError().line, 1u);
    EXPECT_NE(selector.SheetError().message.find("gone.bin"), std::string::npos);
}

}  // namespace
}  // namespace discdeck
