// The Windows file port under the record file engine: exclusive use through share mode 0 and saves
// that replace the file in one step or not at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "cdaudio/DiscInfo.h"
#include "db/DiscDatabase.h"
#include "db/RecordFile.h"
#include "db/tests/MappedScanCheck.h"
#include "ports/MessageSink.h"
#include "ports/win/WinFilePort.h"

namespace discdeck {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kLength = 12;

class WinFilePortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char base[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, base));
        dir = std::string(base) + "discdeck-db-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name != "." && name != "..") {
                    std::string path = dir + "\\" + name;
                    if (!DeleteFileA(path.c_str())) {
                        RemoveDirectoryA(path.c_str());
                    }
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(dir.c_str());
    }
    std::string File(const std::string& name) const { return dir + "\\" + name; }

    static Bytes Read(const std::string& path) {
        Bytes bytes;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "cannot read " << path;
            return bytes;
        }
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        CloseHandle(file);
        return bytes;
    }

    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // A record file of `count` records whose bytes are their index.
    void MakeFile(const std::string& path, uint32_t count) {
        RecordFile file(files);
        ASSERT_TRUE(file.Create(path, kLength));
        ASSERT_TRUE(file.Open(path, kLength));
        for (uint32_t i = 0; i < count; ++i) {
            Bytes record(kLength, static_cast<uint8_t>(i));
            ASSERT_TRUE(file.AppendRecord(record.data()));
        }
        ASSERT_TRUE(file.Save());
    }

    std::string dir;
    WinFilePort files;
};

TEST_F(WinFilePortTest, OpenFileIsExclusive) {
    std::string path = File("titles.sdb");
    MakeFile(path, 2);
    RecordFile holder(files);
    ASSERT_TRUE(holder.Open(path, kLength));

    RecordFile second(files);
    EXPECT_FALSE(second.Open(path, kLength));
    EXPECT_FALSE(second.Exists(path));
    EXPECT_FALSE(second.Create(path, kLength));
    HANDLE sharing =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, sharing);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    if (sharing != INVALID_HANDLE_VALUE) {
        CloseHandle(sharing);
    }
    EXPECT_EQ(2u, holder.GetCount());

    ASSERT_TRUE(holder.Close());
    EXPECT_TRUE(second.Open(path, kLength));
}

TEST_F(WinFilePortTest, SaveReplacesTheFileAndKeepsHoldingIt) {
    std::string path = File("tracks.sdb");
    MakeFile(path, 3);
    RecordFile file(files);
    ASSERT_TRUE(file.Open(path, kLength));
    Bytes record(kLength, 0x77);
    ASSERT_TRUE(file.AppendRecord(record.data()));
    ASSERT_TRUE(file.Save());

    RecordFile other(files);
    EXPECT_FALSE(other.Open(path, kLength));
    EXPECT_FALSE(Exists(path + ".tmp"));
    ASSERT_TRUE(file.Close());

    Bytes saved = Read(path);
    ASSERT_EQ(24u + 4 * kLength, saved.size());
    EXPECT_EQ(4u, saved[12]);
    EXPECT_EQ(Bytes(kLength, 2), Bytes(saved.begin() + 24 + 2 * kLength, saved.begin() + 24 + 3 * kLength));
    EXPECT_EQ(record, Bytes(saved.end() - kLength, saved.end()));
}

TEST_F(WinFilePortTest, FailedSaveKeepsTheOldFile) {
    std::string path = File("titles.sdb");
    MakeFile(path, 3);
    const Bytes original = Read(path);
    // The new image can't be written where it has to go.
    ASSERT_TRUE(CreateDirectoryA((path + ".tmp").c_str(), nullptr));
    {
        RecordFile file(files);
        ASSERT_TRUE(file.Open(path, kLength));
        Bytes record(kLength, 0x55);
        ASSERT_TRUE(file.AppendRecord(record.data()));
        EXPECT_FALSE(file.Save());
        EXPECT_EQ(RecordFile::Failed, file.GetStatus());
    }
    EXPECT_EQ(original, Read(path));
    RecordFile reader(files);
    ASSERT_TRUE(reader.Open(path, kLength));
    EXPECT_EQ(3u, reader.GetCount());
}

