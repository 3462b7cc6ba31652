// The real device adapter and the product's choice of drive, under Wine (no CD drive there).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/win/MciMediaControl.h"
#include "drive/SheetFileDrive.h"
#include "drive/win/MediaControlFactory.h"

namespace discdeck {
namespace {

// The source tree as Wine sees it: its Z: drive is the Unix root.
const std::string kDemoSheet = std::string("Z:") + DISCDECK_SOURCE_DIR + "/demo/demo.cue";

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    return std::string(folder, length) + name;
}

class EnvironmentGuard {
  public:
    explicit EnvironmentGuard(const char* value) { SetEnvironmentVariableA("DISCDECK_VIRTUAL_DISC", value); }
    ~EnvironmentGuard() { SetEnvironmentVariableA("DISCDECK_VIRTUAL_DISC", nullptr); }
};

TEST(MciMediaControlTest, NoDriveMeansNoDiscAndNoCrash) {
    MciMediaControl mci;
    CdAudioDevice device(mci);
    EXPECT_EQ(device.action, ActionFailed);
    EXPECT_EQ(device.trackCount, 0u);
    EXPECT_EQ(device.discId, 0u);
    EXPECT_FALSE(device.IsMediaPresent());
    EXPECT_EQ(device.QueryStatus(mci::MCI_STATUS_NUMBER_OF_TRACKS), 0u);
    EXPECT_EQ(device.Play(), 0);
    EXPECT_EQ(device.PlayTrack(1), 0);
    EXPECT_EQ(device.Pause(), 0);
    EXPECT_EQ(device.NextTrack(), 0);
    EXPECT_EQ(device.UpdateTimes(), 0u);
    device.Stop();
    device.ToggleDoor();
    EXPECT_EQ(device.Connect(), 0);
    EXPECT_EQ(device.trackCount, 0u);
}

TEST(MciMediaControlTest, CommandsToAnUnknownDeviceFail) {
    MciMediaControl mci;
    uint32_t result = 7;
    EXPECT_NE(mci.Status(0x4242, mci::MCI_STATUS_MODE, false, 0, result), 0u);
    EXPECT_EQ(result, 7u);
    EXPECT_NE(mci.SetTimeFormat(0x4242, mci::MCI_FORMAT_MSF), 0u);
    EXPECT_NE(mci.Play(0x4242, true, mci::MakeTmsf(1, 0, 0, 0)), 0u);
    EXPECT_NE(mci.Seek(0x4242, mci::MCI_SEEK_TO_START, 0), 0u);
    EXPECT_NE(mci.Close(0x4242), 0u);
}

TEST(CreateMediaControlTest, RealDriveWithoutTheOption) {
    std::unique_ptr<DriveSelector> control = CreateMediaControl("discdeck.exe /Automation");
    EXPECT_EQ(control->Sheet(), nullptr);
}

TEST(CreateMediaControlTest, OptionPicksTheVirtualDisc) {
    std::unique_ptr<DriveSelector> control =
        CreateMediaControl("\"C:\\Program Files\\discdeck.exe\" \"--virtual-disc=" + kDemoSheet + "\"");
    auto* drive = control->Sheet();
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->SheetPath(), kDemoSheet);
    CdAudioDevice device(*control);
    EXPECT_EQ(device.trackCount, 10u);
    EXPECT_EQ(device.discId, 0x8409a30au);
    EXPECT_EQ(device.Play(), 1);
    EXPECT_EQ(device.QueryStatus(mci::MCI_STATUS_MODE), mci::MCI_MODE_PLAY);
}

TEST(CreateMediaControlTest, EnvironmentPicksTheVirtualDisc) {
    EnvironmentGuard guard(kDemoSheet.c_str());
    std::unique_ptr<DriveSelector> control = CreateMediaControl("discdeck.exe");
    auto* drive = control->Sheet();
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->SheetPath(), kDemoSheet);

    // The option wins over the environment.
    control = CreateMediaControl("discdeck.exe --virtual-disc=Z:\\nowhere\\other.cue");
    drive = control->Sheet();
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->SheetPath(), "Z:\\nowhere\\other.cue");
}

TEST(CreateMediaControlTest, DeletingAndCreatingTheSheetChangesTheDisc) {
    std::ifstream demo(kDemoSheet, std::ios::binary);
    ASSERT_TRUE(demo);
    std::string text((std::istreambuf_iterator<char>(demo)), std::istreambuf_iterator<char>());
    const std::string sheet = TempPath("discdeck-cdaudio-wine.cue");
    DeleteFileA(sheet.c_str());

    std::unique_ptr<DriveSelector> control = CreateMediaControl("discdeck.exe --virtual-disc=" + sheet);
    CdAudioDevice device(*control);
    EXPECT_EQ(device.action, ActionFailed);
    EXPECT_FALSE(device.IsMediaPresent());

    // As the player's disc poll does after a failure: connect again.
    std::ofstream(sheet, std::ios::binary) << text;
    EXPECT_EQ(device.Connect(), 1);
    EXPECT_TRUE(device.IsMediaPresent());
    EXPECT_EQ(device.discId, 0x8409a30au);

    ASSERT_TRUE(DeleteFileA(sheet.c_str()));
    EXPECT_FALSE(device.IsMediaPresent());
}

}  // namespace
}  // namespace discdeck

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
