#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "db/tests/TestSupport.h"
#include "export/HtmlPage.h"
#include "export/TextFormat.h"
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
        LoadDisc(info, disc);
        database.StoreDisc(info, messages);
        ASSERT_TRUE(messages.texts.empty());
    }
    std::string Report() const { return ReadText(dir.File("Titles.htm")); }

    TempDir dir;
    PosixFilePort files;
    DiscDatabase database{files, dir.Path()};
    DiscInfo info;
    RecordingMessages messages;
};

TEST_F(DatabasePreviewTest, TreeListsDiscsByTitleBytesWithTheirTracks) {
    Store(Disc(0x30, "b", "rock", {{"b1", 61500}}));
    Store(Disc(0x10, "A", "jazz", {{"A1", 59999}, {"A2", 3723000}}));
    Store(Disc(0x20, "a", "misc", {}));  // never stored: no tracks
    Store(Disc(0x20, "a", "misc", {{"a1", 1000}}));

    DatabasePreview preview = database.Preview();
    ASSERT_TRUE(preview.Load());
    EXPECT_EQ((std::vector<std::string>{"A - jazz", "a - misc", "b - rock"}), preview.DiscTexts(0, 5));
    EXPECT_EQ((std::vector<std::string>{"01 - (00:59): A1", "02 - (62:03): A2"}), preview.TrackTexts(0));
    EXPECT_EQ(std::vector<std::string>{"01 - (00:01): a1"}, preview.TrackTexts(1));
    EXPECT_EQ(std::vector<std::string>{"01 - (01:01): b1"}, preview.TrackTexts(2));
    EXPECT_EQ("Titles:    3         Tracks:    4", preview.CountsLine());

    // The preview only reads: a second reading gives the same, without duplicates.
    ASSERT_TRUE(preview.Load());
    EXPECT_EQ(3u, preview.DiscCount());
}

TEST_F(DatabasePreviewTest, CountsLineRightAlignsBothCounts) {
    std::vector<std::pair<std::string, uint32_t>> ten(10, {"t", 1000});
    std::vector<std::pair<std::string, uint32_t>> twelve(12, {"t", 1000});
    Store(Disc(1, "Ten", "misc", ten));
    Store(Disc(2, "Twelve", "misc", twelve));
    DatabasePreview preview = database.Preview();
    ASSERT_TRUE(preview.Load());
    EXPECT_EQ("Titles:    2         Tracks:   22", preview.CountsLine());
}

