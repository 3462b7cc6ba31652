// The database preview dialog on real record files in a scratch folder.
#include <windows.h>

#include <gmock/gmock.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/Clock.h"
#include "db/DiscDatabase.h"
#include "db/DiscRecords.h"
#include "db/RecordStream.h"
#include "db/win/DatabasePreviewDialog.h"
#include "drive/SimulatedDrive.h"
#include "export/TextFormat.h"
#include "ports/MessageSink.h"
#include "ports/win/WinFilePort.h"
#include "res/resource.h"
#include "tests/wine/WineTestSupport.h"

namespace discdeck {
namespace {

using testing::ElementsAre;

class NoMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string&) override { ADD_FAILURE() << text; }
};

std::string ReadFile(const char* name) {
    std::ifstream file(name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class DatabasePreviewTest : public testing::Test {
  protected:
    // Stores a disc of `tracks` tracks of 61.5 s each (the lengths make the disc ids differ).
    void StoreDisc(const std::string& title, int tracks, uint32_t firstSecond) {
        SimulatedDrive drive(clock);
        std::vector<Msf> starts;
        for (int i = 0; i < tracks; ++i) {
            uint32_t second = firstSecond + static_cast<uint32_t>(i) * 61;
            starts.push_back(Msf{second / 60, second % 60, 37});
        }
        uint32_t end = firstSecond + static_cast<uint32_t>(tracks) * 61;
        ASSERT_TRUE(drive.InsertDisc(MakeAudioDisc(starts, Msf{end / 60, end % 60, 37})));
        CdAudioDevice device(drive);
        ASSERT_EQ(device.trackCount, static_cast<uint32_t>(tracks));
        device.discTitle = title;
        device.category = "rock";
        for (int i = 0; i < tracks; ++i) {
            device.trackTitles[static_cast<size_t>(i)] = title + " song " + std::to_string(i + 1);
        }
        database.StoreDisc(DiscInfoOf(device), noMessages);
    }

    std::vector<std::string> RootTexts(const fw::TreeView& tree) const {
        std::vector<std::string> texts;
        for (HTREEITEM item = tree.GetRootItem(); item != nullptr; item = tree.GetNextSiblingItem(item)) {
            texts.push_back(tree.GetItemText(item));
        }
        return texts;
    }

    test::ScratchFolder folder;
    ManualClock clock;
    WinFilePort files;
    // Full paths: the files are saved by replacing them, which Wine refuses for bare names.
    DiscDatabase database{files, folder.Path()};
    NoMessages noMessages;
    std::vector<std::string> opened;
};

TEST_F(DatabasePreviewTest, TreeListsTheDiscsByTitleWithTheirTracksAndTheCounts) {
    StoreDisc("b", 2, 2);
    StoreDisc("A", 3, 4);
    StoreDisc("a", 1, 6);
    DatabasePreviewDialog dialog(database);
    ASSERT_TRUE(dialog.Create());
    fw::TreeView tree = dialog.GetTree();
    EXPECT_THAT(RootTexts(tree), ElementsAre("A - rock", "a - rock", "b - rock"));
    // A disc's tracks are added as it is opened, once.
    EXPECT_EQ(tree.GetCount(), 3u);
    HTREEITEM first = tree.GetRootItem();
    tree.Expand(first);
    HTREEITEM track = tree.GetChildItem(first);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(tree.GetItemText(track), "01 - (01:01): A song 1");
    tree.Expand(first, TVE_COLLAPSE);
    for (HTREEITEM item = first; item != nullptr; item = tree.GetNextSiblingItem(item)) {
        tree.Expand(item);
    }
    EXPECT_EQ(tree.GetCount(), 9u);
    EXPECT_EQ(fw::Window(::GetDlgItem(dialog.GetHandle(), IDC_PREVIEW_COUNTS)).GetText(),
              "Titles:    3         Tracks:    6");
    ASSERT_NE(tree.GetImageList(), nullptr);
    EXPECT_EQ(::ImageList_GetImageCount(tree.GetImageList()), 2);
}

// Above the limit the tree holds groups of a thousand discs in title order; a group's discs are
// added as it is opened, and their tracks as they are.
TEST_F(DatabasePreviewTest, ManyDiscsAreGroupedAndAddedAsTheyAreOpened) {
    const uint32_t discs = DatabasePreview::kMostUngrouped + 1;
    std::unique_ptr<FileHandle> titles = files.Open(folder.Path() + "\\titles.sdb", FilePort::Access::Overwrite);
    std::unique_ptr<FileHandle> tracks = files.Open(folder.Path() + "\\tracks.sdb", FilePort::Access::Overwrite);
    ASSERT_TRUE(titles && tracks);
    RecordWriter titlesOut(*titles, NewRecordFileHeader(kTitleRecordLength));
    RecordWriter tracksOut(*tracks, NewRecordFileHeader(kTrackRecordLength));
    ASSERT_TRUE(titlesOut.Begin() && tracksOut.Begin());
    for (uint32_t i = 0; i < discs; ++i) {
        // Stored in reverse title order: the tree must sort them.
        uint32_t id = discs - i;
        uint8_t title[kTitleRecordLength];
        uint8_t track[kTrackRecordLength];
        EncodeTitleRecord(MakeTitleRecord(id, FormatText("Disc %06u", id - 1), "rock", 60000, 1), title);
        EncodeTrackRecord(MakeTrackRecord(id, 1, FormatText("t%u", id - 1), 60000), track);
        ASSERT_TRUE(titlesOut.Append(title) && tracksOut.Append(track));
    }
    ASSERT_TRUE(titlesOut.Finish() && tracksOut.Finish() && titles->Close() && tracks->Close());

    DatabasePreviewDialog dialog(database);
    ASSERT_TRUE(dialog.Create());
    fw::TreeView tree = dialog.GetTree();
    EXPECT_EQ(tree.GetCount(), 101u);
    EXPECT_EQ(dialog.GetCountsText(), "Titles: 100001         Tracks: 100001");
    HTREEITEM group = tree.GetRootItem();
    EXPECT_EQ(tree.GetItemText(group), "Disc 000000 ... Disc 000999");
    tree.Expand(group);
    EXPECT_EQ(tree.GetCount(), 1101u);
    HTREEITEM disc = tree.GetChildItem(group);
    EXPECT_EQ(tree.GetItemText(disc), "Disc 000000 - rock");
    tree.Expand(disc);
    ASSERT_NE(tree.GetChildItem(disc), nullptr);
    EXPECT_EQ(tree.GetItemText(tree.GetChildItem(disc)), "01 - (01:00): t0");
    HTREEITEM last = group;
    while (tree.GetNextSiblingItem(last) != nullptr) {
        last = tree.GetNextSiblingItem(last);
    }
    EXPECT_EQ(tree.GetItemText(last), "Disc 100000 ... Disc 100000");
}

TEST_F(DatabasePreviewTest, ClosingEmptiesTheTreeAndTheNextShowingStartsAfresh) {
    StoreDisc("one", 2, 2);
    DatabasePreviewDialog dialog(database);
    ASSERT_TRUE(dialog.Create());
    HWND treeWindow = dialog.GetTree().GetHandle();
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_FALSE(::IsWindow(treeWindow));
    ASSERT_TRUE(dialog.Create());
    dialog.GetTree().Expand(dialog.GetTree().GetRootItem());
    EXPECT_EQ(dialog.GetTree().GetCount(), 3u);
    EXPECT_EQ(dialog.GetCountsText(), "Titles:    1         Tracks:    2");
}

TEST_F(DatabasePreviewTest, WithoutADatabaseTheTreeStaysEmptyAndTheReportDoesNothing) {
    DatabasePreviewDialog dialog(database);
    dialog.SetShellOpen([this](const std::string& file) { opened.push_back(file); });
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.GetTree().GetCount(), 0u);
    EXPECT_EQ(dialog.GetCountsText(), "");
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_REPORT, BN_CLICKED));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(::GetFileAttributesA("Titles.htm"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DatabasePreviewTest, ReportWritesTheTracksOnlyWhenAskedAndOpensThePage) {
    StoreDisc("one", 2, 2);
    StoreDisc("two", 3, 5);
    DatabasePreviewDialog dialog(database);
    dialog.SetShellOpen([this](const std::string& file) { opened.push_back(file); });
    ASSERT_TRUE(dialog.Create());
    HWND check = ::GetDlgItem(dialog.GetHandle(), IDC_PREVIEW_TRACKS);

    // Without the tracks the track file is not needed at all.
    ASSERT_TRUE(::DeleteFileA("tracks.sdb"));
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_REPORT, BN_CLICKED));
    EXPECT_THAT(opened, ElementsAre("Titles.htm"));
    std::string page = ReadFile("Titles.htm");
    EXPECT_EQ(Count(page, "<H4>"), 2u);
    EXPECT_EQ(Count(page, "<BR>"), 0u);

    // With the tracks asked for and no track file: nothing is written or opened.
    ASSERT_TRUE(::DeleteFileA("Titles.htm"));
    ::SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_REPORT, BN_CLICKED));
    EXPECT_EQ(dialog.GetIncludeTracks(), 1);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(::GetFileAttributesA("Titles.htm"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace discdeck
