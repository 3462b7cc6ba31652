#include "setup/SetupRunner.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "setup/tests/support/CabinetWriter.h"
#include "setup/tests/support/MemorySetupFiles.h"
#include "setup/tests/support/RecordingView.h"
#include "setup/tests/support/SetupTestData.h"

namespace discdeck {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kTemp = "C:\\WINDOWS\\TEMP\\";

class FakePlatform : public SetupPlatform {
  public:
    std::string WindowsDirectory() override { return windows; }
    std::string ModulePath() override { return modulePath; }
    bool StartProgram(const std::string& path) override {
        view->events.push_back("start " + path);
        return startSucceeds;
    }
    void Sleep(unsigned milliseconds) override { view->events.push_back("sleep " + std::to_string(milliseconds)); }

    std::string windows = "C:\\WINDOWS";
    std::string modulePath = "D:\\Install\\SETUP.EXE";
    bool startSucceeds = true;
    RecordingView* view = nullptr;
};

class SetupRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform.view = &view;
        files.MakeDirectory("D:\\Install");
        files.log.clear();
        CabinetLayout layout;
        layout.folders[0].kind = CabinetFolderLayout::Kind::Lzx;
        layout.files = {{"discdeck.exe", RandomBytes(5000, 1)}, {"readme.txt", TextBytes(3000, 2)}};
        contents = layout.files;
        cabinet = WriteCabinet(layout);
    }
    void TearDown() override { EXPECT_EQ(files.OpenCount(), 0) << "file handles left open"; }

    void InstallSetupFile(const Bytes& cabinetBytes, const std::string& startName) {
        setupFile = MakeSetupFile(RandomBytes(4096, 3), cabinetBytes, startName);
        files.Put(platform.modulePath, setupFile);
    }

    SetupOutcome Run() { return SetupRunner(files, platform, view).RunSetup(); }

    std::size_t IndexOf(const std::string& entry) const {
        return static_cast<std::size_t>(std::find(files.log.begin(), files.log.end(), entry) - files.log.begin());
    }

    MemorySetupFiles files;
    FakePlatform platform;
    RecordingView view;
    std::vector<CabinetEntry> contents;
    Bytes cabinet;
    Bytes setupFile;
};

TEST_F(SetupRunnerTest, UnpacksDeletesTheCopyAndStartsTheNamedProgram) {
    InstallSetupFile(cabinet, "discdeck.exe");
    // Left over from an earlier run.
    files.MakeDirectory(kTemp);
    for (const char* stale : {"setup.ins", "setup.exe", "setup.ini", "other.txt"}) {
        files.Put(kTemp + stale, Bytes(5, 's'));
    }

    EXPECT_EQ(Run(), SetupOutcome::Close);

    char allocate[100];
    std::snprintf(allocate, sizeof allocate, "status Allocate buffer: %08zu B ( Package: %06zu / Header: 004096 )",
                  cabinet.size() + 34, setupFile.size());
    EXPECT_THAT(view.events, ElementsAre("status Read setup file ...", "status Read offset ...", "progress 1", allocate,
                                         "status Writing of package ...", "status Closing of package ...", "progress 2",
                                         "status Extracting files from package ...", "progress 3",
                                         "status Running of installation ...", "progress 4",
                                         "start " + kTemp + "discdeck.exe", "sleep 1000", "status OK ..."));
    for (const CabinetEntry& entry : contents) {
        EXPECT_EQ(files.files[kTemp + entry.name], entry.data) << entry.name;
    }
    EXPECT_FALSE(files.Has(kTemp + "install.cab"));
    for (const char* stale : {"setup.ins", "setup.exe", "setup.ini"}) {
        EXPECT_FALSE(files.Has(kTemp + stale)) << stale;
    }
    EXPECT_TRUE(files.Has(kTemp + "other.txt"));
    // The directory first, the three stale files in order, then the package copy.
    EXPECT_LT(IndexOf("mkdir C:\\WINDOWS\\TEMP"), IndexOf("delete " + kTemp + "setup.ins"));
    EXPECT_LT(IndexOf("delete " + kTemp + "setup.ins"), IndexOf("delete " + kTemp + "setup.exe"));
    EXPECT_LT(IndexOf("delete " + kTemp + "setup.exe"), IndexOf("delete " + kTemp + "setup.ini"));
    EXPECT_LT(IndexOf("delete " + kTemp + "setup.ini"), IndexOf("create " + kTemp + "install.cab"));
}