TEST_F(DatabasePreviewTest, MissingFilesLoadNothing) {
    EXPECT_FALSE(database.Preview().Load());
    Store(Disc(1, "One", "misc", {{"t", 1000}}));
    ASSERT_EQ(0, std::remove(dir.File("tracks.sdb").c_str()));
    DatabasePreview preview = database.Preview();
    EXPECT_FALSE(preview.Load());
    EXPECT_EQ(0u, preview.DiscCount());
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
    DatabasePreview preview = database.Preview();
    ASSERT_TRUE(preview.Load());
    EXPECT_EQ(std::vector<std::string>{"X - "}, preview.DiscTexts(0, 1));
    EXPECT_TRUE(preview.TrackTexts(0).empty());
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

// What the preview and the report held when they loaded both files whole and found each disc's
// tracks with a scan from the start of tracks.sdb: the result the streaming ones must give byte
// for byte. Equal titles keep their file order.
struct WholeFileResult {
    std::vector<std::string> discTexts;
    std::vector<std::vector<std::string>> trackTexts;
    std::string counts;
    std::string report[2];  // without and with the tracks
};

WholeFileResult ReadWholeFiles(FilePort& files, const std::string& dir) {
    WholeFileResult result;
    RecordFile titles(files);
    RecordFile tracks(files);
    EXPECT_TRUE(titles.Open(dir + "/titles.sdb", kTitleRecordLength));
    EXPECT_TRUE(tracks.Open(dir + "/tracks.sdb", kTrackRecordLength));
    std::vector<std::vector<uint8_t>> records(titles.GetCount(), std::vector<uint8_t>(kTitleRecordLength));
    for (uint32_t i = 0; i < titles.GetCount(); ++i) {
        titles.ReadRecord(i, records[i].data());
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& a, const auto& b) { return CompareTitleText(a.data(), b.data()) < 0; });
    auto title60 = [](const std::string& text) { return EscapeHtml(FormatText("%60.60s", text.c_str())); };
    result.report[0] = result.report[1] = PageHead();
    for (const auto& image : records) {
        TitleRecord title = DecodeTitleRecord(image.data());
        result.discTexts.push_back(FieldText(title.title) + " - " + FieldText(title.category));
        std::string line =
            FormatText("<H4>%s&nbsp;&nbsp;Total tracks: %02u&nbsp;&nbsp;Total time:   %02u:%02u (%06u sec)</H4>",
                       title60(FieldText(title.title)).c_str(), title.trackCount, title.discLength / 60000,
                       title.discLength / 1000 % 60, title.discLength / 1000);
        result.report[0] += line;
        result.report[1] += line;
        result.trackTexts.emplace_back();
        uint8_t key[4];
        EncodeDiscIdKey(title.discId, key);
        if (!tracks.FindFirst(key, CompareDiscId)) {
            continue;
        }
        uint8_t trackImage[kTrackRecordLength];
        const uint32_t first = tracks.GetCurrentIndex();
        for (uint32_t j = 0; j < title.trackCount && tracks.ReadRecord(first + j, trackImage); ++j) {
            TrackRecord track = DecodeTrackRecord(trackImage);
            uint32_t m = track.length / 60000;
            uint32_t sec = track.length / 1000 % 60;
            result.trackTexts.back().push_back(
                FormatText("%02u - (%02u:%02u): %s", track.trackNumber, m, sec, FieldText(track.title).c_str()));
            result.report[1] += FormatText("%02u - (%02u:%02u)&nbsp;&nbsp;%s&nbsp;&nbsp;<BR>", track.trackNumber, m,
                                           sec, title60(FieldText(track.title)).c_str());
        }
    }
    for (std::string& page : result.report) {
        page += PageMiddle() + PageTail();
    }
    result.counts = FormatText("Titles: %4u         Tracks: %4u", titles.GetCount(), tracks.GetCount());
    return result;
}

void AppendTitle(testing_support::Bytes& bytes, const TitleRecord& title, const std::string& text) {
    uint8_t image[kTitleRecordLength];
    EncodeTitleRecord(title, image);
    std::memcpy(image + 4, text.data(), std::min<size_t>(text.size(), 70));  // unterminated at 70
    bytes.insert(bytes.end(), image, image + sizeof image);
}

void AppendTrack(testing_support::Bytes& bytes, const TrackRecord& track) {
    uint8_t image[kTrackRecordLength];
    EncodeTrackRecord(track, image);
    bytes.insert(bytes.end(), image, image + sizeof image);
}

void WriteDatabase(const std::string& dir, const testing_support::Bytes& titles, const testing_support::Bytes& tracks) {
    using testing_support::RecordFileImage;
    testing_support::WriteBytes(dir + "/titles.sdb",
                                RecordFileImage(static_cast<uint32_t>(titles.size() / 104), 104, titles));
    testing_support::WriteBytes(dir + "/tracks.sdb",
                                RecordFileImage(static_cast<uint32_t>(tracks.size() / 84), 84, tracks));
}

// A few hundred discs as years of stores and damage leave them: titles alike in their first
// sixteen bytes and beyond, equal titles, unterminated ones, markup; discs without tracks, with a
// second run, with counts past the end of the file; tracks in no particular order.
void WriteVariedDatabase(const std::string& dir, uint32_t discs) {
    std::mt19937 random(20);
    const std::string common = "The Very Long Common Prefix";
    const std::vector<std::string> stems = {common + " / ",       common,    "Abba", "abba", "Zed & <Co>", "",
                                            std::string(70, 'Q'), "\xC9tude"};
    testing_support::Bytes titles;
    std::vector<testing_support::Bytes> runs;
    for (uint32_t i = 0; i < discs; ++i) {
        const uint32_t id = static_cast<uint32_t>(random());
        std::string title = stems[random() % stems.size()];
        if (random() % 4 != 0 && title.size() < 60) {
            title += std::to_string(random() % 50);
        }
        const uint32_t tracks = random() % 5;
        AppendTitle(titles,
                    MakeTitleRecord(id, "", "cat" + std::to_string(i % 7), random() % 5000000,
                                    random() % 50 == 0 ? 0xFFFFFFFFu : tracks),
                    title);
        for (int copy = random() % 10 == 0 ? 2 : 1; copy > 0; --copy) {
            runs.emplace_back();
            for (uint32_t t = 0; t < tracks + copy - 1; ++t) {
                AppendTrack(runs.back(),
                            MakeTrackRecord(id, t + 1, "song \"" + std::to_string(t) + "\"", random() % 400000));
            }
        }
    }
    std::shuffle(runs.begin(), runs.end(), random);
    testing_support::Bytes tracks;
    for (const auto& run : runs) {
        tracks.insert(tracks.end(), run.begin(), run.end());
    }
    WriteDatabase(dir, titles, tracks);
}

