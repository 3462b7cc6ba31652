#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "db/DiscDatabase.h"
#include "db/tests/TestSupport.h"
#include "export/tests/PageText.h"

namespace discdeck {
namespace {

using testing_support::ExpectedPageHead;
using testing_support::ExpectedPageMiddle;
using testing_support::ExpectedPageTail;
using testing_support::FileExists;
using testing_support::LoadDisc;
using testing_support::ReadText;
using testing_support::RecordingMessages;
using testing_support::StoredDisc;
using testing_support::TempDir;

// A disc whose tracks have the given lengths, the first starting at 2 s.
StoredDisc Disc(uint32_t id,
                const std::string& title,
                const std::string& category,
                const std::vector<std::pair<std::string, uint32_t>>& tracks) {
    StoredDisc disc;
    disc.discId = id;
    disc.title = title;
    disc.category = category;
    uint32_t start = 2000;
    for (const auto& track : tracks) {
        disc.startsMs.push_back(start);
        disc.trackTitles.push_back(track.first);
        start += track.second;
    }
    disc.startsMs.push_back(start);
    return disc;
}

class DatabasePreviewTest : public ::testing::Test {
  protected:
    void Store(const StoredDisc& disc) {
        LoadDisc(device, disc);
        database.StoreDisc(device, messages);
        ASSERT_TRUE(messages.texts.empty());
    }
    std::string Report() const { return ReadText(dir.File("Titles.htm")); }

