#include "drive/SimulatedDrive.h"
#include "rip/CueSheet.h"
#include "rip/DiscLayout.h"
#include "rip/SheetLoader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "cdaudio/CdAudioDevice.h"
#include "rip/tests/TempFolder.h"

namespace discdeck {
namespace {

using testing::TempFolder;

const std::string kDemoSheet = std::string(DISCDECK_SOURCE_DIR) + "/demo/demo.cue";

std::string Time(uint32_t frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / 4500, frames / 75 % 60, frames % 75);
    return text;
}

CueError Parse(const std::string& text, CueSheet& sheet) {
    return ParseCueSheet(text, sheet);
}

TEST(CueSheetTest, ReadsTheDemoSheet) {
    CueSheet sheet;
    SimulatedDisc disc;
    CueError error = LoadCueSheet(kDemoSheet, sheet, disc);
    ASSERT_TRUE(error.Ok()) << DescribeCueError(error);
    EXPECT_EQ(sheet.performer, "Orvo Lindqvist");
    EXPECT_EQ(sheet.title, "Northern Lights");
    ASSERT_EQ(sheet.tracks.size(), 10u);
    EXPECT_EQ(sheet.tracks[3].title, "Midnight Sun");
    EXPECT_EQ(sheet.tracks[3].indexFrames, MsfToFrames({12, 20, 60}));
    ASSERT_EQ(sheet.files.size(), 1u);
    EXPECT_EQ(sheet.files[0].name, "demo.bin");
    EXPECT_EQ(sheet.leadOutFrames, MsfToFrames({41, 7, 40}));
    ASSERT_EQ(disc.tracks.size(), 10u);
    EXPECT_EQ(disc.tracks[0].startFrame, 150u);
    EXPECT_EQ(disc.tracks[9].startFrame, MsfToFrames({37, 32, 0}));
    EXPECT_EQ(disc.leadOutFrame, MsfToFrames({41, 9, 40}));
}

struct DemoDisc {
    const char* sheet;
    uint32_t discId;
    uint32_t tracks;
    Msf leadOut;
};

class DemoDiscTest : public ::testing::TestWithParam<DemoDisc> {};

TEST_P(DemoDiscTest, DeviceReadsItsDiscId) {
    CueSheet sheet;
    SimulatedDisc disc;
    ASSERT_TRUE(LoadCueSheet(std::string(DISCDECK_SOURCE_DIR) + "/demo/" + GetParam().sheet, sheet, disc).Ok());
    ManualClock clock;
    SimulatedDrive drive(clock);
    ASSERT_TRUE(drive.InsertDisc(disc));
    CdAudioDevice device(drive);
    EXPECT_EQ(device.trackCount, GetParam().tracks);
    EXPECT_EQ(device.discId, GetParam().discId);
    const TrackEntry& leadOut = device.tracks[device.trackCount];
    EXPECT_EQ(leadOut.startMinute, GetParam().leadOut.minute);
    EXPECT_EQ(leadOut.startSecond, GetParam().leadOut.second);
    EXPECT_EQ(leadOut.startFrame, GetParam().leadOut.frame);
}

INSTANTIATE_TEST_SUITE_P(Sheets,
                         DemoDiscTest,
                         ::testing::Values(DemoDisc{"demo.cue", 0x8409a30a, 10, {41, 9, 40}},
                                           DemoDisc{"second.cue", 0x2c044c04, 4, {18, 22, 30}}),
                         [](const ::testing::TestParamInfo<DemoDisc>& info) {
                             return info.index == 0 ? "Demo" : "Second";
                         });

TEST(CueSheetTest, LeadOutFromTheDataFileSize) {
    TempFolder folder;
    // 3 minutes and 10 frames of audio, plus a partial frame that does not count.
    const uint64_t frames = 3 * 4500 + 10;
    folder.WriteSized("sub/disc.bin", frames * kBytesPerFrame + 1000);
    folder.Write("sub/disc.cue",
                 "FILE \"disc.bin\" BINARY\n"
                 "  TRACK 01 AUDIO\n"
                 "    INDEX 01 00:00:00\n"
                 "  TRACK 02 AUDIO\n"
                 "    INDEX 00 01:00:00\n"
                 "    INDEX 01 01:02:00\n");
    CueSheet sheet;
    SimulatedDisc disc;
    CueError error = LoadCueSheet(folder.Path("sub/disc.cue"), sheet, disc);
    ASSERT_TRUE(error.Ok()) << DescribeCueError(error);
    ASSERT_EQ(disc.tracks.size(), 2u);
    EXPECT_EQ(disc.tracks[1].startFrame, 150u + MsfToFrames({1, 2, 0}));
    EXPECT_EQ(disc.leadOutFrame, 150u + frames);

    // The device sees the same lead-out through the drive.
    ManualClock clock;
    SimulatedDrive drive(clock);
    ASSERT_TRUE(drive.InsertDisc(disc));
    CdAudioDevice device(drive);
    EXPECT_EQ(device.tracks[2].startMinute, 3u);
    EXPECT_EQ(device.tracks[2].startSecond, 2u);
    EXPECT_EQ(device.tracks[2].startFrame, 10u);
}

TEST(CueSheetTest, DataFilesAreFoundBesideTheSheetOrByAbsolutePath) {
    TempFolder folder;
    folder.WriteSized("a.bin", 4500 * kBytesPerFrame);
    folder.WriteSized("b.img", 9000 * kBytesPerFrame);
    folder.Write("sheets/two.cue",
                 "FILE \"../a.bin\" BINARY\n"
                 "  TRACK 01 AUDIO\n"
                 "    INDEX 01 00:00:00\n"
                 "FILE \"" +
                     folder.Path("b.img") +
                     "\" BINARY\n"
                     "  TRACK 02 MODE1/2352\n"
                     "    INDEX 01 00:00:00\n"
                     "  TRACK 03 AUDIO\n"
                     "    INDEX 01 01:00:00\n");
    CueSheet sheet;
    SimulatedDisc disc;
    CueError error = LoadCueSheet(folder.Path("sheets/two.cue"), sheet, disc);
    ASSERT_TRUE(error.Ok()) << DescribeCueError(error);
    ASSERT_EQ(disc.tracks.size(), 3u);
    EXPECT_EQ(disc.tracks[1].startFrame, 150u + 4500);
    EXPECT_FALSE(disc.tracks[1].audio);
    EXPECT_EQ(disc.tracks[2].startFrame, 150u + 9000);
    EXPECT_TRUE(disc.tracks[2].audio);
    EXPECT_EQ(disc.leadOutFrame, 150u + 13500);
}

TEST(CueSheetTest, LoadFailures) {
    TempFolder folder;
    CueSheet sheet;
    SimulatedDisc disc;
    EXPECT_EQ(LoadCueSheet(folder.Path("none.cue"), sheet, disc).status, CueStatus::CannotRead);

    folder.Write("nodata.cue", "REM a sheet\nFILE \"missing.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    CueError error = LoadCueSheet(folder.Path("nodata.cue"), sheet, disc);
    EXPECT_EQ(error.status, CueStatus::DataFileNotFound);
    EXPECT_EQ(error.line, 2u);
    EXPECT_TRUE(disc.tracks.empty());

    // A folder by the data file's name is not a data file.
    std::filesystem::create_directories(folder.Path("dir.bin"));
    folder.Write("dir.cue", "FILE \"dir.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    EXPECT_EQ(LoadCueSheet(folder.Path("dir.cue"), sheet, disc).status, CueStatus::DataFileNotFound);

    std::ifstream demo(kDemoSheet, std::ios::binary);
    std::string demoText((std::istreambuf_iterator<char>(demo)), std::istreambuf_iterator<char>());
    folder.Write("fits.cue", std::string(kMaxCueSheetBytes - demoText.size(), '\n') + demoText);
    EXPECT_TRUE(LoadCueSheet(folder.Path("fits.cue"), sheet, disc).Ok());
    folder.Write("big.cue", std::string(kMaxCueSheetBytes + 1 - demoText.size(), '\n') + demoText);
    EXPECT_EQ(LoadCueSheet(folder.Path("big.cue"), sheet, disc).status, CueStatus::TooLarge);
}

TEST(CueSheetTest, ToleratesTheUsualVariations) {
    const std::string text =
        "\xEF\xBB\xBF"
        "REM GENRE Ambient\r\n"
        "catalog 0000000000000\r\n"
        "performer Unquoted Artist Name\r\n"
        "\r\n"
        "title \"Quoted  Title\"\r\n"
        "file \"a b.bin\" binary\r\n"
        "\ttrack 1 audio\r\n"
        "\t\tflags DCP PRE\r\n"
        "\t\tisrc ABCDE1234567\r\n"
        "\t\tindex 00 00:00:00\r\n"
        "\t\tindex 1 0:2:0\r\n"
        "\t\tindex 02 00:30:00\r\n"
        "   TRACK 02 MODE2/2352\r\n"
        "     TITLE Data\r\n"
        "     INDEX 01 01:00:00\r\n"
        "REM LEADOUT 02:00:00";
    CueSheet sheet;
    CueError error = Parse(text, sheet);
    ASSERT_TRUE(error.Ok()) << DescribeCueError(error);
    EXPECT_EQ(sheet.performer, "Unquoted Artist Name");
    EXPECT_EQ(sheet.title, "Quoted  Title");
    EXPECT_EQ(sheet.files[0].name, "a b.bin");
    ASSERT_EQ(sheet.tracks.size(), 2u);
    EXPECT_EQ(sheet.tracks[0].indexFrames, 150u);
    EXPECT_FALSE(sheet.tracks[1].audio);
    EXPECT_EQ(sheet.tracks[1].title, "Data");
    EXPECT_EQ(sheet.leadOutFrames, 9000u);
}

TEST(CueSheetTest, GapsMoveTheFollowingTracks) {
    CueSheet sheet;
    ASSERT_TRUE(Parse("REM LEADOUT 05:00:00\n"
                      "FILE \"x.bin\" BINARY\n"
                      "TRACK 01 AUDIO\n"
                      "INDEX 01 00:00:00\n"
                      "POSTGAP 00:01:00\n"
                      "TRACK 02 AUDIO\n"
                      "PREGAP 00:02:00\n"
                      "INDEX 01 02:00:00\n",
                      sheet)
                    .Ok());
    SimulatedDisc disc;
    ASSERT_TRUE(LayOutDisc(
                    sheet, [](const CueFile&) { return std::nullopt; }, disc)
                    .Ok());
    EXPECT_EQ(disc.tracks[0].startFrame, 150u);
    EXPECT_EQ(disc.tracks[1].startFrame, 150u + 9000 + 75 + 150);
    EXPECT_EQ(disc.leadOutFrame, 150u + 22500 + 75 + 150);
}

struct Malformed {
    const char* name;
    std::string text;
    CueStatus status;
    uint32_t line;
};

void PrintTo(const Malformed& m, std::ostream* os) {
    *os << m.name;
}

const char kHead[] = "FILE \"x.bin\" BINARY\n  TRACK 01 AUDIO\n";

std::vector<Malformed> MalformedSheets() {
    std::string hundred = "REM LEADOUT 99:00:00\nFILE \"x.bin\" BINARY\n";
    for (int i = 1; i <= 100; ++i) {
        hundred += "TRACK " + std::to_string(i) + " AUDIO\nINDEX 01 " + Time(i * 100) + "\n";
    }
    return {
        {"BadSeconds", std::string(kHead) + "    INDEX 01 00:61:00\n", CueStatus::BadTime, 3},
        {"BadFrames", std::string(kHead) + "    INDEX 01 00:00:75\n", CueStatus::BadTime, 3},
        {"TwoFields", std::string(kHead) + "    INDEX 01 00:00\n", CueStatus::BadTime, 3},
        {"SignedTime", std::string(kHead) + "    INDEX 01 -1:00:00\n", CueStatus::BadTime, 3},
        {"LongMinutes", std::string(kHead) + "    INDEX 01 1000:00:00\n", CueStatus::BadTime, 3},
        {"BadLeadOut", "REM LEADOUT soon\n", CueStatus::BadTime, 1},
        {"UnclosedQuote", "TITLE \"Open\nFILE \"x.bin BINARY\n", CueStatus::UnclosedQuote, 2},
        {"TrackBeforeFile", "TRACK 01 AUDIO\n", CueStatus::OutOfPlace, 1},
        {"IndexBeforeTrack", "FILE \"x.bin\" BINARY\nINDEX 01 00:00:00\n", CueStatus::OutOfPlace, 2},
        {"GapBeforeTrack", "FILE \"x.bin\" BINARY\nPREGAP 00:02:00\n", CueStatus::OutOfPlace, 2},
        {"SecondIndex01", std::string(kHead) + "INDEX 01 00:00:00\nINDEX 01 00:01:00\n", CueStatus::OutOfPlace, 4},
        {"SecondLeadOut", "REM LEADOUT 10:00:00\nREM LEADOUT 11:00:00\n", CueStatus::OutOfPlace, 2},
        {"FirstTrackTwo", "FILE \"x.bin\" BINARY\nTRACK 02 AUDIO\n", CueStatus::TrackOutOfSequence, 2},
        {"TrackSkipped", std::string(kHead) + "INDEX 01 00:00:00\nTRACK 03 AUDIO\n", CueStatus::TrackOutOfSequence, 4},
        {"TrackZero", "FILE \"x.bin\" BINARY\nTRACK 00 AUDIO\n", CueStatus::BadNumber, 2},
        {"TrackNotANumber", "FILE \"x.bin\" BINARY\nTRACK 1a AUDIO\n", CueStatus::BadNumber, 2},
        {"TrackThreeDigits", "FILE \"x.bin\" BINARY\nTRACK 001 AUDIO\n", CueStatus::BadNumber, 2},
        {"IndexNumber", std::string(kHead) + "INDEX 100 00:00:00\n", CueStatus::BadNumber, 3},
        {"TrackType", "FILE \"x.bin\" BINARY\nTRACK 01 CDG\n", CueStatus::BadTrackType, 2},
        {"FileType", "FILE \"x.mp3\" MP3\n", CueStatus::BadFileType, 1},
        {"EmptyFileName", "FILE \"\" BINARY\n", CueStatus::MissingArgument, 1},
        {"TrackWithoutIndex", std::string(kHead) + "TRACK 02 AUDIO\nINDEX 01 00:00:00\n", CueStatus::MissingIndex, 2},
        {"LastTrackWithoutIndex", std::string(kHead) + "INDEX 00 00:00:00\n", CueStatus::MissingIndex, 2},
        // Only a trailing placeholder may be of a type we do not know.
        {"UnknownTypeBeforeATrack",
         std::string(kHead) + "INDEX 01 00:00:00\nTRACK 02 MODEx/2xxx\nINDEX 00 00:09:00\nTRACK 03 AUDIO\n",
         CueStatus::BadTrackType, 4},
        {"UnknownTypeWithIndex01", std::string(kHead) + "INDEX 01 00:00:00\nTRACK 02 CDG\nINDEX 01 00:09:00\n",
         CueStatus::BadTrackType, 4},
        {"IndexGoesBack", std::string(kHead) + "INDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:10:00\n",
         CueStatus::IndexOutOfOrder, 5},
        {"NoTracks", "REM nothing\nTITLE \"Empty\"\n", CueStatus::NoTracks, 0},
        {"Empty", "", CueStatus::NoTracks, 0},
        {"ExtraArgument", "FILE \"x.bin\" BINARY\nTRACK 01 AUDIO now\n", CueStatus::ExtraArgument, 2},
        {"MissingTime", std::string(kHead) + "INDEX 01\n", CueStatus::MissingArgument, 3},
        {"MissingGap", std::string(kHead) + "PREGAP\n", CueStatus::MissingArgument, 3},
        {"HundredTracks", hundred, CueStatus::TooManyTracks, 2 + 99 * 2 + 1},
    };
}

class MalformedSheetTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedSheetTest, ReportsStatusAndLine) {
    CueSheet sheet;
    CueError error = Parse(GetParam().text, sheet);
    EXPECT_EQ(error.status, GetParam().status) << DescribeCueError(error);
    EXPECT_EQ(error.line, GetParam().line) << DescribeCueError(error);
    EXPECT_FALSE(error.message.empty());
}

INSTANTIATE_TEST_SUITE_P(Sheets,
                         MalformedSheetTest,
                         ::testing::ValuesIn(MalformedSheets()),
                         [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.name; });

TEST(CueSheetTest, NinetyNineTracksAreAccepted) {
    std::string text = "REM LEADOUT 99:00:00\nFILE \"x.bin\" BINARY\n";
    for (int i = 1; i <= 99; ++i) {
        text += "TRACK " + std::to_string(i) + " AUDIO\nINDEX 01 " + Time(i * 100) + "\n";
    }
    CueSheet sheet;
    ASSERT_TRUE(Parse(text, sheet).Ok());
    SimulatedDisc disc;
    ASSERT_TRUE(LayOutDisc(
                    sheet, [](const CueFile&) { return std::nullopt; }, disc)
                    .Ok());
    EXPECT_EQ(disc.tracks.size(), 99u);
}

TEST(CueSheetTest, LayoutFailuresNameTheirLine) {
    struct Case {
        std::string text;
        CueStatus status;
        uint32_t line;
    };
    const Case cases[] = {
        // The stated length ends before the second track starts.
        {"FILE \"x.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 03:00:00\n"
         "REM LEADOUT 03:00:00\n",
         CueStatus::BeyondDataFile, 4},
        // +150 frames takes the lead-out past 99:59:74.
        {"REM LEADOUT 99:58:00\nFILE \"x.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", CueStatus::DiscTooLong, 1},
        {"FILE \"x.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", CueStatus::DataFileNotFound, 1},
        // A second file's tracks start where the first file ends; a huge first file is too long a disc.
        {"FILE \"huge.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE \"y.bin\" BINARY\nTRACK 02 AUDIO\n"
         "INDEX 01 00:00:00\nREM LEADOUT 01:00:00\n",
         CueStatus::DiscTooLong, 7},
    };
    for (const Case& c : cases) {
        CueSheet sheet;
        ASSERT_TRUE(Parse(c.text, sheet).Ok()) << c.text;
        SimulatedDisc disc;
        CueError error = LayOutDisc(
            sheet,
            [](const CueFile& file) -> std::optional<uint64_t> {
                if (file.name == "huge.bin") {
                    return UINT64_MAX;
                }
                return std::nullopt;
            },
            disc);
        EXPECT_EQ(error.status, c.status) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_TRUE(disc.tracks.empty());
    }
}

TEST(CueSheetTest, DescribeNamesTheLine) {
    CueSheet sheet;
    CueError error = Parse(std::string(kHead) + "    INDEX 01 00:61:00\n", sheet);
    EXPECT_EQ(DescribeCueError(error), "line 3: time \"00:61:00\" is not mm:ss:ff");
    EXPECT_EQ(DescribeCueError(Parse("", sheet)), "the sheet has no TRACK");
}

// A sheet written from a disc (INDEX = start - 150, REM LEADOUT = lead-out - 150) lays out as that disc.
TEST(CueSheetTest, WrittenDiscsLayOutAsThemselves) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        SimulatedDisc disc;
        uint32_t frame = 150;
        uint32_t count = 1 + random() % 99;
        for (uint32_t i = 0; i < count; ++i) {
            disc.tracks.push_back({frame, random() % 5 != 0});
            frame += 1 + random() % 20000;
        }
        disc.leadOutFrame = std::min<uint32_t>(frame, 100 * 4500 - 1);
        if (disc.tracks.back().startFrame >= disc.leadOutFrame) {
            continue;
        }
        std::string text = "REM LEADOUT " + Time(disc.leadOutFrame - 150) + "\nFILE \"d.bin\" BINARY\n";
        for (uint32_t i = 0; i < count; ++i) {
            text += "TRACK " + std::to_string(i + 1) + (disc.tracks[i].audio ? " AUDIO" : " MODE1/2352") +
                    "\nINDEX 01 " + Time(disc.tracks[i].startFrame - 150) + "\n";
        }
        CueSheet sheet;
        SimulatedDisc laidOut;
        ASSERT_TRUE(Parse(text, sheet).Ok()) << text;
        ASSERT_TRUE(LayOutDisc(
                        sheet, [](const CueFile&) { return std::nullopt; }, laidOut)
                        .Ok())
            << text;
        ASSERT_EQ(laidOut.tracks.size(), disc.tracks.size());
        for (size_t i = 0; i < disc.tracks.size(); ++i) {
            EXPECT_EQ(laidOut.tracks[i].startFrame, disc.tracks[i].startFrame);
            EXPECT_EQ(laidOut.tracks[i].audio, disc.tracks[i].audio);
        }
        EXPECT_EQ(laidOut.leadOutFrame, disc.leadOutFrame);
        EXPECT_TRUE(IsValidDisc(laidOut));
    }
}

}  // namespace
}  // namespace discdeck
