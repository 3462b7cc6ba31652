#include "db/DiscDatabase.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "db/DiscRecords.h"
#include "db/RecordFile.h"
#include "db/tests/TestSupport.h"

namespace discdeck {
namespace {

using testing_support::Bytes;
using testing_support::FaultyFilePort;
using testing_support::FileExists;
using testing_support::Le32;
using testing_support::ListDirectory;
using testing_support::LoadDisc;
using testing_support::ReadBytes;
using testing_support::RecordFileImage;
using testing_support::RecordingMessages;
using testing_support::SampleDisc;
using testing_support::StoredDisc;
using testing_support::TempDir;
using testing_support::WriteBytes;

void Append(Bytes& bytes, const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
}

Bytes operator+(Bytes bytes, const Bytes& more) {
    Append(bytes, more);
    return bytes;
}

Bytes Text(const std::string& text, size_t width) {
    Bytes field(width, 0);
    std::memcpy(field.data(), text.data(), std::min(text.size(), width));
    return field;
}

// The records as the files hold them, built field by field from the layout.
Bytes TitleBytes(uint32_t id,
                 const std::string& title,
                 const std::string& category,
                 uint32_t lengthMs,
                 uint32_t tracks) {
    Bytes record = Le32(id);
    Append(record, Text(title, 70));
    Append(record, Text(category, 20));
    Append(record, Bytes{0, 0});
    Append(record, Le32(lengthMs));
    Append(record, Le32(tracks));
    return record;
}

Bytes TrackBytes(uint32_t id, uint32_t number, const std::string& title, uint32_t lengthMs) {
    Bytes record = Le32(id);
    Append(record, Le32(number));
    Append(record, Text(title, 70));
    Append(record, Bytes{0, 0});
    Append(record, Le32(lengthMs));
    return record;
}

Bytes TrackRun(const StoredDisc& disc) {
    Bytes run;
    for (size_t i = 0; i + 1 < disc.startsMs.size(); ++i) {
        Append(run, TrackBytes(disc.discId, static_cast<uint32_t>(i + 1), disc.trackTitles[i].substr(0, 69),
                               disc.startsMs[i + 1] - disc.startsMs[i]));
    }
    return run;
}

Bytes TitleOf(const StoredDisc& disc) {
    return TitleBytes(disc.discId, disc.title.substr(0, 69), disc.category, disc.startsMs.back(),
                      static_cast<uint32_t>(disc.startsMs.size() - 1));
}

class DiscDatabaseTest : public ::testing::Test {
  protected:
    std::string Titles() const { return dir.File("titles.sdb"); }
    std::string Tracks() const { return dir.File("tracks.sdb"); }
    void Store(const StoredDisc& disc) {
        LoadDisc(info, disc);
        database.StoreDisc(info, messages);
    }

