#include "export/DiscExport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/DiscInfo.h"
#include "drive/SimulatedDrive.h"
#include "export/TextFormat.h"
#include "export/tests/PageText.h"
#include "ports/tests/FileTestSupport.h"
#include "ports/tests/RecordingSinks.h"

namespace discdeck {
namespace {

using testing_support::Bytes;
using testing_support::ExpectedPageHead;
using testing_support::ExpectedPageMiddle;
using testing_support::ExpectedPageTail;
using testing_support::FaultyFilePort;
using testing_support::FixedLines;
using testing_support::ReadText;
using testing_support::RecordingCursor;
using testing_support::RecordingMessages;
using testing_support::TempDir;
using testing_support::WriteBytes;

std::string Padded(const std::string& text, size_t width) {
    std::string result = text.substr(0, width);
    result.resize(width, ' ');
    return result;
}

class PlayListTest : public ::testing::Test {
  protected:
    // A disc read from the drive: lengths as the device reports them, the lead-out as a position.
    void SetDisc(const std::string& title,
                 const std::vector<std::pair<std::string, uint32_t>>& tracks,
                 uint32_t leadOutMinute,
                 uint32_t leadOutSecond) {
        disc = DiscInfo();
        disc.discTitle = title;
        disc.trackCount = static_cast<uint32_t>(tracks.size());
        for (size_t i = 0; i < tracks.size(); ++i) {
            disc.trackTitles[i] = tracks[i].first;
            disc.tracks[i].lengthMs = tracks[i].second;
        }
        disc.tracks[tracks.size()].startMinute = leadOutMinute;
        disc.tracks[tracks.size()].startSecond = leadOutSecond;
    }
    std::string Page() const { return ReadText(dir.File("PlayList.htm")); }

    TempDir dir;
    FaultyFilePort files;
    DiscExport exporter{files, dir.Path()};
    DiscInfo disc;
};

TEST_F(PlayListTest, PageOfThreeTracks) {
    SetDisc("Orvo Lindqvist / Northern Lights", {{"Polar Dawn", 245999}, {"Ice Harbour", 59999}, {"", 1000}}, 41, 9);
    ASSERT_TRUE(exporter.ExportPlayList(disc));
    std::string expected = ExpectedPageHead() + "<H4>Orvo Lindqvist / Northern Lights</H4><BR>" +
                           "Total tracks: 03&nbsp;&nbsp;" + "Total time:   41:09 (2469 sec)&nbsp;&nbsp;" +
                           ExpectedPageMiddle() + "<B>01 - (04:05) " + Padded("Polar Dawn", 90) + "</B><BR>" +
                           "<B>02 - (00:59) " + Padded("Ice Harbour", 90) + "</B><BR>" + "<B>03 - (00:01) " +
                           std::string(90, ' ') + "</B><BR>" + ExpectedPageTail();
    EXPECT_EQ(expected, Page());
    EXPECT_EQ(std::string::npos, Page().find('\n'));
}

// Ninety characters, whatever their size in bytes: padded and cut by characters, none split.
TEST_F(PlayListTest, LongTitlesAreCutToNinetyCharacters) {
    std::string greek;
    for (int i = 0; i < 90; ++i) {
        greek += "\xCF\x89";
    }
    SetDisc("", {{std::string(90, 'L') + "overflow", 1000}, {greek + "\xCF\x89", 1000}, {"\xE6\x97\xA5", 1000}}, 0, 3);
    ASSERT_TRUE(exporter.ExportPlayList(disc));
    std::string page = Page();
    EXPECT_NE(std::string::npos, page.find("<H4></H4><BR>"));
    EXPECT_NE(std::string::npos, page.find("<B>01 - (00:01) " + std::string(90, 'L') + "</B><BR>"));
    EXPECT_NE(std::string::npos, page.find("<B>02 - (00:01) " + greek + "</B><BR>"));
    EXPECT_NE(std::string::npos, page.find("<B>03 - (00:01) \xE6\x97\xA5" + std::string(89, ' ') + "</B><BR>"));
}

TEST_F(PlayListTest, TextsAreEscapedAfterCutting) {
    SetDisc("<script>alert(1)</script>", {{std::string(89, 'x') + "&", 1000}, {"\"q\" <b>", 1000}}, 0, 4);
    ASSERT_TRUE(exporter.ExportPlayList(disc));
    std::string page = Page();
    EXPECT_EQ(std::string::npos, page.find("<script>"));
    EXPECT_NE(std::string::npos, page.find("<H4>&lt;script&gt;alert(1)&lt;/script&gt;</H4>"));
    EXPECT_NE(std::string::npos, page.find(") " + std::string(89, 'x') + "&amp;</B>"));
    EXPECT_NE(std::string::npos, page.find(") &quot;q&quot; &lt;b&gt;" + std::string(83, ' ') + "</B>"));
}

TEST_F(PlayListTest, ExportOverwritesThePreviousPage) {
    WriteBytes(dir.File("PlayList.htm"), Bytes(5000, 'z'));
    SetDisc("First", {{"a", 1000}}, 0, 3);
    ASSERT_TRUE(exporter.ExportPlayList(disc));
    SetDisc("Second", {{"b", 1000}}, 0, 3);
    ASSERT_TRUE(exporter.ExportPlayList(disc));
    EXPECT_EQ(std::string::npos, Page().find("First"));
    EXPECT_EQ(0u, Page().find(ExpectedPageHead() + "<H4>Second</H4>"));
}

TEST_F(PlayListTest, FailedWriteIsReported) {
    SetDisc("Title", {{"a", 1000}}, 0, 3);
    files.writeBudget = 100;
    EXPECT_FALSE(exporter.ExportPlayList(disc));
    files.Disarm();
    files.failClose = true;
    EXPECT_FALSE(exporter.ExportPlayList(disc));
}

// The whole path from a drive: the device reconnects after the door moved and reads the table the
// page shows (the drive reports the last track one frame short of the lead-out).
TEST(PlayListDriveTest, PageShowsTheTableReadFromTheDrive) {
    TempDir dir;
    PosixFilePort files;
    ManualClock clock;
    SimulatedDrive drive(clock);
    ASSERT_TRUE(drive.InsertDisc(MakeAudioDisc({{0, 2, 0}, {3, 0, 0}}, {5, 30, 0})));
    CdAudioDevice device(drive);
    device.discTitle = "Drive Disc";
    device.trackTitles[0] = "One";
    device.trackTitles[1] = "Two";
    device.ToggleDoor();
    device.ToggleDoor();
    ASSERT_EQ(static_cast<uint32_t>(ActionDoorMoved), device.action);

    DiscExport exporter(files, dir.Path());
    ASSERT_TRUE(device.EnsureReady());
    ASSERT_TRUE(exporter.ExportPlayList(DiscInfoOf(device)));
    std::string expected = ExpectedPageHead() + "<H4>Drive Disc</H4><BR>" + "Total tracks: 02&nbsp;&nbsp;" +
                           "Total time:   05:30 (330 sec)&nbsp;&nbsp;" + ExpectedPageMiddle() + "<B>01 - (02:58) " +
                           Padded("One", 90) + "</B><BR>" + "<B>02 - (02:29) " + Padded("Two", 90) + "</B><BR>" +
                           ExpectedPageTail();
    EXPECT_EQ(expected, ReadText(dir.File("PlayList.htm")));
}

class TitleListTest : public ::testing::Test {
  protected:
    std::string Path() const { return dir.File("Title.txt"); }