    TempDir dir;
    PosixFilePort files;
    DiscDatabase database{files, dir.Path()};
    InertDrive control;
    CdAudioDevice device{control};
    RecordingMessages messages;
};

TEST_F(DatabasePreviewTest, TreeListsDiscsByTitleBytesWithTheirTracks) {
    Store(Disc(0x30, "b", "rock", {{"b1", 61500}}));
    Store(Disc(0x10, "A", "jazz", {{"A1", 59999}, {"A2", 3723000}}));
    Store(Disc(0x20, "a", "misc", {}));  // never stored: no tracks
    Store(Disc(0x20, "a", "misc", {{"a1", 1000}}));

    DatabasePreview preview = database.ReadPreview();
    ASSERT_TRUE(preview.loaded);
    ASSERT_EQ(3u, preview.discs.size());
    EXPECT_EQ("A - jazz", preview.discs[0].text);
    EXPECT_EQ((std::vector<std::string>{"01 - (00:59): A1", "02 - (62:03): A2"}), preview.discs[0].trackTexts);
    EXPECT_EQ("a - misc", preview.discs[1].text);
    EXPECT_EQ(std::vector<std::string>{"01 - (00:01): a1"}, preview.discs[1].trackTexts);
    EXPECT_EQ("b - rock", preview.discs[2].text);
    EXPECT_EQ(std::vector<std::string>{"01 - (01:01): b1"}, preview.discs[2].trackTexts);
    EXPECT_EQ("Titles:    3         Tracks:    4", preview.countsLine);

    // The preview only reads: a second reading gives the same, without duplicates.
    DatabasePreview again = database.ReadPreview();
    EXPECT_EQ(3u, again.discs.size());
    EXPECT_EQ(preview.countsLine, again.countsLine);
}

TEST_F(DatabasePreviewTest, CountsLineRightAlignsBothCounts) {
    std::vector<std::pair<std::string, uint32_t>> ten(10, {"t", 1000});
    std::vector<std::pair<std::string, uint32_t>> twelve(12, {"t", 1000});
    Store(Disc(1, "Ten", "misc", ten));
    Store(Disc(2, "Twelve", "misc", twelve));
    EXPECT_EQ("Titles:    2         Tracks:   22", database.ReadPreview().countsLine);
}

TEST_F(DatabasePreviewTest, MissingFilesLoadNothing) {
    EXPECT_FALSE(database.ReadPreview().loaded);
    Store(Disc(1, "One", "misc", {{"t", 1000}}));
    ASSERT_EQ(0, std::remove(dir.File("tracks.sdb").c_str()));
    DatabasePreview preview = database.ReadPreview();
    EXPECT_FALSE(preview.loaded);
    EXPECT_TRUE(preview.discs.empty());
    EXPECT_FALSE(FileExists(dir.File("tracks.sdb")));
}

TEST_F(DatabasePreviewTest, DiscWithoutTrackRecordsKeepsItsItem) {
    using testing_support::Bytes;
    using testing_support::RecordFileImage;
    using testing_support::WriteBytes;
    Bytes title(104, 0);
    title[0] = 5;
    title[4] = 'X';
    title[100] = 3;  // three tracks promised
    WriteBytes(dir.File("titles.sdb"), RecordFileImage(1, 104, title));
    WriteBytes(dir.File("tracks.sdb"), RecordFileImage(0, 84, {}));
    DatabasePreview preview = database.ReadPreview();
    ASSERT_EQ(1u, preview.discs.size());
    EXPECT_EQ("X - ", preview.discs[0].text);
    EXPECT_TRUE(preview.discs[0].trackTexts.empty());
}

std::string DiscLine(const std::string& paddedTitle, const char* rest) {
    return "<H4>" + paddedTitle + "&nbsp;&nbsp;" + rest + "</H4>";
}

TEST_F(DatabasePreviewTest, ReportWithTracks) {
    Store(Disc(0x30, "Second", "rock", {{"Only", 61500}}));
    Store(Disc(0x10, "First", "jazz", {{"Opening", 59999}, {"Long one", 3721000 - 59999}}));
    ASSERT_TRUE(database.WriteTitlesReport(true));
    std::string expected =
        ExpectedPageHead() +
        DiscLine(std::string(55, ' ') + "First", "Total tracks: 02&nbsp;&nbsp;Total time:   62:03 (003723 sec)") +
        "01 - (00:59)&nbsp;&nbsp;" + std::string(53, ' ') + "Opening&nbsp;&nbsp;<BR>" + "02 - (61:01)&nbsp;&nbsp;" +
        std::string(52, ' ') + "Long one&nbsp;&nbsp;<BR>" +
        DiscLine(std::string(54, ' ') + "Second", "Total tracks: 01&nbsp;&nbsp;Total time:   01:03 (000063 sec)") +
        "01 - (01:01)&nbsp;&nbsp;" + std::string(56, ' ') + "Only&nbsp;&nbsp;<BR>" + ExpectedPageMiddle() +
        ExpectedPageTail();
    EXPECT_EQ(expected, Report());
}

TEST_F(DatabasePreviewTest, ReportWithoutTracksNeedsNoTracksFile) {
    Store(Disc(0x10, "Exactly sixty characters long title, cut after the sixtieth! and more", "jazz",
               {{"Opening", 1000}}));
    ASSERT_EQ(0, std::remove(dir.File("tracks.sdb").c_str()));
    ASSERT_TRUE(database.WriteTitlesReport(false));
    std::string expected = ExpectedPageHead() +
                           DiscLine("Exactly sixty characters long title, cut after the sixtieth!",
                                    "Total tracks: 01&nbsp;&nbsp;Total time:   00:03 (000003 sec)") +
                           ExpectedPageMiddle() + ExpectedPageTail();
    EXPECT_EQ(expected, Report());
    EXPECT_FALSE(FileExists(dir.File("tracks.sdb")));
}

TEST_F(DatabasePreviewTest, ReportNeedsTheFilesItReads) {
    EXPECT_FALSE(database.WriteTitlesReport(false));
    Store(Disc(1, "One", "misc", {{"t", 1000}}));
    ASSERT_EQ(0, std::remove(dir.File("tracks.sdb").c_str()));
    EXPECT_FALSE(database.WriteTitlesReport(true));
    EXPECT_FALSE(FileExists(dir.File("Titles.htm")));
}

TEST_F(DatabasePreviewTest, ReportEscapesMarkupAfterPadding) {
    Store(Disc(1, "<script>alert(\"x\")</script> & co", "misc", {{"a<b>", 1000}}));
    ASSERT_TRUE(database.WriteTitlesReport(true));
    std::string page = Report();
    EXPECT_EQ(std::string::npos, page.find("<script>"));
    EXPECT_NE(std::string::npos, page.find("<H4>" + std::string(28, ' ') +
                                           "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; co&nbsp;&nbsp;"));
    EXPECT_NE(std::string::npos, page.find(std::string(56, ' ') + "a&lt;b&gt;&nbsp;&nbsp;<BR>"));
}

TEST_F(DatabasePreviewTest, ReportThatCannotBeWrittenFails) {
    Store(Disc(1, "One", "misc", {{"t", 1000}}));
    ASSERT_EQ(0, ::mkdir(dir.File("Titles.htm").c_str(), 0700));
    EXPECT_FALSE(database.WriteTitlesReport(true));
}

}  // namespace
}  // namespace discdeck