// The Windows port with a write that stops part-way, as on a full disk.
class ShortWritePort : public FilePort {
  public:
    class Handle : public FileHandle {
      public:
        explicit Handle(std::unique_ptr<FileHandle> real) : real(std::move(real)) {}
        bool Read(void* buffer, size_t size, size_t& got) override { return real->Read(buffer, size, got); }
        bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t& got) override {
            return real->ReadAt(offset, buffer, size, got);
        }
        bool Write(const void* data, size_t size) override {
            real->Write(data, size / 2);
            return false;
        }
        bool Seek(uint64_t offset) override { return real->Seek(offset); }
        bool GetSize(uint64_t& size) override { return real->GetSize(size); }
        bool Flush() override { return real->Flush(); }
        bool Close() override { return real->Close(); }
        FileFailure ReplaceTarget(const std::string& target, std::unique_ptr<FileHandle>& previous) override {
            return real->ReplaceTarget(target, previous);
        }

      private:
        std::unique_ptr<FileHandle> real;
    };
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, Access access, FileFailure& failure) override {
        std::unique_ptr<FileHandle> handle = real.OpenFile(path, access, failure);
        if (handle && access == Access::Overwrite) {
            return std::make_unique<Handle>(std::move(handle));
        }
        return handle;
    }
    bool Remove(const std::string& path) override { return real.Remove(path); }
    WinFilePort real;
};

TEST_F(WinFilePortTest, SaveFailingPartWayKeepsTheOldFileAndRemovesTheTemporary) {
    std::string path = File("tracks.sdb");
    MakeFile(path, 5);
    const Bytes original = Read(path);
    ShortWritePort failing;
    {
        RecordFile file(failing);
        ASSERT_TRUE(file.Open(path, kLength));
        Bytes record(kLength, 0x99);
        ASSERT_TRUE(file.AppendRecord(record.data()));
        EXPECT_FALSE(file.Save());
    }
    EXPECT_EQ(original, Read(path));
    EXPECT_FALSE(Exists(path + ".tmp"));
}

// What each open tells: a held file is busy, never missing, and neither creating nor overwriting
// touches it; a new file is never made over an existing one.
TEST_F(WinFilePortTest, OpenTellsMissingFromBusyAndRefused) {
    std::string held = File("held.sdb");
    ASSERT_TRUE(WriteWholeFile(files, held, "kept"));
    ASSERT_TRUE(CreateDirectoryA(File("folder").c_str(), nullptr));
    std::unique_ptr<FileHandle> holder = files.Open(held, FilePort::Access::Read);
    ASSERT_NE(nullptr, holder);
    struct Case {
        std::string path;
        FilePort::Access access;
        FileFailure failure;
    };
    for (const Case& c : std::vector<Case>{
             {File("missing.sdb"), FilePort::Access::ReadWrite, FileFailure::NotFound},
             {File("no-folder\\x.sdb"), FilePort::Access::CreateNew, FileFailure::NotFound},
             {held, FilePort::Access::Read, FileFailure::Busy},
             {held, FilePort::Access::ReadWrite, FileFailure::Busy},
             {held, FilePort::Access::CreateNew, FileFailure::Exists},
             {held, FilePort::Access::Overwrite, FileFailure::Busy},
             {File("folder"), FilePort::Access::ReadWrite, FileFailure::Refused},
         }) {
        FileFailure failure = FileFailure::None;
        EXPECT_EQ(nullptr, files.OpenFile(c.path, c.access, failure)) << c.path;
        EXPECT_EQ(c.failure, failure) << c.path << " " << static_cast<int>(c.access);
    }
    holder.reset();
    EXPECT_EQ(Bytes({'k', 'e', 'p', 't'}), Read(held));
    EXPECT_NE(nullptr, files.Open(File("new.sdb"), FilePort::Access::CreateNew));
}