// The tree's content and both reports, as the whole-file preview gave them, in both layouts of
// the tree.
TEST_F(DatabasePreviewTest, StreamingGivesTheWholeFileResultByteForByte) {
    WriteVariedDatabase(dir.Path(), 300);
    const WholeFileResult whole = ReadWholeFiles(files, dir.Path());
    for (uint32_t mostUngrouped : {DatabasePreview::kMostUngrouped, 100u}) {
        SCOPED_TRACE(mostUngrouped);
        DatabasePreview preview = database.Preview();
        preview.SetMostUngrouped(mostUngrouped);
        ASSERT_TRUE(preview.Load());
        EXPECT_EQ(whole.counts, preview.CountsLine());
        EXPECT_EQ(whole.discTexts, preview.DiscTexts(0, preview.DiscCount()));
        for (uint32_t i = 0; i < preview.DiscCount(); ++i) {
            EXPECT_EQ(whole.trackTexts[i], preview.TrackTexts(i)) << i;
        }
        EXPECT_EQ(mostUngrouped < 300, preview.Grouped());
        if (preview.Grouped()) {
            ASSERT_EQ(1u, preview.GroupCount());
            EXPECT_EQ(whole.discTexts.front().substr(0, whole.discTexts.front().rfind(" - ")) + " ... " +
                          whole.discTexts.back().substr(0, whole.discTexts.back().rfind(" - ")),
                      preview.GroupText(0));
        }
    }
    for (bool withTracks : {false, true}) {
        // Progress goes one way and ends with the work.
        std::vector<std::pair<uint64_t, uint64_t>> told;
        ASSERT_TRUE(database.WriteTitlesReport(
            withTracks, [&told](uint64_t done, uint64_t total) { told.emplace_back(done, total); }));
        EXPECT_EQ(whole.report[withTracks], Report()) << withTracks;
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.back().first, told.back().second);
        EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    }
}

// A damaged count whose run is longer than the report gathers at once (32 MB of track records)
// is read on its own, to the end of the file, between the discs around it.
TEST_F(DatabasePreviewTest, ARunLongerThanABatchIsStreamedOnItsOwn) {
    const uint32_t longRun = 32 * 1024 * 1024 / 84 + 100;
    testing_support::Bytes titles;
    testing_support::Bytes tracks;
    for (uint32_t id : {1u, 2u, 3u}) {
        AppendTitle(titles, MakeTitleRecord(id, "", "misc", 1000, id == 2 ? 0xFFFFFFFFu : 2),
                    "Disc " + std::to_string(id));
        for (uint32_t t = 0; t < (id == 2 ? longRun : 2); ++t) {
            AppendTrack(tracks, MakeTrackRecord(id, t + 1, "t", 1000));
        }
    }
    WriteDatabase(dir.Path(), titles, tracks);
    ASSERT_TRUE(database.WriteTitlesReport(true));
    // Disc 2's run reaches to the end of the file, over disc 3's tracks.
    const std::string page = Report();
    std::vector<size_t> tracksPerDisc;
    for (size_t at = page.find("<H4>"); at != std::string::npos; at = page.find("<H4>", at + 1)) {
        tracksPerDisc.push_back(0);
        const size_t next = page.find("<H4>", at + 1);
        for (size_t br = page.find("<BR>", at); br < next; br = page.find("<BR>", br + 1)) {
            ++tracksPerDisc.back();
        }
    }
    EXPECT_EQ((std::vector<size_t>{2, longRun + 2, 2}), tracksPerDisc);
    EXPECT_NE(std::string::npos, page.find("Disc 3&nbsp;&nbsp;Total tracks: 02"));
}

}  // namespace
}  // namespace discdeck
