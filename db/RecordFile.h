#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ports/FilePort.h"

namespace discdeck {

// Compare function over two records (or a key laid out like the start of a record), with the
// convention of qsort: negative, zero or positive.
using RecordCompare = int (*)(const void*, const void*);

// The 24-byte header at the start of every record file, in file order. Integers are little-endian
// on disk.
struct RecordFileHeader {
    char signature[8];
    char version[4];
    uint32_t recordCount;
    uint32_t recordLength;
    uint32_t headerLength;
};
static_assert(sizeof(RecordFileHeader) == 24, "the header is 24 bytes on disk");

constexpr uint32_t kRecordFileHeaderLength = 24;

// The header of a new file: signature "Tarvikon", the first 4 characters of `version` ("1.00"
// when null), no records.
RecordFileHeader NewRecordFileHeader(uint32_t recordLength, const char* version = nullptr);
void EncodeRecordFileHeader(const RecordFileHeader& header, uint8_t (&out)[kRecordFileHeaderLength]);
RecordFileHeader DecodeRecordFileHeader(const uint8_t* in);
// The number of whole records of `recordLength` bytes that a file of `fileSize` bytes holds after
// its header (0 when it is shorter than a header).
uint64_t RecordsInFile(uint64_t fileSize, uint32_t recordLength);
// The records a file of `fileSize` bytes is taken to hold: every whole record after the header,
// whatever the header counts. A count beyond the file's end promises records that are not there;
// one short of it (a damaged header, or a crash while the count was written) must not make a
// store drop the records it would not read. Bytes short of a whole record are not a record.
uint32_t CountedRecords(const RecordFileHeader& header, uint64_t fileSize);

// A file of fixed-length records after a 24-byte header, loaded whole into memory by Open and
// rewritten whole by Save. The engine knows nothing about what a record holds.
//
// Use one short-lived object per file and operation: Exists, Create if missing, Open, work on the
// records, Save if anything was added, and let the object go (which closes without saving).
// Operations return false ("refused") without changing anything when the status or the loaded
// state does not allow them.
class RecordFile {
  public:
    enum Status { Ready, Closed, Failed };

    // Spare records kept whenever the record buffer is sized.
    static constexpr uint32_t kGrowthStep = 10;

    explicit RecordFile(FilePort& files);
    virtual ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // True when the file can be opened for reading (it exists and nobody holds it).
    bool Exists(const std::string& path);
    // Creates the file with a header of no records; never over a file that exists. Leaves no file
    // open.
    bool Create(const std::string& path, uint32_t recordLength, const char* version = nullptr);
    // Opens an existing file for exclusive use and loads its records. The file's record length
    // must be `recordLength`, the length of the records the caller reads and writes. The file's
    // whole records are loaded, whatever its header counts (see CountedRecords).
    bool Open(const std::string& path, uint32_t recordLength);
    bool Close();
    // Replaces the file with the header and the records in memory: the old file stays as it was
    // unless the new one was written completely. The file stays open.
    bool Save();

    uint32_t GetCount() const;
    // Copies record `index` into `destination` (recordLength bytes), or into the scratch record
    // when there is none, and makes it the current record.
    bool ReadRecord(uint32_t index, void* destination = nullptr);
    bool AppendRecord(const void* record);
    bool Sort(RecordCompare compare);
    // Binary search over records sorted by `compare`, which gets the key first. The result points
    // into the record buffer and is valid until the buffer next changes.
    const void* Search(const void* key, RecordCompare compare) const;
    // Front-to-back scan, `compare` gets the record first; the first match becomes current.
    bool FindFirst(const void* key, RecordCompare compare);
    uint32_t GetCurrentIndex() const { return currentIndex; }

    Status GetStatus() const { return status; }
    const RecordFileHeader& GetHeader() const { return header; }
    // Size of the record buffer in bytes (0 when nothing is loaded).
    size_t GetCapacity() const { return capacity; }
    bool IsLoaded() const { return records != nullptr; }
    // The scratch record that ReadRecord fills when it gets no destination.
    const void* GetScratchRecord() const { return scratch.get(); }

  private:
    bool DataUsable() const { return status == Ready && records != nullptr; }
    void Release();
    bool LoadRecords(uint32_t expectedLength);
    bool WriteImage(FileHandle& target);

    FilePort& files;
    std::unique_ptr<FileHandle> file;
    std::string path;
    RecordFileHeader header{};
    uint32_t currentIndex = 0;
    std::unique_ptr<uint8_t[]> records;
    Status status = Ready;
    size_t capacity = 0;
    const uint32_t growthStep = kGrowthStep;
    std::unique_ptr<uint8_t[]> scratch;
};

// Where a new image of a record file is written before it takes the file's place. A crash can
// leave one behind; the next save writes over it.
inline std::string TemporaryPathOf(const std::string& path) {
    return path + ".tmp";
}

// Little-endian 32-bit numbers in byte buffers, independent of the host's byte order.
inline uint32_t LoadLe32(const void* data) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLe32(void* data, uint32_t value) {
    uint8_t* p = static_cast<uint8_t*>(data);
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace discdeck
