#include "setup/CabinetExtractor.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "setup/DosDateTime.h"
#include "setup/FileNameRules.h"
#include "setup/tests/support/CabinetWriter.h"
#include "setup/tests/support/DiskSetupFiles.h"
#include "setup/tests/support/MemorySetupFiles.h"
#include "setup/tests/support/SetupTestData.h"

namespace discdeck {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kTemp = "C:\\WINDOWS\\TEMP\\";
const std::string kCabinet = kTemp + "install.cab";

CabinetEntry Entry(const std::string& name, Bytes data) {
    CabinetEntry entry;
    entry.name = name;
    entry.data = std::move(data);
    return entry;
}

// DOS date and time of a file's modification time in UTC, as gcab stores it.
DosDateTime UtcStamp(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&time, &utc);
    DosDateTime stamp;
    stamp.year = utc.tm_year + 1900;
    stamp.month = utc.tm_mon + 1;
    stamp.day = utc.tm_mday;
    stamp.hour = utc.tm_hour;
    stamp.minute = utc.tm_min;
    stamp.second = utc.tm_sec;
    return stamp;
}

class CabinetExtractorTest : public ::testing::Test {
  protected:
    void SetUp() override { files.MakeDirectory(kTemp); }
    void TearDown() override { EXPECT_EQ(files.OpenCount(), 0) << "file handles left open"; }

    // Runs an extraction of cabinet from the package copy's place in the temporary directory.
    bool Extract(const Bytes& cabinet, CabinetExtractor::Options options = CabinetExtractor::Options()) {
        files.Put(kCabinet, cabinet);
        extractor = std::make_unique<CabinetExtractor>(files, kCabinet, kTemp, options);
        return extractor->Run();
    }

    bool CreatedAnything() const {
        for (const std::string& entry : files.log) {
            if (entry.rfind("create ", 0) == 0) {
                return true;
            }
        }
        return false;
    }

    MemorySetupFiles files;
    std::unique_ptr<CabinetExtractor> extractor;
};

// gcab's cabinets, stored and MSZIP: contents, DOS times and attributes of every file.
class GcabCabinetTest : public CabinetExtractorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GcabCabinetTest, UnpacksEveryFileWithItsTimeAndAttributes) {
    const std::vector<GcabInput> inputs = {
        {"readme.txt", TextBytes(5000, 1), 1012716306},       // 2002-02-03 06:05:06 UTC
        {"discdeck.exe", RandomBytes(70000, 2), 1600000000},  // spans three data blocks
        {"tracks.dat", TextBytes(200000, 3), 946684798},
    };
    const Bytes cabinet = MakeGcabCabinet(inputs, GetParam());
    ASSERT_FALSE(cabinet.empty()) << "gcab failed";

    ASSERT_TRUE(Extract(cabinet)) << extractor->GetErrorText();
    EXPECT_EQ(extractor->error().code, kCabinetNoError);
    EXPECT_EQ(extractor->GetErrorText(), "No error");
    EXPECT_EQ(extractor->info().fileCount, 3);
    EXPECT_EQ(extractor->info().folderCount, 1);
    EXPECT_EQ(extractor->info().length, cabinet.size());
    for (const GcabInput& input : inputs) {
        const std::string path = kTemp + input.name;
        ASSERT_TRUE(files.Has(path)) << path;
        EXPECT_EQ(files.files[path], input.data) << path;
        const DosDateTime stamp = UtcStamp(input.modified);
        EXPECT_EQ(files.times[path].date, stamp.PackDate()) << path;
        EXPECT_EQ(files.times[path].time, stamp.PackTime()) << path;
        EXPECT_EQ(files.attributes[path], 0x20) << path;
    }
    // Each file is closed before its time and attributes are set.
    EXPECT_THAT(std::vector<std::string>(files.log.end() - 4, files.log.end()),
                ElementsAre("create " + kTemp + "tracks.dat", "close " + kTemp + "tracks.dat",
                            "time " + kTemp + "tracks.dat", "attributes " + kTemp + "tracks.dat"));
}

INSTANTIATE_TEST_SUITE_P(StoredAndMszip, GcabCabinetTest, ::testing::Bool());