// A finished file takes the target's place with or without an old file there, and stays held; a
// target that another program holds keeps the rename from happening.
TEST_F(WinFilePortTest, ReplaceTargetSwapsInOneStepAndKeepsTheFile) {
    std::string target = File("target.bin");
    auto fresh = [this](const std::string& text) {
        std::unique_ptr<FileHandle> file = files.Open(File("new.tmp"), FilePort::Access::Overwrite);
        EXPECT_TRUE(file && file->Write(text.data(), text.size()) && file->Flush());
        return file;
    };
    std::unique_ptr<FileHandle> none;
    std::unique_ptr<FileHandle> first = fresh("first");
    ASSERT_EQ(FileFailure::None, first->ReplaceTarget(target, none));  // nothing to replace yet
    EXPECT_EQ(nullptr, files.Open(target, FilePort::Access::Read));    // still ours
    EXPECT_FALSE(Exists(File("new.tmp")));

    std::unique_ptr<FileHandle> second = fresh("second");
    ASSERT_EQ(FileFailure::None, second->ReplaceTarget(target, first));
    EXPECT_EQ(nullptr, first);
    second.reset();
    EXPECT_EQ(Bytes({'s', 'e', 'c', 'o', 'n', 'd'}), Read(target));

    std::unique_ptr<FileHandle> elsewhere = WinFilePort().Open(target, FilePort::Access::Read);
    std::unique_ptr<FileHandle> third = fresh("third");
    EXPECT_EQ(FileFailure::Busy, third->ReplaceTarget(target, none));
    elsewhere.reset();
    EXPECT_EQ(Bytes({'s', 'e', 'c', 'o', 'n', 'd'}), Read(target));
    EXPECT_EQ(FileFailure::None, third->ReplaceTarget(target, none));  // once it is let go
}

// The player opens its database by bare name in the current folder; replacing must work there too.
TEST_F(WinFilePortTest, ReplaceWorksWithBareNamesInTheCurrentFolder) {
    char previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(MAX_PATH, previous));
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    ASSERT_TRUE(WriteWholeFile(files, "bare.bin", "old"));
    std::unique_ptr<FileHandle> old = files.Open("bare.bin", FilePort::Access::ReadWrite);
    std::unique_ptr<FileHandle> image = files.Open("bare.tmp", FilePort::Access::Overwrite);
    bool written = image && image->Write("new", 3);
    FileFailure replaced = image ? image->ReplaceTarget("bare.bin", old) : FileFailure::Refused;
    image.reset();
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(written);
    ASSERT_EQ(FileFailure::None, replaced);
    EXPECT_EQ(Bytes({'n', 'e', 'w'}), Read(File("bare.bin")));
    EXPECT_FALSE(Exists(File("bare.tmp")));
}

// Views start on the 64 KB granularity, never where the records do; and once the scan is over
// nothing of it keeps the file from being replaced.
TEST_F(WinFilePortTest, MappedScanVisitsWhatBlockReadsDoAndLetsTheFileBeReplaced) {
    constexpr uint32_t kCount = 5000;
    constexpr uint32_t kRecord = 84;
    const Bytes image = testing_support::PatternedRecordFile(kCount, kRecord);
    ASSERT_TRUE(WriteWholeFile(files, File("scan.sdb"), std::string(image.begin(), image.end())));
    std::unique_ptr<FileHandle> file = files.Open(File("scan.sdb"), FilePort::Access::ReadWrite);
    ASSERT_TRUE(file);
    for (uint32_t first : {0u, 2999u}) {
        Bytes mapped = testing_support::VisitedRecords(*file, kRecord, first, 100000);
        EXPECT_EQ(testing_support::VisitedRecords(*file, kRecord, first, 0), mapped) << first;
        EXPECT_EQ(Bytes(image.end() - (kCount - first) * kRecord, image.end()), mapped) << first;
    }
    std::unique_ptr<FileHandle> replacement = files.Open(File("scan.tmp"), FilePort::Access::Overwrite);
    ASSERT_TRUE(replacement && replacement->Write("new", 3));
    EXPECT_EQ(FileFailure::None, replacement->ReplaceTarget(File("scan.sdb"), file));
    replacement.reset();
    EXPECT_EQ(Bytes({'n', 'e', 'w'}), Read(File("scan.sdb")));
}

