#include "setup/PackageCopy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "setup/tests/support/CabinetWriter.h"
#include "setup/tests/support/MemorySetupFiles.h"
#include "setup/tests/support/RecordingView.h"
#include "setup/tests/support/SetupTestData.h"

namespace discdeck {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kSetup = "C:\\Downloads\\setup.exe";
const std::string kCopy = "C:\\WINDOWS\\TEMP\\install.cab";

class PackageCopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        files.MakeDirectory("C:\\WINDOWS\\TEMP");
        files.MakeDirectory("C:\\Downloads");
        CabinetLayout layout;
        layout.files = {{"discdeck.exe", RandomBytes(3000, 1)}};
        cabinet = WriteCabinet(layout);
    }
    void TearDown() override { EXPECT_EQ(files.OpenCount(), 0) << "file handles left open"; }

    PackageTrailer Copy() { return CopyPackage(files, kSetup, kCopy, view); }

    // Expects a FileError whose text contains part; returns its text.
    std::string CopyFails(const std::string& part) {
        try {
            Copy();
        } catch (const FileError& error) {
            EXPECT_THAT(error.what(), HasSubstr(part));
            return error.what();
        }
        ADD_FAILURE() << "no file error";
        return std::string();
    }

    MemorySetupFiles files;
    RecordingView view;
    Bytes cabinet;
};

TEST_F(PackageCopyTest, CopiesThePackageAndShowsEachStep) {
    const Bytes image = RandomBytes(1024, 2);
    const Bytes setup = MakeSetupFile(image, cabinet, "discdeck.exe");
    files.Put(kSetup, setup);

    const PackageTrailer trailer = Copy();

    EXPECT_EQ(trailer.name, "discdeck.exe");
    EXPECT_EQ(trailer.offset, 1024u);
    // The package runs to the end of the file, trailer included.
    EXPECT_EQ(files.files[kCopy], Bytes(setup.begin() + 1024, setup.end()));
    char allocate[100];
    std::snprintf(allocate, sizeof allocate, "note Allocate buffer: %08zu B ( Package: %06zu / Header: 001024 )",
                  cabinet.size() + 34, setup.size());
    EXPECT_THAT(view.events,
                ElementsAre("status Read setup file ...", "status Read offset ...", "progress 1", allocate,
                            "status Writing of package ...", "status Closing of package ...", "progress 2"));
    EXPECT_EQ(files.files[kSetup], setup);
}

TEST_F(PackageCopyTest, TrailerNameRunsToItsFirstNulOrAllThirtyBytes) {
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz.exe";
    ASSERT_EQ(thirty.size(), 30u);
    files.Put(kSetup, MakeSetupFile(Bytes(10, 0), cabinet, thirty));
    EXPECT_EQ(Copy().name, thirty);
    files.files.erase(kCopy);  // each copy is a new file

    Bytes setup = MakeSetupFile(Bytes(10, 0), cabinet, "go.exe");
    const std::size_t nameField = setup.size() - 34;
    setup[nameField + 7] = 'x';  // after the NUL: not part of the name
    files.Put(kSetup, setup);
    EXPECT_EQ(Copy().name, "go.exe");
}

TEST_F(PackageCopyTest, OffsetIsLittleEndian) {
    const Bytes image(0x012345, 0x90);
    files.Put(kSetup, MakeSetupFile(image, cabinet, "a.exe"));
    EXPECT_EQ(Copy().offset, 0x012345u);
    EXPECT_EQ(files.files[kCopy].size(), cabinet.size() + 34);
}

TEST_F(PackageCopyTest, MissingSetupFileLeavesNoCopy) {
    const std::string text = CopyFails("Cannot open " + kSetup);
    EXPECT_THAT(text, HasSubstr("cannot find the file"));
    EXPECT_FALSE(files.Has(kCopy));
    EXPECT_TRUE(view.events.empty());
}

TEST_F(PackageCopyTest, CopyThatCannotBeCreatedIsAFileErrorAndStaysAsItWas) {
    files.Put(kSetup, MakeSetupFile(Bytes(10, 0), cabinet, "a.exe"));
    files.Put(kCopy, Bytes(5, 'k'));
    CopyFails("Cannot create " + kCopy + ": The file exists.");
    EXPECT_EQ(files.files[kCopy], Bytes(5, 'k'));
}

