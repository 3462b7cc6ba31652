#include "db/RecordFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "db/tests/MappedScanCheck.h"
#include "db/tests/TestSupport.h"
#include "ports/PosixFilePort.h"

namespace discdeck {
namespace {

using testing_support::Bytes;
using testing_support::Le32;
using testing_support::ReadBytes;
using testing_support::RecordFileImage;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr uint32_t kLength = 8;

// An 8-byte record: a little-endian key, then a little-endian payload.
Bytes Record(uint32_t key, uint32_t payload) {
    Bytes record = Le32(key);
    Bytes tail = Le32(payload);
    record.insert(record.end(), tail.begin(), tail.end());
    return record;
}

Bytes Records(std::initializer_list<std::pair<uint32_t, uint32_t>> list) {
    Bytes bytes;
    for (const auto& entry : list) {
        Bytes record = Record(entry.first, entry.second);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

int CompareKeys(const void* a, const void* b) {
    uint32_t x = LoadLe32(a);
    uint32_t y = LoadLe32(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

class RecordFileTest : public ::testing::Test {
  protected:
    std::string Path() const { return dir.File("data.sdb"); }
    // Writes a file of the given records and opens it.
    void OpenWith(RecordFile& file, const Bytes& records) {
        WriteBytes(Path(), RecordFileImage(static_cast<uint32_t>(records.size() / kLength), kLength, records));
        ASSERT_TRUE(file.Open(Path(), kLength));
    }

    TempDir dir;
    PosixFilePort files;
};

TEST_F(RecordFileTest, CreateWritesTheHeaderOnly) {
    RecordFile file(files);
    ASSERT_TRUE(file.Create(Path(), 104));
    EXPECT_EQ(RecordFileImage(0, 104, {}, "Tarvikon", "1.00"), ReadBytes(Path()));
    EXPECT_FALSE(file.IsLoaded());  // Open must follow before records can be used

    ASSERT_TRUE(file.Create(dir.File("short.sdb"), 84, "2"));
    Bytes padded = RecordFileImage(0, 84, {}, "Tarvikon", "2\0\0\0");
    EXPECT_EQ(padded, ReadBytes(dir.File("short.sdb")));
    ASSERT_TRUE(file.Create(dir.File("long.sdb"), 84, "1.2345"));
    EXPECT_EQ(RecordFileImage(0, 84, {}, "Tarvikon", "1.23"), ReadBytes(dir.File("long.sdb")));
}

TEST_F(RecordFileTest, CreateNeverWritesOverAnExistingFile) {
    const Bytes existing = RecordFileImage(2, kLength, Records({{1, 1}, {2, 2}}));
    WriteBytes(Path(), existing);
    RecordFile file(files);
    EXPECT_FALSE(file.Create(Path(), kLength));
    EXPECT_EQ(RecordFile::Failed, file.GetStatus());
    EXPECT_EQ(existing, ReadBytes(Path()));
}

TEST_F(RecordFileTest, EmptyFileLoadsRoomForTenRecords) {
    RecordFile file(files);
    ASSERT_TRUE(file.Create(Path(), kLength));
    ASSERT_TRUE(file.Open(Path(), kLength));
    EXPECT_TRUE(file.IsLoaded());
    EXPECT_EQ(0u, file.GetCount());
    EXPECT_EQ(10 * kLength, file.GetCapacity());
    EXPECT_TRUE(file.Sort(CompareKeys));
    Bytes key = Le32(0);
    EXPECT_EQ(nullptr, file.Search(key.data(), CompareKeys));
    EXPECT_FALSE(file.FindFirst(key.data(), CompareKeys));
    EXPECT_FALSE(file.ReadRecord(0));
}

TEST_F(RecordFileTest, EleventhAppendGrowsToRoomForTwentyOneAndSaveStoresAll) {
    RecordFile file(files);
    ASSERT_TRUE(file.Create(Path(), kLength));
    ASSERT_TRUE(file.Open(Path(), kLength));
    Bytes expected;
    for (uint32_t i = 0; i < 11; ++i) {
        Bytes record = Record(100 - i, i);
        ASSERT_TRUE(file.AppendRecord(record.data()));
        expected.insert(expected.end(), record.begin(), record.end());
        EXPECT_EQ((i < 10 ? 10 : 21) * kLength, file.GetCapacity()) << "after append " << i + 1;
    }
    ASSERT_EQ(11u, file.GetCount());
    for (uint32_t i = 0; i < 11; ++i) {
        uint8_t record[kLength];
        ASSERT_TRUE(file.ReadRecord(i, record));
        EXPECT_EQ(0, std::memcmp(record, expected.data() + i * kLength, kLength));
    }
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(RecordFileImage(11, kLength, expected, "Tarvikon", "1.00"), ReadBytes(Path()));
}

TEST_F(RecordFileTest, ReadRecordCopiesAndBecomesCurrent) {
    RecordFile file(files);
    OpenWith(file, Records({{5, 50}, {6, 60}}));
    EXPECT_EQ(0u, file.GetCurrentIndex());
    ASSERT_TRUE(file.ReadRecord(1));
    EXPECT_EQ(1u, file.GetCurrentIndex());
    EXPECT_EQ(60u, LoadLe32(static_cast<const uint8_t*>(file.GetScratchRecord()) + 4));
    EXPECT_FALSE(file.ReadRecord(2));  // index equal to the count
    EXPECT_EQ(1u, file.GetCurrentIndex());
}

TEST_F(RecordFileTest, SaveAfterSortRewritesSortedRecordsUnderTheSameHeader) {
    // A foreign signature and version are neither checked nor replaced.
    Bytes records = Records({{3, 30}, {1, 10}, {2, 20}});
    WriteBytes(Path(), RecordFileImage(3, kLength, records, "Othersig", "0.99"));
    RecordFile file(files);
    ASSERT_TRUE(file.Open(Path(), kLength));
    ASSERT_TRUE(file.Sort(CompareKeys));
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(RecordFileImage(3, kLength, Records({{1, 10}, {2, 20}, {3, 30}}), "Othersig", "0.99"), ReadBytes(Path()));
}

TEST_F(RecordFileTest, UnsavedAppendsAreDiscarded) {
    Bytes image = RecordFileImage(1, kLength, Records({{1, 1}}));
    WriteBytes(Path(), image);
    {
        RecordFile file(files);
        ASSERT_TRUE(file.Open(Path(), kLength));
        Bytes record = Record(2, 2);
        ASSERT_TRUE(file.AppendRecord(record.data()));
    }
    EXPECT_EQ(image, ReadBytes(Path()));
}

TEST_F(RecordFileTest, SecondOpenOnTheSameObjectIsRefused) {
    RecordFile file(files);
    OpenWith(file, Records({{7, 70}}));
    EXPECT_FALSE(file.Open(Path(), kLength));
    EXPECT_EQ(RecordFile::Ready, file.GetStatus());
    ASSERT_EQ(1u, file.GetCount());
    ASSERT_TRUE(file.ReadRecord(0));
    EXPECT_EQ(7u, LoadLe32(file.GetScratchRecord()));
}

TEST_F(RecordFileTest, EverythingIsRefusedAfterClose) {
    RecordFile file(files);
    OpenWith(file, Records({{1, 1}, {2, 2}}));
    ASSERT_TRUE(file.ReadRecord(1));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(RecordFile::Closed, file.GetStatus());
    EXPECT_EQ(0u, file.GetCurrentIndex());
    EXPECT_EQ(0u, file.GetCount());
    Bytes record = Record(3, 3);
    EXPECT_FALSE(file.ReadRecord(0));
    EXPECT_FALSE(file.AppendRecord(record.data()));
    EXPECT_FALSE(file.Sort(CompareKeys));
    EXPECT_EQ(nullptr, file.Search(record.data(), CompareKeys));
    EXPECT_FALSE(file.FindFirst(record.data(), CompareKeys));
    EXPECT_FALSE(file.Save());
    EXPECT_FALSE(file.Close());
    // The object can be used again for the same file.
    ASSERT_TRUE(file.Open(Path(), kLength));
    EXPECT_EQ(2u, file.GetCount());
}

TEST_F(RecordFileTest, AnOpenFileIsInExclusiveUse) {
    WriteBytes(Path(), RecordFileImage(1, kLength, Records({{1, 1}})));
    RecordFile holder(files);
    ASSERT_TRUE(holder.Open(Path(), kLength));

    RecordFile other(files);
    EXPECT_FALSE(other.Exists(Path()));
    EXPECT_FALSE(other.Open(Path(), kLength));
    EXPECT_EQ(RecordFile::Ready, other.GetStatus());
    EXPECT_FALSE(other.Create(Path(), kLength));
    EXPECT_EQ(RecordFile::Failed, other.GetStatus());
    EXPECT_EQ(1u, holder.GetCount());  // a refused Create empties nothing

    // Still held after a save, which puts a new file in place.
    Bytes record = Record(2, 2);
    ASSERT_TRUE(holder.AppendRecord(record.data()));
    ASSERT_TRUE(holder.Save());
    EXPECT_FALSE(other.Open(Path(), kLength));

    ASSERT_TRUE(holder.Close());
    EXPECT_TRUE(other.Exists(Path()));
    ASSERT_TRUE(other.Open(Path(), kLength));
    EXPECT_EQ(2u, other.GetCount());
}

TEST_F(RecordFileTest, MissingFileLeavesTheStatusReadyForCreate) {
    RecordFile file(files);
    EXPECT_FALSE(file.Exists(Path()));
    EXPECT_FALSE(file.Open(Path(), kLength));
    EXPECT_EQ(RecordFile::Ready, file.GetStatus());
    ASSERT_TRUE(file.Create(Path(), kLength));
    EXPECT_TRUE(file.Open(Path(), kLength));
}

TEST_F(RecordFileTest, FailedCreateIsClearedByTheNextCreate) {
    RecordFile file(files);
    EXPECT_FALSE(file.Create(dir.File("no-such-dir/data.sdb"), kLength));
    EXPECT_EQ(RecordFile::Failed, file.GetStatus());
    EXPECT_FALSE(file.Create(Path(), 0));  // a record length of 0 can't make a record file
    EXPECT_EQ(RecordFile::Failed, file.GetStatus());
    EXPECT_TRUE(file.Create(Path(), kLength));
    EXPECT_EQ(RecordFile::Ready, file.GetStatus());
}

// Records whose compare calls note which side was the key, identified by its address.
struct ArgumentOrder {
    static const void* key;
    static int keyFirst;
    static int keySecond;
    static int Compare(const void* a, const void* b) {
        keyFirst += a == key;
        keySecond += b == key;
        return CompareKeys(a, b);
    }
};
const void* ArgumentOrder::key = nullptr;
int ArgumentOrder::keyFirst = 0;
int ArgumentOrder::keySecond = 0;

// Windows of 100 000 bytes over records of 84: no view starts on a page, the last part is read.
TEST_F(RecordFileTest, MappedScanVisitsWhatBlockReadsDo) {
    constexpr uint32_t kCount = 5000;
    constexpr uint32_t kRecord = 84;
    const Bytes image = testing_support::PatternedRecordFile(kCount, kRecord);
    WriteBytes(Path(), image);
    std::unique_ptr<FileHandle> file = files.Open(Path(), FilePort::Access::Read);
    ASSERT_TRUE(file);
    for (uint32_t first : {0u, 1u, 2999u, kCount - 1}) {
        SCOPED_TRACE(first);
        Bytes mapped = testing_support::VisitedRecords(*file, kRecord, first, 100000);
        EXPECT_EQ(testing_support::VisitedRecords(*file, kRecord, first, 0), mapped);
        EXPECT_TRUE(std::equal(mapped.begin(), mapped.end(), image.end() - (kCount - first) * kRecord, image.end()));
    }
}

TEST_F(RecordFileTest, SearchPassesTheKeyFirstAndFindFirstPassesItSecond) {
    RecordFile file(files);
    OpenWith(file, Records({{1, 0}, {4, 0}, {9, 0}, {12, 0}}));
    Bytes key = Le32(9);
    ArgumentOrder::key = key.data();

    ArgumentOrder::keyFirst = ArgumentOrder::keySecond = 0;
    const void* found = file.Search(key.data(), ArgumentOrder::Compare);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(9u, LoadLe32(found));
    EXPECT_GT(ArgumentOrder::keyFirst, 0);
    EXPECT_EQ(0, ArgumentOrder::keySecond);
    EXPECT_EQ(0u, file.GetCurrentIndex());  // Search does not move the current record

    ArgumentOrder::keyFirst = ArgumentOrder::keySecond = 0;
    ASSERT_TRUE(file.FindFirst(key.data(), ArgumentOrder::Compare));
    EXPECT_EQ(2u, file.GetCurrentIndex());
    EXPECT_EQ(0, ArgumentOrder::keyFirst);
    EXPECT_EQ(3, ArgumentOrder::keySecond);
}

TEST_F(RecordFileTest, FindFirstTakesTheLowestMatchAndAMissKeepsTheCurrentRecord) {
    RecordFile file(files);
    OpenWith(file, Records({{5, 1}, {3, 2}, {5, 3}, {3, 4}}));
    Bytes three = Le32(3);
    ASSERT_TRUE(file.FindFirst(three.data(), CompareKeys));
    EXPECT_EQ(1u, file.GetCurrentIndex());
    Bytes absent = Le32(8);
    EXPECT_FALSE(file.FindFirst(absent.data(), CompareKeys));
    EXPECT_EQ(1u, file.GetCurrentIndex());
}

// Headers and sizes that a damaged or hostile file may carry.
struct HostileFile {
    const char* name;
    Bytes image;
    bool opens;
    uint32_t count;  // records loaded when it opens
};

std::ostream& operator<<(std::ostream& out, const HostileFile& file) {
    return out << file.name;
}

Bytes Cut(Bytes image, size_t size) {
    image.resize(size);
    return image;
}

class RecordFileHostileTest : public ::testing::TestWithParam<HostileFile> {
  protected:
    TempDir dir;
    PosixFilePort files;
};

TEST_P(RecordFileHostileTest, OpensSafely) {
    const HostileFile& hostile = GetParam();
    std::string path = dir.File("hostile.sdb");
    WriteBytes(path, hostile.image);
    RecordFile file(files);
    ASSERT_EQ(hostile.opens, file.Open(path, kLength));
    if (!hostile.opens) {
        EXPECT_EQ(RecordFile::Failed, file.GetStatus());
        EXPECT_FALSE(file.IsLoaded());
        // The file is released: another object may open it (and fail the same way).
        RecordFile probe(files);
        EXPECT_TRUE(probe.Exists(path));
        return;
    }
    ASSERT_EQ(hostile.count, file.GetCount());
    EXPECT_EQ((hostile.count + 10) * kLength, file.GetCapacity());
    uint8_t record[kLength];
    for (uint32_t i = 0; i < hostile.count; ++i) {
        ASSERT_TRUE(file.ReadRecord(i, record));
        EXPECT_EQ(i + 1, LoadLe32(record));
    }
    EXPECT_FALSE(file.ReadRecord(hostile.count, record));
    // Appending and saving write a consistent file again.
    Bytes extra = Record(99, 99);
    ASSERT_TRUE(file.AppendRecord(extra.data()));
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(24 + (hostile.count + 1) * kLength, ReadBytes(path).size());
}

const Bytes kThree = Records({{1, 0}, {2, 0}, {3, 0}});

INSTANTIATE_TEST_SUITE_P(
    Headers,
    RecordFileHostileTest,
    ::testing::Values(
        HostileFile{"Exact", RecordFileImage(3, kLength, kThree), true, 3},
        HostileFile{"LastRecordCut", Cut(RecordFileImage(3, kLength, kThree), 24 + 2 * kLength + 5), true, 2},
        HostileFile{"CountBeyondFile", RecordFileImage(1000, kLength, kThree), true, 3},
        HostileFile{"CountAtMaximum", RecordFileImage(0xFFFFFFFFu, kLength, kThree), true, 3},
        // 0x20000001 records of 8 bytes wrap a 32-bit size to 8.
        HostileFile{"CountWrapsThirtyTwoBits", RecordFileImage(0x20000001u, kLength, kThree), true, 3},
        // A damaged count must not lose the records behind it.
        HostileFile{"CountBelowFile", RecordFileImage(2, kLength, kThree), true, 3},
        HostileFile{"CountBelowFileWithACutRecord", Cut(RecordFileImage(0, kLength, kThree), 24 + 2 * kLength + 5),
                    true, 2},
        HostileFile{"ForeignHeaderLength", RecordFileImage(3, kLength, kThree, "Tarvikon", "1.00", 4096), true, 3},
        HostileFile{"RecordLengthZero", RecordFileImage(3, 0, kThree), false, 0},
        HostileFile{"RecordLengthLarger", RecordFileImage(3, 1000, kThree), false, 0},
        HostileFile{"RecordLengthSmaller", RecordFileImage(3, kLength - 1, kThree), false, 0},
        HostileFile{"HeaderCut", Cut(RecordFileImage(0, kLength, {}), 20), false, 0},
        HostileFile{"Empty", Bytes{}, false, 0}),
    [](const ::testing::TestParamInfo<HostileFile>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace discdeck