TEST_F(SetupRunnerTest, BrokenPackageKeepsTheWindowOpenWithTheErrorText) {
    InstallSetupFile(TextBytes(5000, 4), "discdeck.exe");

    EXPECT_EQ(Run(), SetupOutcome::KeepOpen);

    EXPECT_EQ(view.events.back(), "status Not a cabinet");
    EXPECT_THAT(view.events, ::testing::Not(::testing::Contains("progress 3")));
    EXPECT_FALSE(files.Has(kTemp + "install.cab"));
}

TEST_F(SetupRunnerTest, ExtractionFailingPartWayLeavesNothingOfTheRun) {
    InstallSetupFile(cabinet, "discdeck.exe");
    files.failCreate.insert(kTemp + "readme.txt");

    EXPECT_EQ(Run(), SetupOutcome::KeepOpen);

    EXPECT_EQ(view.events.back(), "status User aborted");
    EXPECT_TRUE(files.FilesIn(kTemp).empty());
}

TEST_F(SetupRunnerTest, FileErrorIsShownAndClosesTheWindow) {
    platform.modulePath = "D:\\Install\\missing.exe";

    EXPECT_EQ(Run(), SetupOutcome::Close);

    ASSERT_EQ(view.events.size(), 2u);
    EXPECT_THAT(view.events[0], HasSubstr("message Cannot open D:\\Install\\missing.exe: "));
    EXPECT_EQ(view.events[1], "status FALSE ...");
    // The copy, created before the setup file is opened, is removed again.
    EXPECT_FALSE(files.Has(kTemp + "install.cab"));
}

TEST_F(SetupRunnerTest, DamagedTrailerIsAFileError) {
    InstallSetupFile(cabinet, "discdeck.exe");
    files.files[platform.modulePath].resize(20);

    EXPECT_EQ(Run(), SetupOutcome::Close);

    EXPECT_THAT(view.events, ::testing::Contains(HasSubstr("message The setup file is damaged")));
    EXPECT_EQ(view.events.back(), "status FALSE ...");
}

TEST_F(SetupRunnerTest, InstallerThatCannotBeStartedIsReported) {
    InstallSetupFile(cabinet, "notthere.exe");
    platform.startSucceeds = false;

    EXPECT_EQ(Run(), SetupOutcome::KeepOpen);

    EXPECT_THAT(view.events, ::testing::Contains("start " + kTemp + "notthere.exe"));
    EXPECT_EQ(view.events.back(), "status Unable to start notthere.exe ...");
    EXPECT_THAT(view.events, ::testing::Not(::testing::Contains("status OK ...")));
}

TEST_F(SetupRunnerTest, WindowsDirectoryAtARootGetsOneBackslash) {
    platform.windows = "C:\\";
    InstallSetupFile(cabinet, "discdeck.exe");

    EXPECT_EQ(Run(), SetupOutcome::Close);

    EXPECT_THAT(view.events, ::testing::Contains("start C:\\TEMP\\discdeck.exe"));
    EXPECT_TRUE(files.Has("C:\\TEMP\\readme.txt"));
}

TEST_F(SetupRunnerTest, UnusableWindowsDirectoryStopsBeforeTouchingFiles) {
    for (const std::string& windows : {std::string(), "C:\\" + std::string(240, 'w')}) {
        platform.windows = windows;
        view.events.clear();
        files.log.clear();
        EXPECT_EQ(Run(), SetupOutcome::KeepOpen);
        EXPECT_THAT(view.events, ElementsAre("status Cannot find the Windows directory ..."));
        EXPECT_TRUE(files.log.empty());
    }
}

}  // namespace
}  // namespace discdeck