TEST_F(PackageCopyTest, DamagedTrailersAreRefusedBeforeAnythingIsAllocated) {
    files.Put(kSetup, Bytes(33, 'x'));
    CopyFails("cannot hold a package");

    // An offset far beyond the file: no allocation of its size, no read past the end.
    Bytes setup = MakeSetupFile(Bytes(100, 0), cabinet, "a.exe");
    for (int i = 0; i < 4; ++i) {
        setup[setup.size() - 4 + i] = 0xFF;
    }
    files.Put(kSetup, setup);
    CopyFails("package offset 4294967295 lies beyond the end");

    // Room for the trailer but not for a cabinet.
    files.Put(kSetup, MakeSetupFile(Bytes(100, 0), Bytes(20, 'c'), "a.exe"));
    CopyFails("holds no cabinet");
    // An offset into the trailer itself.
    files.Put(kSetup, MakeSetupFile(Bytes(100, 0), Bytes(), "a.exe"));
    CopyFails("holds no cabinet");
    EXPECT_THAT(view.events, ::testing::Not(::testing::Contains("progress 1")));
}

TEST_F(PackageCopyTest, TrailerMustNameAPlainFile) {
    for (const std::string name : {"", "..\\..\\cmd.exe", "C:\\evil.exe", "CON", "x?.exe"}) {
        files.Put(kSetup, MakeSetupFile(Bytes(10, 0), cabinet, name));
        CopyFails("names no valid program to start");
    }
}

// A PE image of 1024 bytes whose security directory (PE32 or PE32+) gives the certificate table's
// file offset and size.
Bytes PeImage(bool pe32Plus, std::uint32_t tableOffset, std::uint32_t tableSize) {
    Bytes image(1024, 0);
    auto put32 = [&image](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    put32(0, 0x5A4D);  // "MZ"
    put32(0x3C, 0x80);
    put32(0x80, 0x4550);  // "PE\0\0"
    const std::size_t optional = 0x80 + 4 + 20;
    put32(optional, pe32Plus ? 0x20B : 0x10B);  // the optional header's magic
    const std::size_t count = optional + (pe32Plus ? 108 : 92);
    put32(count, 16);
    put32(count + 4 + 4 * 8, tableOffset);
    put32(count + 4 + 4 * 8 + 4, tableSize);
    return image;
}

struct SignatureCase {
    const char* name;
    bool pe32Plus;
    std::uint32_t certificateSize;  // 0: unsigned
    int tableEndShift;              // the directory's end against the file's end
};

class SignedSetupTest : public PackageCopyTest, public ::testing::WithParamInterface<SignatureCase> {};

// Signing appends the certificate table after the trailer; the package is found before it.
TEST_P(SignedSetupTest, TrailerIsFoundBeforeTheCertificateTable) {
    const SignatureCase& sample = GetParam();
    const Bytes unsignedFile = MakeSetupFile(PeImage(false, 0, 0), cabinet, "install.exe");
    const std::uint32_t tableOffset = sample.certificateSize == 0 ? 0 : static_cast<std::uint32_t>(unsignedFile.size());
    Bytes setup = MakeSetupFile(PeImage(sample.pe32Plus, tableOffset, sample.certificateSize + sample.tableEndShift),
                                cabinet, "install.exe");
    const Bytes certificate = RandomBytes(sample.certificateSize, 9);
    setup.insert(setup.end(), certificate.begin(), certificate.end());
    files.Put(kSetup, setup);

    if (sample.tableEndShift != 0) {
        CopyFails("its signature does not end the file");
        return;
    }
    EXPECT_EQ(Copy().name, "install.exe");
    EXPECT_EQ(files.files[kCopy], Bytes(setup.begin() + 1024, setup.begin() + unsignedFile.size()));
}

INSTANTIATE_TEST_SUITE_P(Signatures,
                         SignedSetupTest,
                         ::testing::Values(SignatureCase{"Unsigned", false, 0, 0},
                                           SignatureCase{"Pe32", false, 1480, 0},
                                           SignatureCase{"Pe32Plus", true, 2056, 0},
                                           SignatureCase{"TableShort", false, 1480, -8},
                                           SignatureCase{"TableBeyondTheEnd", false, 1480, 8}),
                         [](const ::testing::TestParamInfo<SignatureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace discdeck
