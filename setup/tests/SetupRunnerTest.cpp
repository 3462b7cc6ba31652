#include "setup/SetupRunner.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "setup/SetupArguments.h"
#include "setup/tests/support/CabinetWriter.h"
#include "setup/tests/support/MemorySetupFiles.h"
#include "setup/tests/support/RecordingView.h"
#include "setup/tests/support/SetupTestData.h"

namespace discdeck {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kTemp = "C:\\Users\\ann\\AppData\\Local\\Temp\\";
// The run's folder for the fake's first unique number.
const std::string kFolder = kTemp + "discdeck-setup-0000abc0\\";

class FakePlatform : public SetupPlatform {
  public:
    std::string TemporaryDirectory() override { return temporary; }
    std::string ModulePath() override { return modulePath; }
    std::uint32_t UniqueNumber() override { return nextNumber++; }
    bool RunProgram(const std::string& path, const std::string& arguments, std::uint32_t& exitCode) override {
        view->events.push_back("run " + path + " " + arguments);
        folderWhileRunning = files->FilesIn(path.substr(0, path.rfind('\\') + 1));
        exitCode = programExitCode;
        return startSucceeds;
    }
    std::string LastErrorText() override { return "The system cannot find the file specified."; }

    std::string temporary = kTemp;
    std::string modulePath = "D:\\Install\\SETUP.EXE";
    std::uint32_t nextNumber = 0xabc0;
    bool startSucceeds = true;
    std::uint32_t programExitCode = 0;
    std::vector<std::string> folderWhileRunning;
    RecordingView* view = nullptr;
    MemorySetupFiles* files = nullptr;
};

class SetupRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform.view = &view;
        platform.files = &files;
        files.MakeDirectory("D:\\Install");
        files.MakeDirectory(kTemp);
        files.log.clear();
        CabinetLayout layout;
        layout.folders[0].kind = CabinetFolderLayout::Kind::Lzx;
        layout.files = {{"discdeck.exe", RandomBytes(5000, 1)}, {"readme.txt", TextBytes(3000, 2)}};
        layout.files[1].attributes = 0x21;  // read-only: removed all the same
        contents = layout.files;
        cabinet = WriteCabinet(layout);
    }
    void TearDown() override { EXPECT_EQ(files.OpenCount(), 0) << "file handles left open"; }

    void InstallSetupFile(const Bytes& cabinetBytes, const std::string& startName) {
        setupFile = MakeSetupFile(RandomBytes(4096, 3), cabinetBytes, startName);
        files.Put(platform.modulePath, setupFile);
    }

    SetupResult Run(const std::string& arguments = "") {
        return SetupRunner(files, platform, view, arguments).RunSetup();
    }

    // Nothing of the run is left: no file or folder under the temporary folder but the given ones.
    void ExpectNothingLeftBut(const std::vector<std::string>& kept, std::set<std::string> keptFolders = {}) {
        EXPECT_EQ(files.FilesIn(kTemp), kept);
        keptFolders.insert({"D:\\Install", kTemp.substr(0, kTemp.size() - 1)});
        EXPECT_EQ(files.directories, keptFolders);
    }

    MemorySetupFiles files;
    FakePlatform platform;
    RecordingView view;
    std::vector<CabinetEntry> contents;
    Bytes cabinet;
    Bytes setupFile;
};

TEST_F(SetupRunnerTest, UnpacksIntoItsOwnFolderRunsTheProgramAndRemovesEverything) {
    InstallSetupFile(cabinet, "discdeck.exe");
    // Another program's files in the shared folder are none of this run's business, nor are names taken
    // before it (a file of the folder's name, a folder of it): the run makes the next free one.
    for (const char* other : {"setup.ins", "setup.exe", "setup.ini"}) {
        files.Put(kTemp + other, Bytes(5, 's'));
    }
    const std::string taken = kTemp + "discdeck-setup-0000abc1";
    files.Put(kTemp + "discdeck-setup-0000abc0", Bytes(1, 'f'));
    files.MakeDirectory(taken);
    files.Put(taken + "\\discdeck.exe", Bytes(2, 'p'));
    const std::string folder = kTemp + "discdeck-setup-0000abc2\\";
    platform.programExitCode = 3;

    const SetupResult result = Run("/S /D=C:\\Apps\\discdeck");

    EXPECT_EQ(result.outcome, SetupOutcome::Close);
    EXPECT_EQ(result.exitCode, 3u);
    char allocate[100];
    std::snprintf(allocate, sizeof allocate, "note Allocate buffer: %08zu B ( Package: %06zu / Header: 004096 )",
                  cabinet.size() + 34, setupFile.size());
    EXPECT_THAT(view.events,
                ElementsAre("status Read setup file ...", "status Read offset ...", "progress 1", allocate,
                            "status Writing of package ...", "status Closing of package ...", "progress 2",
                            "status Extracting files from package ...", "progress 3",
                            "status Running of installation ...", "progress 4",
                            "run " + folder + "discdeck.exe /S /D=C:\\Apps\\discdeck", "note OK ... exit code 3"));
    EXPECT_THAT(platform.folderWhileRunning, ElementsAre(folder + "discdeck.exe", folder + "readme.txt"));
    ExpectNothingLeftBut(
        {kTemp + "discdeck-setup-0000abc0", kTemp + "setup.exe", kTemp + "setup.ini", kTemp + "setup.ins"}, {taken});
    EXPECT_EQ(files.files[kTemp + "discdeck-setup-0000abc0"], Bytes(1, 'f'));
    EXPECT_EQ(files.files[taken + "\\discdeck.exe"], Bytes(2, 'p'));
}

