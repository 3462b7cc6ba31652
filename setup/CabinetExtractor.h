#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "setup/SetupFiles.h"

namespace discdeck {

// Error codes of an extraction run. 0 to 11 are those of the Microsoft Cabinet SDK's decompression
// interface; the others refuse packages that are unsafe to unpack.
enum CabinetErrorCode : int {
    kCabinetNoError = 0,
    kCabinetNotFound = 1,
    kCabinetNotACabinet = 2,
    kCabinetUnknownVersion = 3,
    kCabinetCorrupt = 4,
    kCabinetNoMemory = 5,
    kCabinetUnknownCompression = 6,
    kCabinetDecompressFailure = 7,
    kCabinetTargetWriteFailure = 8,
    kCabinetReserveMismatch = 9,
    kCabinetWrongNextCabinet = 10,
    kCabinetUserAborted = 11,
    kCabinetUnsafeFileName = 12,
    kCabinetDuplicateFileName = 13,
    kCabinetTargetPathTooLong = 14,
    kCabinetSpansCabinets = 15,
    kCabinetInternalError = 255,
};

// The text shown for an error code; "Sorry, internal error ..." for codes without one.
std::string CabinetErrorText(int code);

// Error record of a run: all clear at construction.
struct CabinetError {
    int code = kCabinetNoError;
    int libraryCode = 0;  // libmspack's MSPACK_ERR_* value, where the library reported the failure
    bool failed = false;
    std::string fileName;  // the offending name for the file-name errors and a target not created
    std::string reason;    // the system's reason why that target could not be created
};

// What the cabinet test learns about the cabinet.
struct CabinetInfo {
    std::uint32_t length = 0;
    int folderCount = 0;
    int fileCount = 0;
    std::uint16_t setId = 0;
    std::uint16_t setIndex = 0;
    bool hasReserve = false;
    bool hasPrevious = false;
    bool hasNext = false;
};

// Events of an extraction, named after the Microsoft Cabinet SDK's decompression notifications.
enum class CabinetNotification { CabinetInfo, PartialFile, CopyFile, CloseFileInfo, NextCabinet, Enumerate };

// One run that unpacks every file of a single cabinet into a destination directory, on top of
// libmspack's cabinet decompressor. The extractor opens and closes the target files itself (copy
// file / close file information); the library's writes of a file go to the handle opened for it.
// Before anything is written the whole cabinet is checked: version 1.3, not part of a set, known
// compression, and every file name plain, not the cabinet's own, unique ignoring case and short
// enough for the target path. Names become UTF-8: as they stand with the cabinet's UTF-8 flag,
// else through SetupFiles::NameToUtf8.
class CabinetExtractor {
  public:
    struct Options {
        // Cap on the library's memory: an LZX folder needs its 2 MB window and little else.
        std::size_t memoryLimit = 32u << 20;
    };

    // Target paths and the cabinet path fit buffers of this many characters, terminator included.
    static constexpr std::size_t kPathBufferSize = 256;
    // Attribute bits a target file keeps: read-only, hidden, system, archive.
    static constexpr std::uint8_t kAttributeMask = 0x27;

    // destination is the target directory ending in a backslash.
    CabinetExtractor(SetupFiles& files, std::string cabinetPath, std::string destination);
    CabinetExtractor(SetupFiles& files, std::string cabinetPath, std::string destination, Options options);
    ~CabinetExtractor();
    CabinetExtractor(const CabinetExtractor&) = delete;
    CabinetExtractor& operator=(const CabinetExtractor&) = delete;

    // Tests the cabinet and copies out all its files; true only if every file was written. A run that
    // fails part-way removes the files it wrote (the partial one included); a file it could not
    // open for writing stays as it was.
    bool Run();
    std::string GetErrorText() const;
    // Removes every file the last run wrote, once the program started from them has ended.
    void RemoveExtractedFiles();

    const CabinetError& error() const { return error_; }
    const CabinetInfo& info() const { return info_; }

  private:
    class Library;
    struct FileEvent;

    bool TestCabinet();
    bool CheckContents();
    bool CopyOut();
    // The notification handler: for CopyFile the handle of the opened target (kNoFile stops the
    // run), for CloseFileInfo 1.
    SetupFileHandle Notify(CabinetNotification kind, const FileEvent& event);
    void Fail(int code, int libraryCode = 0);
    std::string TargetName(const char* name, int attributes);

    SetupFiles& files_;
    std::string cabinetPath_;
    std::string destination_;
    Options options_;
    CabinetError error_;
    CabinetInfo info_;
    std::unique_ptr<Library> library_;
    std::vector<std::string> names_;    // UTF-8 name of each file, in cabinet order
    std::vector<std::string> written_;  // target paths this run created or emptied
};

}  // namespace discdeck