    TempDir dir;
    FaultyFilePort files;
    DiscDatabase database{files, dir.Path()};
    DiscInfo info;
    RecordingMessages messages;
};

TEST_F(DiscDatabaseTest, FirstStoreCreatesBothFilesByteForByte) {
    StoredDisc disc = SampleDisc(0x8409a30a, "Orvo Lindqvist / Northern Lights", 12);
    disc.category = "folk";
    Store(disc);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(RecordFileImage(1, 104, TitleOf(disc)), ReadBytes(Titles()));
    Bytes tracks = ReadBytes(Tracks());
    EXPECT_EQ(RecordFileImage(12, 84, TrackRun(disc)), tracks);
    // Track 12 runs to the lead-out.
    EXPECT_EQ(disc.startsMs[12] - disc.startsMs[11], LoadLe32(tracks.data() + 24 + 11 * 84 + 80));
}

TEST_F(DiscDatabaseTest, SecondStoreOfTheSameDiscChangesNothing) {
    Store(SampleDisc(0x10203040, "Same", 3));
    Bytes titles = ReadBytes(Titles());
    Bytes tracks = ReadBytes(Tracks());
    StoredDisc changed = SampleDisc(0x10203040, "Other titles meanwhile", 3);
    Store(changed);
    EXPECT_EQ(titles, ReadBytes(Titles()));
    EXPECT_EQ(tracks, ReadBytes(Tracks()));
}

TEST_F(DiscDatabaseTest, TitlesAreSortedByIdExceptTheLastStored) {
    StoredDisc a = SampleDisc(0x50000000, "A", 1);
    StoredDisc b = SampleDisc(0x20000000, "B", 2);
    StoredDisc c = SampleDisc(0x30000000, "C", 1);
    Store(a);
    Store(b);
    Bytes expected = TitleOf(a);
    Append(expected, TitleOf(b));
    EXPECT_EQ(RecordFileImage(2, 104, expected), ReadBytes(Titles()));

    Store(c);
    expected = TitleOf(b);
    Append(expected, TitleOf(a));
    Append(expected, TitleOf(c));
    EXPECT_EQ(RecordFileImage(3, 104, expected), ReadBytes(Titles()));
    // Tracks stay in the order of storing.
    Bytes tracks = TrackRun(a);
    Append(tracks, TrackRun(b));
    Append(tracks, TrackRun(c));
    EXPECT_EQ(RecordFileImage(4, 84, tracks), ReadBytes(Tracks()));
}

TEST_F(DiscDatabaseTest, TitlesAreCutToSixtyNineCharacters) {
    const std::string t69(69, 'x');
    const std::string t70 = std::string(69, 'y') + "Z";
    StoredDisc whole = SampleDisc(1, t69, 2);
    whole.trackTitles = {t69, t70};
    StoredDisc cut = SampleDisc(2, t70, 1);
    Store(whole);
    Store(cut);
    Bytes titles = ReadBytes(Titles());
    Bytes tracks = ReadBytes(Tracks());
    ASSERT_EQ(24u + 2 * 104, titles.size());
    EXPECT_EQ(Text(t69, 70), Bytes(titles.begin() + 24 + 4, titles.begin() + 24 + 74));
    EXPECT_EQ(Text(std::string(69, 'y'), 70), Bytes(titles.begin() + 128 + 4, titles.begin() + 128 + 74));
    EXPECT_EQ(Text(t69, 70), Bytes(tracks.begin() + 24 + 8, tracks.begin() + 24 + 78));
    EXPECT_EQ(Text(std::string(69, 'y'), 70), Bytes(tracks.begin() + 108 + 8, tracks.begin() + 108 + 78));

    DiscInfo fresh;
    LoadDisc(fresh, SampleDisc(2, "unknown", 1));
    ASSERT_TRUE(database.LookUpDisc(fresh));
    EXPECT_EQ(std::string(69, 'y'), fresh.discTitle);
}

TEST_F(DiscDatabaseTest, CategoryFillsItsFieldWithoutTerminator) {
    StoredDisc disc = SampleDisc(7, "T", 1);
    disc.category = "abcdefghijklmnopqrstuvwxyz";
    Store(disc);
    Bytes titles = ReadBytes(Titles());
    EXPECT_EQ(Text("abcdefghijklmnopqrst", 20), Bytes(titles.begin() + 24 + 74, titles.begin() + 24 + 94));
    EXPECT_EQ(0, titles[24 + 94]);
}

TEST_F(DiscDatabaseTest, IdsWithTheTopBitSetSortLast) {
    Store(SampleDisc(0x80000001, "High", 1));
    Store(SampleDisc(0x7FFFFFFF, "Low", 1));
    Store(SampleDisc(0x00000001, "Lowest", 1));
    Bytes titles = ReadBytes(Titles());
    EXPECT_EQ(0x7FFFFFFFu, LoadLe32(titles.data() + 24));
    EXPECT_EQ(0x80000001u, LoadLe32(titles.data() + 24 + 104));
    EXPECT_EQ(0x00000001u, LoadLe32(titles.data() + 24 + 208));
    for (uint32_t id : {0x80000001u, 0x7FFFFFFFu, 0x00000001u}) {
        LoadDisc(info, SampleDisc(id, "?", 1));
        EXPECT_TRUE(database.LookUpDisc(info)) << std::hex << id;
    }
}

TEST_F(DiscDatabaseTest, UnidentifiedDiscStoresNothing) {
    Store(SampleDisc(1, "", 3));
    StoredDisc noTracks = SampleDisc(2, "Title", 0);
    Store(noTracks);
    EXPECT_TRUE(ListDirectory(dir.Path()).empty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(DiscDatabaseTest, TrackCountBeyondTheTableStoresNothing) {
    LoadDisc(info, SampleDisc(1, "Title", 3));
    info.trackCount = static_cast<uint32_t>(info.tracks.size());
    database.StoreDisc(info, messages);
    EXPECT_TRUE(ListDirectory(dir.Path()).empty());
}

TEST_F(DiscDatabaseTest, NothingCreatableShowsTheFourMessagesInOrder) {
    DiscDatabase nowhere(files, dir.File("missing-directory"));
    LoadDisc(info, SampleDisc(1, "Title", 2));
    nowhere.StoreDisc(info, messages);
    EXPECT_EQ((std::vector<std::string>{
                  "Unable to create TITLE database file !!!", "Unable to open TITLE database file !!!",
                  "Unable to create TRACK database file !!!", "Unable to open TRACK database file !!!"}),
              messages.texts);
    EXPECT_EQ(std::vector<std::string>(4, ""), messages.captions);  // the application's own caption
    EXPECT_TRUE(ListDirectory(dir.Path()).empty());
}

TEST_F(DiscDatabaseTest, UnusableTitlesFileStoresNoTracks) {
    // A titles file of another record length can't be opened; storing must not pile up tracks.
    const Bytes foreign = RecordFileImage(0, 50, {});
    WriteBytes(Titles(), foreign);
    Store(SampleDisc(1, "Title", 3));
    Store(SampleDisc(1, "Title", 3));
    EXPECT_EQ((std::vector<std::string>(2, "Unable to open TITLE database file !!!")), messages.texts);
    EXPECT_EQ(foreign, ReadBytes(Titles()));
    EXPECT_EQ(RecordFileImage(0, 84, {}), ReadBytes(Tracks()));
}

TEST_F(DiscDatabaseTest, UnusableTracksFileStoresNoTitle) {
    WriteBytes(Tracks(), RecordFileImage(0, 104, {}));
    Store(SampleDisc(1, "Title", 3));
    EXPECT_EQ(std::vector<std::string>{"Unable to open TRACK database file !!!"}, messages.texts);
    EXPECT_EQ(RecordFileImage(0, 104, {}), ReadBytes(Titles()));
}

// Every store that does not land says so once, naming the file and the system's reason, and
// leaves both files as they were with nothing beside them.
struct StoreFailure {
    const char* name;
    const char* target;  // the file the fault is armed for; none: a folder stands where tracks.sdb.tmp goes
    void (*arm)(FaultyFilePort&);
    const char* file;
    const char* reason;
};

std::ostream& operator<<(std::ostream& out, const StoreFailure& failure) {
    return out << failure.name;
}

class DiscDatabaseStoreFailureTest : public DiscDatabaseTest, public ::testing::WithParamInterface<StoreFailure> {};

TEST_P(DiscDatabaseStoreFailureTest, IsToldOnceAndLeavesTheFiles) {
    const StoreFailure& failure = GetParam();
    Store(SampleDisc(1, "First", 2));
    const Bytes titles = ReadBytes(Titles());
    const Bytes tracks = ReadBytes(Tracks());
    std::vector<std::string> expected = {"titles.sdb", "tracks.sdb"};
    if (failure.target == nullptr) {
        ASSERT_EQ(0, ::mkdir(dir.File("tracks.sdb.tmp").c_str(), 0700));
        expected.push_back("tracks.sdb.tmp");
    } else {
        files.target = failure.target;
        failure.arm(files);
    }
    Store(SampleDisc(2, "Second", 2));
    EXPECT_EQ(std::vector<std::string>{std::string("Unable to save ") + failure.file + " database file !!! (" +
                                       failure.reason + ")"},
              messages.texts);
    EXPECT_EQ(titles, ReadBytes(Titles()));
    EXPECT_EQ(tracks, ReadBytes(Tracks()));
    std::vector<std::string> names = ListDirectory(dir.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(expected, names);
}

INSTANTIATE_TEST_SUITE_P(
    Faults,
    DiscDatabaseStoreFailureTest,
    ::testing::Values(StoreFailure{"TracksDiskFull", "tracks.sdb", [](FaultyFilePort& p) { p.writeBudget = 100; },
                                   "TRACK", "No space left on device"},
                      StoreFailure{"TracksFlushFails", "tracks.sdb", [](FaultyFilePort& p) { p.failFlush = true; },
                                   "TRACK", "Input/output error"},
                      StoreFailure{"TracksReplaceRefused", "tracks.sdb",
                                   [](FaultyFilePort& p) { p.failReplace = true; }, "TRACK", "Permission denied"},
                      StoreFailure{"TitlesTemporaryNotCreatable", "titles.sdb.tmp",
                                   [](FaultyFilePort& p) { p.failCreate = true; }, "TITLE", "Permission denied"},
                      StoreFailure{"TracksTemporaryIsAFolder", nullptr, nullptr, "TRACK", "Is a directory"},
                      // Open, size, header, size again: then the scan of the titles reads.
                      StoreFailure{"TitlesUnreadable", "titles.sdb",
                                   [](FaultyFilePort& p) {
                                       p.steps = 0;
                                       p.failStep = 5;
                                   },
                                   "TITLE", "Input/output error"}),
    [](const ::testing::TestParamInfo<StoreFailure>& info) { return std::string(info.param.name); });

// A database that can't be written (read-only files, folder, share or disc) is still read; only
// a store needs write access, and only a store says that it is missing.
TEST_F(DiscDatabaseTest, ReadOnlyDatabaseIsReadAndOnlyAStoreComplains) {
    StoredDisc stored = SampleDisc(0x10, "Stored", 2);
    Store(stored);
    const Bytes titles = ReadBytes(Titles());
    const Bytes tracks = ReadBytes(Tracks());
    files.target = ".sdb";
    files.readOnly = true;

    LoadDisc(info, SampleDisc(0x10, "?", 2));
    ASSERT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ("Stored track 2", info.trackTitles[1]);
    DatabasePreview preview = database.Preview();
    ASSERT_TRUE(preview.Load());
    EXPECT_EQ(std::vector<std::string>{"Stored - rock"}, preview.DiscTexts(0, 1));
    EXPECT_EQ(2u, preview.TrackTexts(0).size());
    EXPECT_TRUE(database.WriteTitlesReport(true));
    EXPECT_TRUE(messages.texts.empty());

    Store(SampleDisc(0x20, "New", 1));
    EXPECT_EQ(
        (std::vector<std::string>{"Unable to open TITLE database file !!!", "Unable to open TRACK database file !!!"}),
        messages.texts);
    EXPECT_EQ(titles, ReadBytes(Titles()));
    EXPECT_EQ(tracks, ReadBytes(Tracks()));
}

// Headers that count fewer records than their files hold (damaged, or cut short by a crash while
// the count was written): a store keeps every whole record.
TEST_F(DiscDatabaseTest, HeadersCountingTooFewLoseNothing) {
    const StoredDisc a = SampleDisc(0x50, "A", 3);
    const StoredDisc b = SampleDisc(0x40, "B", 2);
    const StoredDisc c = SampleDisc(0x30, "C", 2);
    Store(a);
    Store(b);
    for (const std::string& path : {Titles(), Tracks()}) {
        Bytes image = ReadBytes(path);
        image[12] = 1;
        WriteBytes(path, image);
    }
    Store(c);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(24u + 3 * 104, ReadBytes(Titles()).size());
    EXPECT_EQ(RecordFileImage(7, 84, TrackRun(a) + TrackRun(b) + TrackRun(c)), ReadBytes(Tracks()));
}

TEST_F(DiscDatabaseTest, FailedTitleSaveLetsTheNextStoreReplaceTheDiscsTracks) {
    files.target = "titles.sdb";
    files.failReplace = true;
    Store(SampleDisc(2, "Inexact match", 2));
    files.Disarm();
    LoadDisc(info, SampleDisc(2, "?", 2));
    EXPECT_FALSE(database.LookUpDisc(info));

    // Stored again, with the entry the user chose this time: its run takes the old run's place.
    StoredDisc chosen = SampleDisc(2, "Chosen entry", 2);
    Store(chosen);
    EXPECT_EQ(RecordFileImage(2, 84, TrackRun(chosen)), ReadBytes(Tracks()));
    DiscInfo fresh;
    LoadDisc(fresh, SampleDisc(2, "?", 2));
    ASSERT_TRUE(database.LookUpDisc(fresh));
    EXPECT_EQ("Chosen entry", fresh.discTitle);
    EXPECT_EQ("Chosen entry track 1", fresh.trackTitles[0]);
}

// How many runs of consecutive records each disc id has in a tracks file.
std::map<uint32_t, int> RunsPerDisc(const Bytes& tracks) {
    std::map<uint32_t, int> runs;
    for (size_t at = 24; at + 84 <= tracks.size(); at += 84) {
        uint32_t id = LoadLe32(tracks.data() + at);
        if (at == 24 || id != LoadLe32(tracks.data() + at - 84)) {
            ++runs[id];
        }
    }
    return runs;
}

// Each file step of a store fails in turn, into an empty folder and into one with two discs. The
// discs stored before stay whole, no disc gets a second run, nothing is left beside the files, and
// storing the disc again ends like a store that never failed (or changes nothing when the failed
// one got through after all).
TEST_F(DiscDatabaseTest, AStoreFailingAtAnyStepLosesNothing) {
    const StoredDisc a = SampleDisc(0x50000000, "A", 2);
    const StoredDisc b = SampleDisc(0x20000000, "B", 3);
    const StoredDisc failing = SampleDisc(0x30000000, "Inexact", 2);
    const StoredDisc again = SampleDisc(0x30000000, "Chosen", 2);
    auto storedAfter = [](std::vector<StoredDisc> discs) {
        TempDir clean;
        FaultyFilePort port;
        DiscDatabase fresh(port, clean.Path());
        DiscInfo disc;
        RecordingMessages quiet;
        for (const StoredDisc& each : discs) {
            LoadDisc(disc, each);
            fresh.StoreDisc(disc, quiet);
        }
        return std::make_pair(ReadBytes(clean.File("titles.sdb")), ReadBytes(clean.File("tracks.sdb")));
    };

    for (const std::vector<StoredDisc>& before : {std::vector<StoredDisc>{}, std::vector<StoredDisc>{a, b}}) {
        std::vector<StoredDisc> retried = before;
        retried.push_back(again);
        std::vector<StoredDisc> through = before;
        through.push_back(failing);
        const auto whenRetried = storedAfter(retried);
        const auto whenThrough = storedAfter(through);
        bool reached = true;
        for (int step = 1; reached; ++step) {
            SCOPED_TRACE(std::to_string(before.size()) + " discs before, failing step " + std::to_string(step));
            ::unlink(Titles().c_str());
            ::unlink(Tracks().c_str());
            for (const StoredDisc& disc : before) {
                Store(disc);
            }
            files.steps = 0;
            files.failStep = step;
            Store(failing);
            reached = files.steps >= step;
            files.Disarm();

            for (const std::string& name : ListDirectory(dir.Path())) {
                EXPECT_TRUE(name == "titles.sdb" || name == "tracks.sdb") << name;
            }
            if (FileExists(Tracks())) {
                for (const auto& runs : RunsPerDisc(ReadBytes(Tracks()))) {
                    EXPECT_EQ(1, runs.second) << std::hex << runs.first;
                }
            }
            for (const StoredDisc& stored : before) {
                DiscInfo found;
                LoadDisc(found, SampleDisc(stored.discId, "?", 3));
                ASSERT_TRUE(database.LookUpDisc(found));
                EXPECT_EQ(stored.title, found.discTitle);
                EXPECT_EQ(stored.trackTitles[1], found.trackTitles[1]);
            }
            LoadDisc(info, SampleDisc(failing.discId, "?", 2));
            const bool gotThrough = database.LookUpDisc(info);
            EXPECT_EQ(gotThrough, messages.texts.empty());
            messages.texts.clear();

            Store(again);
            const auto& expected = gotThrough ? whenThrough : whenRetried;
            EXPECT_EQ(expected.first, ReadBytes(Titles()));
            EXPECT_EQ(expected.second, ReadBytes(Tracks()));
        }
    }
}

// A file that another program holds (a second player, a virus scanner) is waited for; it is
// never taken for missing and never emptied. Given up on, it leaves both files as they were.
struct BusyCase {
    const char* name;
    const char* file;        // the file held elsewhere
    unsigned releasedAfter;  // pauses before the holder lets go (0: never)
    std::vector<std::string> messages;
    // Held only in the moments its replacement is tried: the file must be taken back before each
    // new try, so that the next one follows our own letting go at once.
    bool whileReplaced = false;
};

std::ostream& operator<<(std::ostream& out, const BusyCase& busy) {
    return out << busy.name;
}

class DiscDatabaseBusyTest : public DiscDatabaseTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(DiscDatabaseBusyTest, IsWaitedForAndNeverEmptied) {
    const StoredDisc first = SampleDisc(0x50000000, "First", 2);
    const StoredDisc second = SampleDisc(0x20000000, "Second", 3);
    Store(first);
    const Bytes titles = ReadBytes(Titles());
    const Bytes tracks = ReadBytes(Tracks());

    PosixFilePort elsewhere;
    std::unique_ptr<FileHandle> holder;
    if (GetParam().whileReplaced) {
        files.target = GetParam().file;
        files.busyReplaces = static_cast<int>(GetParam().releasedAfter);
    } else {
        holder = elsewhere.Open(dir.File(GetParam().file), FilePort::Access::Read);
        ASSERT_NE(nullptr, holder);
    }
    unsigned pauses = 0;
    BusyWait wait;
    wait.pause = [&](unsigned ms) {
        EXPECT_EQ(50u, ms);
        if (++pauses == GetParam().releasedAfter) {
            holder.reset();
        }
    };
    DiscDatabase waiting(files, dir.Path(), wait);
    LoadDisc(info, second);
    waiting.StoreDisc(info, messages);
    EXPECT_EQ(GetParam().messages, messages.texts);
    EXPECT_EQ(0, files.unheldReplaces);

    holder.reset();
    if (GetParam().releasedAfter == 0) {
        EXPECT_EQ(wait.tries - 1, pauses);  // about two seconds of pauses in all
        EXPECT_EQ(titles, ReadBytes(Titles()));
        EXPECT_EQ(tracks, ReadBytes(Tracks()));
        return;
    }
    EXPECT_EQ(GetParam().releasedAfter, pauses);
    Bytes expected = TitleOf(first);
    Append(expected, TitleOf(second));
    EXPECT_EQ(RecordFileImage(2, 104, expected), ReadBytes(Titles()));
    expected = TrackRun(first);
    Append(expected, TrackRun(second));
    EXPECT_EQ(RecordFileImage(5, 84, expected), ReadBytes(Tracks()));
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    DiscDatabaseBusyTest,
    ::testing::Values(BusyCase{"TitlesLetGo", "titles.sdb", 3, {}},
                      BusyCase{"TracksLetGo", "tracks.sdb", 1, {}},
                      BusyCase{"TitlesKept", "titles.sdb", 0, {"Unable to open TITLE database file !!!"}},
                      BusyCase{"TracksKept", "tracks.sdb", 0, {"Unable to open TRACK database file !!!"}},
                      BusyCase{"TracksWhileReplaced", "tracks.sdb", 3, {}, true}),
    [](const ::testing::TestParamInfo<BusyCase>& info) { return std::string(info.param.name); });

TEST_F(DiscDatabaseTest, ALookUpWaitsForABusyFile) {
    Store(SampleDisc(7, "Held", 1));
    PosixFilePort elsewhere;
    std::unique_ptr<FileHandle> holder = elsewhere.Open(Tracks(), FilePort::Access::Read);
    BusyWait wait;
    wait.pause = [&holder](unsigned) { holder.reset(); };
    LoadDisc(info, SampleDisc(7, "?", 1));
    EXPECT_TRUE(DiscDatabase(files, dir.Path(), wait).LookUpDisc(info));
    EXPECT_EQ("Held", info.discTitle);
}

// A file of 0 bytes (what a crash while creating it leaves) holds nothing: a store writes it anew.
// A file with part of a header is something else, and stays as it is.
struct ShortFileCase {
    const char* name;
    const char* file;
    size_t size;
    std::vector<std::string> messages;
};

std::ostream& operator<<(std::ostream& out, const ShortFileCase& shortFile) {
    return out << shortFile.name;
}

class DiscDatabaseShortFileTest : public DiscDatabaseTest, public ::testing::WithParamInterface<ShortFileCase> {};

TEST_P(DiscDatabaseShortFileTest, EmptyFilesAreWrittenAnewAndCutHeadersRefused) {
    const StoredDisc first = SampleDisc(0x50000000, "First", 2);
    const StoredDisc second = SampleDisc(0x20000000, "Second", 3);
    Store(first);
    const std::string path = dir.File(GetParam().file);
    const Bytes whole = ReadBytes(path);
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(GetParam().size));
    WriteBytes(path, cut);
    const std::string other = dir.File(std::string(GetParam().file) == "titles.sdb" ? "tracks.sdb" : "titles.sdb");
    const Bytes otherBefore = ReadBytes(other);

    LoadDisc(info, second);
    EXPECT_FALSE(database.LookUpDisc(info));
    Store(second);
    EXPECT_EQ(GetParam().messages, messages.texts);
    if (!GetParam().messages.empty()) {
        EXPECT_EQ(cut, ReadBytes(path));
        EXPECT_EQ(otherBefore, ReadBytes(other));
        return;
    }
    bool titlesCut = std::string(GetParam().file) == "titles.sdb";
    Bytes titles = titlesCut ? TitleOf(second) : TitleOf(first);
    if (!titlesCut) {
        Append(titles, TitleOf(second));
    }
    Bytes tracks = titlesCut ? TrackRun(first) : Bytes();
    Append(tracks, TrackRun(second));
    EXPECT_EQ(RecordFileImage(static_cast<uint32_t>(titles.size() / 104), 104, titles), ReadBytes(Titles()));
    EXPECT_EQ(RecordFileImage(static_cast<uint32_t>(tracks.size() / 84), 84, tracks), ReadBytes(Tracks()));
    LoadDisc(info, SampleDisc(second.discId, "?", 3));
    EXPECT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ("Second track 3", info.trackTitles[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    DiscDatabaseShortFileTest,
    ::testing::Values(ShortFileCase{"EmptyTitles", "titles.sdb", 0, {}},
                      ShortFileCase{"EmptyTracks", "tracks.sdb", 0, {}},
                      ShortFileCase{"CutTitlesHeader", "titles.sdb", 10, {"Unable to open TITLE database file !!!"}},
                      ShortFileCase{"CutTracksHeader", "tracks.sdb", 23, {"Unable to open TRACK database file !!!"}}),
    [](const ::testing::TestParamInfo<ShortFileCase>& info) { return std::string(info.param.name); });

TEST_F(DiscDatabaseTest, LookUpWithoutFilesCreatesNone) {
    LoadDisc(info, SampleDisc(1, "Before", 2));
    EXPECT_FALSE(database.LookUpDisc(info));
    EXPECT_TRUE(ListDirectory(dir.Path()).empty());
    EXPECT_EQ("Before", info.discTitle);
}

TEST_F(DiscDatabaseTest, LookUpFillsTitlesAndKeepsTheRest) {
    StoredDisc stored = SampleDisc(0xABCDEF01, "Stored Title", 4);
    stored.category = "jazz";
    Store(stored);
    Store(SampleDisc(0x00000005, "Neighbour", 3));

    DiscInfo fresh;
    StoredDisc playing = SampleDisc(0xABCDEF01, "", 4);
    playing.trackTitles.assign(4, "");
    playing.category = "misc";
    LoadDisc(fresh, playing);
    ASSERT_TRUE(database.LookUpDisc(fresh));
    EXPECT_EQ("Stored Title", fresh.discTitle);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stored.trackTitles[i], fresh.trackTitles[i]);
    }
    EXPECT_EQ("", fresh.trackTitles[4]);
    EXPECT_EQ("misc", fresh.category);
    EXPECT_EQ(playing.startsMs.back(), fresh.tracks[4].startMs);

    LoadDisc(fresh, SampleDisc(0x12345678, "Unknown", 2));
    EXPECT_FALSE(database.LookUpDisc(fresh));
    EXPECT_EQ("Unknown", fresh.discTitle);
    EXPECT_EQ("Unknown track 1", fresh.trackTitles[0]);
}

// A "1.00" database holds its texts in the ANSI code page (Windows-1252 here): it reads as UTF-8,
// and the first store rewrites both files as "2.00" with every stored text converted.
TEST_F(DiscDatabaseTest, OldFilesReadInTheirCodePageAndTheFirstStoreConvertsThem) {
    WriteBytes(Titles(),
               RecordFileImage(1, 104, TitleBytes(9, "Caf\xE9 M\xFCller", "misc", 60000, 1), "Tarvikon", "1.00"));
    WriteBytes(Tracks(), RecordFileImage(1, 84, TrackBytes(9, 1, "\xDE\xFA ert", 60000), "Tarvikon", "1.00"));
    LoadDisc(info, SampleDisc(9, "", 1));
    ASSERT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ("Caf\xC3\xA9 M\xC3\xBCller", info.discTitle);
    EXPECT_EQ("\xC3\x9E\xC3\xBA ert", info.trackTitles[0]);
    DatabasePreview before = database.Preview();
    ASSERT_TRUE(before.Load());
    EXPECT_EQ(std::vector<std::string>{"Caf\xC3\xA9 M\xC3\xBCller - misc"}, before.DiscTexts(0, 1));
    EXPECT_EQ(std::vector<std::string>{"01 - (01:00): \xC3\x9E\xC3\xBA ert"}, before.TrackTexts(0));

    // A Cyrillic title cut by the field keeps whole letters: 34 of them (68 bytes), not 34.5.
    std::string cyrillic;
    for (int i = 0; i < 40; ++i) {
        cyrillic += "\xD0\xB2";
    }
    StoredDisc added = SampleDisc(10, cyrillic, 1);
    added.trackTitles[0] = "x" + cyrillic;
    Store(added);
    Bytes titles = TitleBytes(9, "Caf\xC3\xA9 M\xC3\xBCller", "misc", 60000, 1);
    Append(titles, TitleBytes(10, cyrillic.substr(0, 68), added.category, added.startsMs.back(), 1));
    EXPECT_EQ(RecordFileImage(2, 104, titles), ReadBytes(Titles()));
    Bytes tracks = TrackBytes(9, 1, "\xC3\x9E\xC3\xBA ert", 60000);
    Append(tracks, TrackBytes(10, 1, "x" + cyrillic.substr(0, 68), added.startsMs[1] - added.startsMs[0]));
    EXPECT_EQ(RecordFileImage(2, 84, tracks), ReadBytes(Tracks()));
}

TEST_F(DiscDatabaseTest, LookUpOfATitleWithoutTracksReplacesOnlyTheTitle) {
    WriteBytes(Titles(), RecordFileImage(1, 104, TitleBytes(9, "Lonely", "misc", 60000, 3)));
    WriteBytes(Tracks(), RecordFileImage(1, 84, TrackBytes(8, 1, "Someone else", 1000)));
    LoadDisc(info, SampleDisc(9, "Before", 3));
    ASSERT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ("Lonely", info.discTitle);
    EXPECT_EQ("Before track 1", info.trackTitles[0]);
}

TEST_F(DiscDatabaseTest, LookUpReadsNoMoreTracksThanTheFileAndTheSlotsHold) {
    // A damaged title record claims a huge track count; its run ends with the file.
    Bytes tracks;
    for (uint32_t i = 0; i < 120; ++i) {
        Append(tracks, TrackBytes(9, i + 1, "T" + std::to_string(i + 1), 1000));
    }
    WriteBytes(Titles(), RecordFileImage(1, 104, TitleBytes(9, "Many", "misc", 60000, 0xFFFFFFFF)));
    WriteBytes(Tracks(), RecordFileImage(120, 84, tracks));
    LoadDisc(info, SampleDisc(9, "Before", 1));
    ASSERT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ("T1", info.trackTitles[0]);
    EXPECT_EQ("T" + std::to_string(info.trackTitles.size()), info.trackTitles.back());

    WriteBytes(Tracks(), RecordFileImage(2, 84, Bytes(tracks.begin(), tracks.begin() + 2 * 84)));
    LoadDisc(info, SampleDisc(9, "Before", 3));
    ASSERT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ("T2", info.trackTitles[1]);
    EXPECT_EQ("Before track 3", info.trackTitles[2]);
}

TEST_F(DiscDatabaseTest, UnterminatedTextsReadAsTheWholeField) {
    Bytes title = TitleBytes(9, "", "misc", 60000, 1);
    std::fill(title.begin() + 4, title.begin() + 74, 'Q');
    Bytes track = TrackBytes(9, 1, "", 1000);
    std::fill(track.begin() + 8, track.begin() + 78, 'R');
    WriteBytes(Titles(), RecordFileImage(1, 104, title));
    WriteBytes(Tracks(), RecordFileImage(1, 84, track));
    LoadDisc(info, SampleDisc(9, "Before", 1));
    ASSERT_TRUE(database.LookUpDisc(info));
    EXPECT_EQ(std::string(70, 'Q'), info.discTitle);
    EXPECT_EQ(std::string(70, 'R'), info.trackTitles[0]);
}

TEST(DiscRecordsTest, CompareFunctionsOrderUnsignedBytes) {
    uint8_t low[104] = {};
    uint8_t high[104] = {};
    StoreLe32(low, 0x7FFFFFFF);
    StoreLe32(high, 0x80000000);
    EXPECT_LT(CompareDiscId(low, high), 0);
    EXPECT_GT(CompareDiscId(high, low), 0);
    EXPECT_EQ(0, CompareDiscId(high, high));

    auto title = [](const char* text) {
        Bytes record(104, 0);
        std::memcpy(record.data() + 4, text, std::strlen(text));
        return record;
    };
    Bytes upper = title("A");
    Bytes lower = title("a");
    Bytes accented = title("\xC9tude");
    Bytes longer = title("ab");
    EXPECT_EQ(-1, CompareTitleText(upper.data(), lower.data()));
    EXPECT_EQ(1, CompareTitleText(accented.data(), lower.data()));  // bytes above 127 sort last
    EXPECT_EQ(-1, CompareTitleText(lower.data(), longer.data()));
    EXPECT_EQ(0, CompareTitleText(longer.data(), title("ab").data()));
    // Titles that fill their field compare equal without looking at the category behind them.
    Bytes full1 = title(std::string(70, 'x').c_str());
    Bytes full2 = full1;
    full2[80] = 'z';
    EXPECT_EQ(0, CompareTitleText(full1.data(), full2.data()));
}

TEST(DiscRecordsTest, EncodeAndDecodeAreInverse) {
    TitleRecord title = MakeTitleRecord(0xDEADBEEF, "Disc", "newage", 123456, 7);
    uint8_t image[kTitleRecordLength];
    EncodeTitleRecord(title, image);
    EXPECT_EQ(TitleBytes(0xDEADBEEF, "Disc", "newage", 123456, 7), Bytes(image, image + sizeof image));
    TitleRecord back = DecodeTitleRecord(image);
    EXPECT_EQ(0, std::memcmp(&title, &back, sizeof title));

    TrackRecord track = MakeTrackRecord(0xDEADBEEF, 3, "Song", 99999);
    uint8_t trackImage[kTrackRecordLength];
    EncodeTrackRecord(track, trackImage);
    EXPECT_EQ(TrackBytes(0xDEADBEEF, 3, "Song", 99999), Bytes(trackImage, trackImage + sizeof trackImage));
    TrackRecord trackBack = DecodeTrackRecord(trackImage);
    EXPECT_EQ(0, std::memcmp(&track, &trackBack, sizeof track));
}

}  // namespace
}  // namespace discdeck