struct FailureCase {
    const char* name;
    SetupOutcome outcome;
    const char* lastEvent;  // contained in the last event
};

class SetupFailureTest : public SetupRunnerTest, public ::testing::WithParamInterface<FailureCase> {};

// Each failure ends in 1603, tells why, and leaves nothing of the run behind.
TEST_P(SetupFailureTest, ReportsTheReasonAndLeavesNothing) {
    const std::string kind = GetParam().name;
    InstallSetupFile(cabinet, "discdeck.exe");
    if (kind == "NotACabinet") {
        InstallSetupFile(TextBytes(5000, 4), "discdeck.exe");
    } else if (kind == "TargetNotCreated") {
        files.failCreate.insert(kFolder + "readme.txt");
    } else if (kind == "SetupFileMissing") {
        platform.modulePath = "D:\\Install\\missing.exe";
    } else if (kind == "DamagedTrailer") {
        files.files[platform.modulePath].resize(20);
    } else if (kind == "ProgramNotStarted") {
        platform.startSucceeds = false;
    }

    const SetupResult result = Run();

    EXPECT_EQ(result.outcome, GetParam().outcome);
    EXPECT_EQ(result.exitCode, SetupRunner::kExitFailed);
    ASSERT_FALSE(view.events.empty());
    const std::string& shown =
        result.outcome == SetupOutcome::Close ? view.events[view.events.size() - 2] : view.events.back();
    EXPECT_THAT(shown, HasSubstr(GetParam().lastEvent));
    if (result.outcome == SetupOutcome::Close) {
        EXPECT_EQ(view.events.back(), "note FALSE ...");
    }
    EXPECT_THAT(view.events, ::testing::Not(::testing::Contains(HasSubstr("OK ..."))));
    ExpectNothingLeftBut({});
}

INSTANTIATE_TEST_SUITE_P(
    Failures,
    SetupFailureTest,
    ::testing::Values(FailureCase{"NotACabinet", SetupOutcome::KeepOpen, "status Not a cabinet"},
                      FailureCase{"TargetNotCreated", SetupOutcome::KeepOpen, "status Cannot create readme.txt: "},
                      FailureCase{"SetupFileMissing", SetupOutcome::Close,
                                  "message Cannot open D:\\Install\\missing.exe: "},
                      FailureCase{"DamagedTrailer", SetupOutcome::Close, "message The setup file is damaged"},
                      FailureCase{"ProgramNotStarted", SetupOutcome::KeepOpen,
                                  "status Unable to start discdeck.exe: The system cannot find the file specified."}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

// No temporary folder, one too long for a path, or every name of the run's folder taken: nothing is
// written anywhere.
TEST_F(SetupRunnerTest, UnusableTemporaryFolderStopsBeforeTouchingFiles) {
    for (std::uint32_t n = 0; n < SetupRunner::kFolderAttempts; ++n) {
        char name[40];
        std::snprintf(name, sizeof name, "discdeck-setup-%08x", n);
        files.MakeDirectory(kTemp + name);
    }
    const std::pair<std::string, std::string> cases[] = {
        {kTemp, "status Cannot create a folder in " + kTemp + ": Cannot create a file when that file already exists."},
        {std::string(), "status "},
        {"C:\\" + std::string(240, 't') + "\\", "status "}};
    for (const auto& [temporary, shown] : cases) {
        platform.temporary = temporary;
        platform.nextNumber = 0;
        view.events.clear();
        files.log.clear();
        const SetupResult result = Run();
        EXPECT_EQ(result.outcome, SetupOutcome::KeepOpen);
        EXPECT_EQ(result.exitCode, SetupRunner::kExitFailed);
        ASSERT_EQ(view.events.size(), 1u);
        EXPECT_THAT(view.events[0], ::testing::StartsWith(shown));
        EXPECT_TRUE(files.log.empty());
    }
}

TEST(SetupArgumentsTest, HandsOnWhatFollowsTheProgramName) {
    const struct {
        const char* commandLine;
        const char* arguments;
        bool silent;
    } cases[] = {{"\"C:\\My Files\\setup.exe\" /S /D=C:\\Apps\\discdeck", "/S /D=C:\\Apps\\discdeck", true},
                 {"\"C:\\My Files\\setup.exe\"/S", "/S", true},
                 {"C:\\setup.exe \t /s", "/s", false},
                 {"setup.exe /Silent /D=C:\\x", "/Silent /D=C:\\x", false},
                 {"setup.exe \"/D=C:\\a /S b\"", "\"/D=C:\\a /S b\"", false},
                 {"\"setup.exe", "", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ArgumentsAfterProgram(c.commandLine), c.arguments) << c.commandLine;
        EXPECT_EQ(HasSwitch(c.arguments, "/S"), c.silent) << c.commandLine;
    }
}

}  // namespace
}  // namespace discdeck
