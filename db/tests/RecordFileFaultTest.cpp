// Saves that fail part-way must leave the old file whole, readable and in no one's hands.
#include <gtest/gtest.h>

#include <functional>

#include "db/RecordFile.h"
#include "db/tests/TestSupport.h"

namespace discdeck {
namespace {

using testing_support::Bytes;
using testing_support::FaultyFilePort;
using testing_support::ListDirectory;
using testing_support::ReadBytes;
using testing_support::RecordFileImage;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr uint32_t kLength = 16;

struct SaveFault {
    const char* name;
    std::function<void(FaultyFilePort&)> arm;
};

std::ostream& operator<<(std::ostream& out, const SaveFault& fault) {
    return out << fault.name;
}

class RecordFileSaveFaultTest : public ::testing::TestWithParam<SaveFault> {
  protected:
    TempDir dir;
    FaultyFilePort files;
};

TEST_P(RecordFileSaveFaultTest, OldFileStaysIntact) {
    std::string path = dir.File("titles.sdb");
    Bytes records(5 * kLength);
    for (size_t i = 0; i < records.size(); ++i) {
        records[i] = static_cast<uint8_t>(i);
    }
    const Bytes original = RecordFileImage(5, kLength, records);
    WriteBytes(path, original);

    {
        RecordFile file(files);
        ASSERT_TRUE(file.Open(path, kLength));
        Bytes extra(kLength, 0xEE);
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(file.AppendRecord(extra.data()));
        }
        GetParam().arm(files);
        EXPECT_FALSE(file.Save());
        EXPECT_EQ(RecordFile::Failed, file.GetStatus());
        EXPECT_FALSE(file.Save());  // a failed object refuses further work
    }
    EXPECT_EQ(original, ReadBytes(path));
    EXPECT_EQ(std::vector<std::string>{"titles.sdb"}, ListDirectory(dir.Path()));  // no temporary left

    files.Disarm();
    RecordFile reader(files);
    ASSERT_TRUE(reader.Open(path, kLength));
    EXPECT_EQ(5u, reader.GetCount());
}

INSTANTIATE_TEST_SUITE_P(
    Faults,
    RecordFileSaveFaultTest,
    ::testing::Values(SaveFault{"WriteFailsInTheHeader", [](FaultyFilePort& f) { f.writeBudget = 10; }},
                      SaveFault{"WriteFailsInTheRecords", [](FaultyFilePort& f) { f.writeBudget = 24 + 7 * kLength; }},
                      SaveFault{"FlushFails", [](FaultyFilePort& f) { f.failFlush = true; }},
                      SaveFault{"ReplaceFails", [](FaultyFilePort& f) { f.failReplace = true; }},
                      SaveFault{"TemporaryCannotBeCreated", [](FaultyFilePort& f) { f.failCreate = true; }}),
    [](const ::testing::TestParamInfo<SaveFault>& info) { return std::string(info.param.name); });

TEST(RecordFileSaveTest, FailedReplaceStillHoldsTheOldFile) {
    TempDir dir;
    FaultyFilePort files;
    std::string path = dir.File("tracks.sdb");
    WriteBytes(path, RecordFileImage(0, kLength, {}));
    RecordFile file(files);
    ASSERT_TRUE(file.Open(path, kLength));
    files.failReplace = true;
    EXPECT_FALSE(file.Save());
    RecordFile other(files);
    EXPECT_FALSE(other.Open(path, kLength));
}

TEST(RecordFileSaveTest, TemporaryHeldByAnotherHandleIsNotTouched) {
    TempDir dir;
    FaultyFilePort files;
    std::string path = dir.File("tracks.sdb");
    const Bytes original = RecordFileImage(0, kLength, {});
    WriteBytes(path, original);
    WriteBytes(path + ".tmp", Bytes{1, 2, 3});
    std::unique_ptr<FileHandle> squatter = files.Open(path + ".tmp", FilePort::Access::ReadWrite);
    ASSERT_NE(nullptr, squatter);

    RecordFile file(files);
    ASSERT_TRUE(file.Open(path, kLength));
    Bytes extra(kLength, 1);
    ASSERT_TRUE(file.AppendRecord(extra.data()));
    EXPECT_FALSE(file.Save());
    EXPECT_EQ(original, ReadBytes(path));
    EXPECT_EQ((Bytes{1, 2, 3}), ReadBytes(path + ".tmp"));
}

}  // namespace
}  // namespace discdeck