    TempDir dir;
    FaultyFilePort files;
    DiscExport exporter{files, dir.Path()};
    RecordingCursor cursor;
    RecordingMessages messages;
};

TEST_F(TitleListTest, EachLineEndsInALineFeed) {
    exporter.SaveTitleList(FixedLines({"a", "b"}), cursor, messages);
    EXPECT_EQ("a\nb\n", ReadText(Path()));
    EXPECT_EQ((std::vector<int>{207, 209}), cursor.ids);
    EXPECT_TRUE(messages.texts.empty());

    exporter.SaveTitleList(FixedLines({"Track: 01", "", "Status: 0"}), cursor, messages);
    EXPECT_EQ("Track: 01\n\nStatus: 0\n", ReadText(Path()));
}

TEST_F(TitleListTest, EmptyListLeavesTheFileAlone) {
    WriteBytes(Path(), Bytes{'o', 'l', 'd'});
    exporter.SaveTitleList(FixedLines({}), cursor, messages);
    EXPECT_EQ("old", ReadText(Path()));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ((std::vector<int>{207, 209}), cursor.ids);
}

// A list that loses lines while it is saved, as a list box may.
class ShrinkingLines : public ListLines {
  public:
    int GetLineCount() const override { return count; }
    std::string GetLineText(int index) const override {
        if (index >= count) {
            ADD_FAILURE() << "line " << index << " read beyond the count";
            return std::string();
        }
        count = 1;
        return "line" + std::to_string(index);
    }
    mutable int count = 3;
};

TEST_F(TitleListTest, CountIsAskedBeforeEveryLine) {
    exporter.SaveTitleList(ShrinkingLines(), cursor, messages);
    EXPECT_EQ("line0\n", ReadText(Path()));
}

struct SaveFailure {
    const char* name;
    void (*arm)(FaultyFilePort&, const std::string& path);
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const SaveFailure& failure) {
    return out << failure.name;
}

class TitleListFailureTest : public TitleListTest, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(TitleListFailureTest, ShowsTheOperationInForce) {
    GetParam().arm(files, Path());
    exporter.SaveTitleList(FixedLines({"first line", "second line"}), cursor, messages);
    EXPECT_EQ(std::vector<std::string>{GetParam().message}, messages.texts);
    EXPECT_EQ(std::vector<std::string>{"Saving Error"}, messages.captions);
    EXPECT_EQ((std::vector<int>{207, 209}), cursor.ids);
}

INSTANTIATE_TEST_SUITE_P(
    Failures,
    TitleListFailureTest,
    ::testing::Values(SaveFailure{"Create",
                                  [](FaultyFilePort&, const std::string& path) { ::mkdir(path.c_str(), 0700); },
                                  "Error <Create> file: Title.txt!!!"},
                      SaveFailure{"Write", [](FaultyFilePort& f, const std::string&) { f.writeBudget = 14; },
                                  "Error <Save> file: Title.txt!!!"},
                      SaveFailure{"Close", [](FaultyFilePort& f, const std::string&) { f.failClose = true; },
                                  "Error <Close> file: Title.txt!!!"}),
    [](const ::testing::TestParamInfo<SaveFailure>& info) { return std::string(info.param.name); });

TEST(TextFormatTest, EscapesTheFourMarkupCharacters) {
    EXPECT_EQ("a &amp; b &lt;c&gt; &quot;d&quot; 'e'", EscapeHtml("a & b <c> \"d\" 'e'"));
    EXPECT_EQ("&amp;amp;", EscapeHtml("&amp;"));
    EXPECT_EQ(std::string(300, 'w') + "!", FormatText("%s!", std::string(300, 'w').c_str()));
}

}  // namespace
}  // namespace discdeck