// Runs a program to its end.
void RunProgram(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

// Makes a file unwritable, as a read-only attribute, share or disc does. Under Wine the attribute
// takes the write permissions away, which root ignores; there the host's immutable flag (Wine
// starts host programs) stands in for a read-only disc.
void SetWritable(const std::string& path, bool writable) {
    SetFileAttributesA(path.c_str(), writable ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY);
    using UnixName = char*(WINAPI*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr) {
        return;  // Windows: the attribute is enough
    }
    std::wstring wide(path.begin(), path.end());
    char* host = unixName(wide.c_str());
    if (host != nullptr) {
        RunProgram(std::string("Z:\\usr\\bin\\chattr ") + (writable ? "-i " : "+i ") + host);
        HeapFree(GetProcessHeap(), 0, host);
    }
    // Wine may answer for a host program before it has ended: wait until the flag shows.
    for (int tries = 0; tries < 100; ++tries) {
        HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        const bool canWrite = probe != INVALID_HANDLE_VALUE;
        if (canWrite) {
            CloseHandle(probe);
        }
        if (canWrite == writable) {
            return;
        }
        Sleep(20);
    }
}

class Messages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string&) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

TEST_F(WinFilePortTest, DiscStoredAndFoundAgain) {
    DiscInfo info;
    info.discId = 0x8409a30a;
    info.discTitle = "Orvo Lindqvist / Northern Lights";
    info.trackCount = 2;
    info.trackTitles[0] = "Polar Dawn";
    info.trackTitles[1] = "Ice Harbour";
    info.tracks[0].startMs = 2000;
    info.tracks[1].startMs = 223000;
    info.tracks[2].startMs = 480000;
    DiscDatabase database(files, dir);
    Messages messages;
    database.StoreDisc(info, messages);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(24u + 104, Read(File("titles.sdb")).size());
    EXPECT_EQ(24u + 2 * 84, Read(File("tracks.sdb")).size());

    // Marked read-only, the database is still read; only a store needs to write, and says so.
    const Bytes titles = Read(File("titles.sdb"));
    for (const char* name : {"titles.sdb", "tracks.sdb"}) {
        SetWritable(File(name), false);
    }
    DiscInfo fresh;
    fresh.discId = 0x8409a30a;
    bool found = database.LookUpDisc(fresh);
    info.discId = 0x0102;
    database.StoreDisc(info, messages);
    for (const char* name : {"titles.sdb", "tracks.sdb"}) {
        SetWritable(File(name), true);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ("Orvo Lindqvist / Northern Lights", fresh.discTitle);
    EXPECT_EQ("Ice Harbour", fresh.trackTitles[1]);
    EXPECT_EQ(
        (std::vector<std::string>{"Unable to open TITLE database file !!!", "Unable to open TRACK database file !!!"}),
        messages.texts);
    EXPECT_EQ(titles, Read(File("titles.sdb")));

    // A store that fails after the files are held says which file and why.
    messages.texts.clear();
    const Bytes tracks = Read(File("tracks.sdb"));
    ASSERT_TRUE(CreateDirectoryA(File("tracks.sdb.tmp").c_str(), nullptr));
    database.StoreDisc(info, messages);
    ASSERT_EQ(1u, messages.texts.size());
    EXPECT_EQ(0u, messages.texts[0].find("Unable to save TRACK database file !!! ("));
    EXPECT_GT(messages.texts[0].size(), std::string("Unable to save TRACK database file !!! ()").size());
    EXPECT_EQ(tracks, Read(File("tracks.sdb")));
}

}  // namespace
}  // namespace discdeck

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