struct LzxCase {
    LzxBlockKind blocks;
    std::size_t repeatDistance;  // how far back the second copy of the first part lies
    int windowBits;
};

class LzxCabinetTest : public CabinetExtractorTest, public ::testing::WithParamInterface<LzxCase> {};

TEST_P(LzxCabinetTest, UnpacksFilesOfAnLzxFolder) {
    const LzxCase& param = GetParam();
    // Random data does not repeat by itself: the only matches are the far copy of the first part
    // and the text.
    const Bytes first = RandomBytes(300000, 7);
    Bytes big = first;
    const Bytes filler = RandomBytes(param.repeatDistance - first.size(), 8);
    big.insert(big.end(), filler.begin(), filler.end());
    big.insert(big.end(), first.begin(), first.end());

    CabinetLayout layout;
    layout.folders[0].kind = CabinetFolderLayout::Kind::Lzx;
    layout.folders[0].windowBits = param.windowBits;
    layout.folders[0].blocks = param.blocks;
    layout.files = {Entry("text.txt", TextBytes(100001, 9)), Entry("big.bin", big), Entry("empty.txt", Bytes()),
                    Entry("tail.txt", TextBytes(777, 10))};
    const Bytes cabinet = WriteCabinet(layout);

    ASSERT_TRUE(Extract(cabinet)) << extractor->GetErrorText();
    for (const CabinetEntry& entry : layout.files) {
        ASSERT_TRUE(files.Has(kTemp + entry.name)) << entry.name;
        EXPECT_TRUE(files.files[kTemp + entry.name] == entry.data) << entry.name;
    }
    if (param.blocks == LzxBlockKind::Verbatim && param.windowBits == 21) {
        // The far copy was coded as matches, so the 2 MB window really carried it.
        EXPECT_LT(cabinet.size(), big.size() + layout.files[0].data.size() - first.size() / 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Blocks,
                         LzxCabinetTest,
                         ::testing::Values(
                             // Past the 2 MB window's wrap, with an offset of 1.9 MB.
                             LzxCase{LzxBlockKind::Verbatim, 1900000, 21},
                             LzxCase{LzxBlockKind::Uncompressed, 400000, 21},
                             LzxCase{LzxBlockKind::Alternating, 400000, 21},
                             LzxCase{LzxBlockKind::LiteralsOnly, 400000, 21},
                             LzxCase{LzxBlockKind::Verbatim, 32000 + 300000, 15}));

TEST_F(CabinetExtractorTest, UnpacksFoldersOfDifferentKindsAndMasksAttributes) {
    CabinetLayout layout;
    layout.folders.resize(2);
    layout.folders[1].kind = CabinetFolderLayout::Kind::Lzx;
    layout.files = {Entry("stored.txt", TextBytes(40000, 1)), Entry("packed.txt", TextBytes(50000, 2))};
    layout.files[1].folder = 1;
    layout.files[0].attributes = 0xFF;  // every bit, including executable and UTF-8 name
    layout.files[1].attributes = 0x07;
    DosDateTime stamp;
    stamp.year = 2107;
    stamp.month = 12;
    stamp.day = 31;
    stamp.hour = 23;
    stamp.minute = 59;
    stamp.second = 58;
    layout.files[1].date = stamp.PackDate();
    layout.files[1].time = stamp.PackTime();
    layout.setId = 0xBEEF;
    layout.setIndex = 0;

    ASSERT_TRUE(Extract(WriteCabinet(layout))) << extractor->GetErrorText();
    EXPECT_EQ(files.files[kTemp + "stored.txt"], layout.files[0].data);
    EXPECT_EQ(files.files[kTemp + "packed.txt"], layout.files[1].data);
    EXPECT_EQ(files.attributes[kTemp + "stored.txt"], 0x27);
    EXPECT_EQ(files.attributes[kTemp + "packed.txt"], 0x07);
    EXPECT_EQ(files.times[kTemp + "packed.txt"].date, stamp.PackDate());
    EXPECT_EQ(files.times[kTemp + "packed.txt"].time, stamp.PackTime());
    EXPECT_EQ(extractor->info().folderCount, 2);
    EXPECT_EQ(extractor->info().setId, 0xBEEF);
    EXPECT_FALSE(extractor->info().hasPrevious);
    EXPECT_FALSE(extractor->info().hasNext);
    EXPECT_FALSE(extractor->info().hasReserve);
}

TEST_F(CabinetExtractorTest, IgnoresTheTrailerBytesAfterTheCabinet) {
    CabinetLayout layout;
    layout.files = {Entry("setup.exe", RandomBytes(1000, 1))};
    Bytes package = WriteCabinet(layout);
    const Bytes trailer = MakeTrailer("setup.exe", 204800);
    package.insert(package.end(), trailer.begin(), trailer.end());

    ASSERT_TRUE(Extract(package)) << extractor->GetErrorText();
    EXPECT_EQ(files.files[kTemp + "setup.exe"], layout.files[0].data);
}

TEST_F(CabinetExtractorTest, MissingCabinetIsNotFound) {
    extractor = std::make_unique<CabinetExtractor>(files, kTemp + "missing.cab", kTemp);
    EXPECT_FALSE(extractor->Run());
    EXPECT_EQ(extractor->error().code, kCabinetNotFound);
    EXPECT_TRUE(extractor->error().failed);
    EXPECT_EQ(extractor->GetErrorText(), "Cabinet not found");
}

TEST_F(CabinetExtractorTest, FileThatIsNoCabinetIsReportedAsSuch) {
    for (const Bytes& bytes : {Bytes(), Bytes{'M', 'Z'}, TextBytes(5000, 3), RandomBytes(100, 4)}) {
        EXPECT_FALSE(Extract(bytes));
        EXPECT_EQ(extractor->error().code, kCabinetNotACabinet);
        EXPECT_EQ(extractor->GetErrorText(), "Not a cabinet");
    }
    EXPECT_FALSE(CreatedAnything());
}

class CabinetVersionTest : public CabinetExtractorTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(CabinetVersionTest, OnlyVersionOnePointThreeIsUnpacked) {
    CabinetLayout layout;
    layout.versionMajor = static_cast<std::uint8_t>(GetParam().first);
    layout.versionMinor = static_cast<std::uint8_t>(GetParam().second);
    layout.files = {Entry("a.txt", TextBytes(10, 1))};
    EXPECT_FALSE(Extract(WriteCabinet(layout)));
    EXPECT_EQ(extractor->error().code, kCabinetUnknownVersion);
    EXPECT_EQ(extractor->GetErrorText(), "Unknown cabinet version");
    EXPECT_FALSE(CreatedAnything());
}

INSTANTIATE_TEST_SUITE_P(
    Versions,
    CabinetVersionTest,
    ::testing::Values(std::make_pair(1, 2), std::make_pair(2, 3), std::make_pair(0, 0), std::make_pair(3, 1)));

TEST_F(CabinetExtractorTest, DamagedCabinetsAreCorrupt) {
    CabinetLayout layout;
    layout.files = {Entry("a.txt", TextBytes(50000, 1)), Entry("b.txt", TextBytes(50000, 2))};
    const Bytes good = WriteCabinet(layout);

    Bytes badChecksum = good;
    badChecksum[good.size() - 100] ^= 0x55;
    EXPECT_FALSE(Extract(badChecksum));
    EXPECT_EQ(extractor->error().code, kCabinetCorrupt);
    EXPECT_EQ(extractor->GetErrorText(), "Corrupt cabinet");
    // a.txt was complete, b.txt partly written: neither stays.
    EXPECT_EQ(files.FilesIn(kTemp), std::vector<std::string>{kCabinet});

    const Bytes truncated(good.begin(), good.end() - 1000);
    EXPECT_FALSE(Extract(truncated));
    EXPECT_EQ(extractor->error().code, kCabinetCorrupt);

    const Bytes headerOnly(good.begin(), good.begin() + 20);
    EXPECT_FALSE(Extract(headerOnly));
    EXPECT_EQ(extractor->error().code, kCabinetCorrupt);

    // An empty file name is malformed for the library: nothing is created.
    CabinetLayout unnamed;
    unnamed.files = {Entry("", TextBytes(10, 1))};
    files.log.clear();
    EXPECT_FALSE(Extract(WriteCabinet(unnamed)));
    EXPECT_EQ(extractor->error().code, kCabinetCorrupt);
    EXPECT_FALSE(CreatedAnything());
}

TEST_F(CabinetExtractorTest, MszipDamageIsNotRepaired) {
    const Bytes cabinet = MakeGcabCabinet({{"a.txt", TextBytes(60000, 1), 1000000000}}, true);
    ASSERT_FALSE(cabinet.empty());
    Bytes damaged = cabinet;
    damaged[damaged.size() - 30] ^= 0xFF;
    EXPECT_FALSE(Extract(damaged));
    EXPECT_EQ(extractor->error().code, kCabinetCorrupt);
}

TEST_F(CabinetExtractorTest, LibraryMemoryIsCapped) {
    CabinetLayout layout;
    layout.folders[0].kind = CabinetFolderLayout::Kind::Lzx;
    layout.files = {Entry("a.txt", TextBytes(1000, 1))};
    CabinetExtractor::Options options;
    options.memoryLimit = 1 << 20;  // below the 2 MB window
    EXPECT_FALSE(Extract(WriteCabinet(layout), options));
    EXPECT_EQ(extractor->error().code, kCabinetNoMemory);
    EXPECT_EQ(extractor->GetErrorText(), "Memory allocation failed");

    options.memoryLimit = 1000;  // not even the context
    EXPECT_FALSE(Extract(WriteCabinet(layout), options));
    EXPECT_EQ(extractor->error().code, kCabinetNoMemory);
}

TEST_F(CabinetExtractorTest, UnknownCompressionIsRefusedBeforeWriting) {
    // A method without a decoder, and LZX windows outside 32 KB to 2 MB.
    for (std::uint16_t type : {std::uint16_t{0x0004}, std::uint16_t{0x000F}, std::uint16_t{0x1603},
                               std::uint16_t{0x0E03}, std::uint16_t{0x0902}}) {
        CabinetLayout layout;
        layout.folders[0].typeOverride = type;
        layout.files = {Entry("a.txt", TextBytes(100, 1))};
        EXPECT_FALSE(Extract(WriteCabinet(layout))) << type;
        EXPECT_EQ(extractor->error().code, kCabinetUnknownCompression) << type;
        EXPECT_EQ(extractor->GetErrorText(), "Unknown compression type");
    }
    EXPECT_FALSE(CreatedAnything());
}

TEST_F(CabinetExtractorTest, BrokenLzxDataFailsDecompressing) {
    CabinetLayout layout;
    layout.checksums = false;
    layout.folders[0].kind = CabinetFolderLayout::Kind::Lzx;
    layout.files = {Entry("a.txt", TextBytes(1000, 1))};
    Bytes cabinet = WriteCabinet(layout);
    // Header, folder, file entry and data block header come first. The first 16-bit word of the LZX
    // stream holds the E8 bit and the block type in its top bits: type 7 does not exist.
    const std::size_t data = 36 + 8 + 16 + sizeof("a.txt") + 8;
    cabinet[data + 1] |= 0x70;
    EXPECT_FALSE(Extract(cabinet));
    EXPECT_EQ(extractor->error().code, kCabinetDecompressFailure);
    EXPECT_EQ(extractor->GetErrorText(), "Failure decompressing data");
    EXPECT_EQ(files.FilesIn(kTemp), std::vector<std::string>{kCabinet});
}

TEST_F(CabinetExtractorTest, WriteFailureIsReported) {
    CabinetLayout layout;
    layout.files = {Entry("a.txt", TextBytes(100000, 1))};
    files.writeBudget = 50000;
    EXPECT_FALSE(Extract(WriteCabinet(layout)));
    EXPECT_EQ(extractor->error().code, kCabinetTargetWriteFailure);
    EXPECT_EQ(extractor->GetErrorText(), "Failure writing to target file");
}

TEST_F(CabinetExtractorTest, FileItDidNotCreateIsNeverWrittenAndOnlyTheRunsOwnAreRemoved) {
    CabinetLayout layout;
    layout.files = {Entry("first.txt", TextBytes(100, 1)), Entry("second.txt", TextBytes(100, 2)),
                    Entry("third.txt", TextBytes(100, 3))};
    layout.files[0].attributes = 0x01;
    // Planted before the run, as anybody could in a shared folder.
    files.Put(kTemp + "second.txt", Bytes(7, 'o'));

    EXPECT_FALSE(Extract(WriteCabinet(layout)));
    EXPECT_EQ(extractor->error().code, kCabinetUserAborted);
    EXPECT_EQ(extractor->GetErrorText(), "Cannot create second.txt: The file exists.");
    // The read-only first.txt of this run is gone; the planted second.txt is untouched.
    EXPECT_EQ(files.FilesIn(kTemp), (std::vector<std::string>{kCabinet, kTemp + "second.txt"}));
    EXPECT_EQ(files.files[kTemp + "second.txt"], Bytes(7, 'o'));
}

TEST_F(CabinetExtractorTest, NamesBecomeUtf8) {
    CabinetLayout layout;
    layout.files = {Entry("\xFC"
                          "ber.txt",
                          TextBytes(10, 1)),
                    Entry("\u03A3\u03C9.txt", TextBytes(10, 2))};
    layout.files[1].attributes = 0xA0;  // UTF-8 name
    ASSERT_TRUE(Extract(WriteCabinet(layout))) << extractor->GetErrorText();
    EXPECT_EQ(files.files[kTemp + "\u00FCber.txt"], layout.files[0].data);
    EXPECT_EQ(files.files[kTemp + "\u03A3\u03C9.txt"], layout.files[1].data);
}

TEST_F(CabinetExtractorTest, CabinetsOfASetAreRefused) {
    for (std::uint16_t flags : {std::uint16_t{0x01}, std::uint16_t{0x02}, std::uint16_t{0x03}}) {
        CabinetLayout layout;
        layout.flags = flags;
        layout.files = {Entry("a.txt", TextBytes(100, 1))};
        EXPECT_FALSE(Extract(WriteCabinet(layout)));
        EXPECT_EQ(extractor->error().code, kCabinetSpansCabinets);
        EXPECT_EQ(extractor->GetErrorText(), "Cabinet continues into or from another cabinet");
    }
    EXPECT_FALSE(CreatedAnything());
}

class HostileNameTest : public CabinetExtractorTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(HostileNameTest, RefusesThePackageBeforeWritingAnything) {
    CabinetLayout layout;
    // The hostile name comes last: the harmless files before it must not be written either.
    layout.files = {Entry("readme.txt", TextBytes(100, 1)), Entry(GetParam(), TextBytes(100, 2))};
    layout.files[1].attributes = 0xA0;  // the name as it stands, marked UTF-8
    EXPECT_FALSE(Extract(WriteCabinet(layout)));
    EXPECT_EQ(extractor->error().code, kCabinetUnsafeFileName);
    EXPECT_EQ(extractor->GetErrorText(), "Unsafe file name in cabinet: \"" + PrintableName(GetParam()) + "\"");
    EXPECT_FALSE(CreatedAnything());
    EXPECT_EQ(files.FilesIn(kTemp), std::vector<std::string>{kCabinet});
}

INSTANTIATE_TEST_SUITE_P(Names,
                         HostileNameTest,
                         ::testing::Values("..\\..\\WINDOWS\\system32\\evil.dll",
                                           "..",
                                           ".",
                                           "sub/evil.exe",
                                           "\\evil.exe",
                                           "C:\\evil.exe",
                                           "D:evil.exe",
                                           "evil.exe.",
                                           "evil.exe ",
                                           std::string("evil\x1b.exe"),
                                           "evil?.exe",
                                           "evil*.exe",
                                           "<evil>",
                                           "evil|more",
                                           "\"evil\"",
                                           "NUL",
                                           "con.txt",
                                           "COM3",
                                           "lpt1.dat",
                                           "AUX.tar.gz",
                                           "COM\u00B2",
                                           "install.cab",
                                           "INSTALL.Cab",
                                           std::string("\xFC"
                                                       "ber.txt")));

TEST_F(CabinetExtractorTest, NamesThatDifferOnlyInCaseAreRefused) {
    CabinetLayout layout;
    layout.files = {Entry("Setup.EXE", TextBytes(100, 1)), Entry("readme.txt", TextBytes(100, 2)),
                    Entry("setup.exe", TextBytes(100, 3))};
    EXPECT_FALSE(Extract(WriteCabinet(layout)));
    EXPECT_EQ(extractor->error().code, kCabinetDuplicateFileName);
    EXPECT_EQ(extractor->GetErrorText(), "File name appears twice in cabinet: \"setup.exe\"");
    EXPECT_FALSE(CreatedAnything());
}

TEST_F(CabinetExtractorTest, TargetPathsMustFitTheirBuffer) {
    // 255 characters and the terminator fill the 256-character buffer exactly.
    const std::string longest(255 - kTemp.size(), 'n');
    CabinetLayout layout;
    layout.files = {Entry(longest, TextBytes(10, 1))};
    ASSERT_TRUE(Extract(WriteCabinet(layout))) << extractor->GetErrorText();
    EXPECT_TRUE(files.Has(kTemp + longest));

    layout.files = {Entry("short.txt", TextBytes(10, 1)), Entry(longest + "n", TextBytes(10, 2))};
    files.log.clear();
    EXPECT_FALSE(Extract(WriteCabinet(layout)));
    EXPECT_EQ(extractor->error().code, kCabinetTargetPathTooLong);
    EXPECT_THAT(extractor->GetErrorText(), HasSubstr("Target path too long: \"nnn"));
    EXPECT_FALSE(CreatedAnything());
}

TEST(CabinetErrorText, NamesEveryCode) {
    const char* const expected[] = {"No error",
                                    "Cabinet not found",
                                    "Not a cabinet",
                                    "Unknown cabinet version",
                                    "Corrupt cabinet",
                                    "Memory allocation failed",
                                    "Unknown compression type",
                                    "Failure decompressing data",
                                    "Failure writing to target file",
                                    "Cabinets in set have different RESERVE sizes",
                                    "Cabinet returned on fdintNEXT_CABINET is incorrect",
                                    "User aborted"};
    for (int code = 0; code < 12; ++code) {
        EXPECT_EQ(CabinetErrorText(code), expected[code]) << code;
    }
    for (int code : {-1, 16, 99, static_cast<int>(kCabinetInternalError)}) {
        EXPECT_EQ(CabinetErrorText(code), "Sorry, internal error ...") << code;
    }
}

// On a real disk: gcab's MSZIP cabinet, file modification times restored from the DOS times taken
// as local time, read-only files without write permission.
TEST(CabinetExtractorDisk, RestoresContentsTimesAndReadOnlyFiles) {
    const char* oldZone = std::getenv("TZ");
    const std::string savedZone = oldZone != nullptr ? oldZone : "";
    setenv("TZ", "UTC", 1);
    tzset();

    TempDirectory directory;
    const std::vector<GcabInput> inputs = {{"one.txt", TextBytes(3000, 1), 1234567890},
                                           {"two.bin", RandomBytes(100000, 2), 1500000000}};
    CabinetLayout readOnly;
    readOnly.files = {Entry("locked.txt", TextBytes(100, 3))};
    readOnly.files[0].attributes = 0x21;
    ASSERT_TRUE(WriteWholeFile(directory.path() + "gcab.cab", MakeGcabCabinet(inputs, true)));
    ASSERT_TRUE(WriteWholeFile(directory.path() + "locked.cab", WriteCabinet(readOnly)));

    DiskSetupFiles disk;
    CabinetExtractor gcabRun(disk, directory.path() + "gcab.cab", directory.path());
    ASSERT_TRUE(gcabRun.Run()) << gcabRun.GetErrorText();
    CabinetExtractor lockedRun(disk, directory.path() + "locked.cab", directory.path());
    ASSERT_TRUE(lockedRun.Run()) << lockedRun.GetErrorText();

    for (const GcabInput& input : inputs) {
        const std::string path = directory.path() + input.name;
        EXPECT_EQ(ReadWholeFile(path), input.data) << path;
        struct stat status {};
        ASSERT_EQ(stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mtime, input.modified) << path;
    }
    struct stat locked {};
    ASSERT_EQ(stat((directory.path() + "locked.txt").c_str(), &locked), 0);
    EXPECT_EQ(locked.st_mode & 0222, 0u);

    if (oldZone != nullptr) {
        setenv("TZ", savedZone.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
}  // namespace discdeck
