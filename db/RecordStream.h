#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/RecordFile.h"
#include "ports/FilePort.h"

namespace discdeck {

// Reads the records of an open record file where they lie, a block at a time, so that a file of
// any size is read in bounded memory. The header is outside input and is checked as RecordFile
// checks it: the record length must be the caller's, and the count is that of the whole records
// the file holds (CountedRecords).
class RecordReader {
  public:
    // Bytes read at a time by ForEachBlock: small enough to stay in the processor's cache.
    static constexpr size_t kBlockBytes = 128 * 1024;

    // False when the file is shorter than a header or its records are not `recordLength` bytes.
    bool Open(FileHandle& file, uint32_t recordLength);
    const RecordFileHeader& GetHeader() const { return header; }
    uint32_t GetCount() const { return header.recordCount; }

    // Copies `count` records from `index` on into `destination`; false unless all of them are there.
    bool Read(uint32_t index, uint32_t count, void* destination);

    // A read-only view of `count` records from `first` on, or null where the port maps none. It
    // must go before the file is let go.
    std::unique_ptr<FileView> MapRecords(uint32_t first, uint32_t count) {
        return file == nullptr || count == 0 ? nullptr
                                             : file->MapView(OffsetOf(first), size_t{count} * header.recordLength);
    }

    // Calls visit(firstIndex, records, count) for the records from `first` on, a block at a time,
    // until visit returns false. False on a read error.
    template <typename Visit>
    bool ForEachBlock(uint32_t first, Visit visit);

    // Bytes mapped at a time by ScanMapped: many blocks, so that mapping costs little beside the
    // scan, yet a small part of the 32-bit program's working set and address space.
    static constexpr size_t kWindowBytes = 16 * 1024 * 1024;

    // As ForEachBlock, but visits the records where they lie, in read-only views of the file of up
    // to `windowBytes` (no copy), while the file port offers views; block reads take over where it
    // does not. Less than a window is read: setting up the pages of a view costs more than copying
    // them out of the system's cache, and only long scans gain. Every view is gone when this
    // returns, so the file can be let go or replaced.
    template <typename Visit>
    bool ScanMapped(uint32_t first, Visit visit, size_t windowBytes = kWindowBytes);

  private:
    uint64_t OffsetOf(uint32_t index) const { return kRecordFileHeaderLength + uint64_t{index} * header.recordLength; }

    FileHandle* file = nullptr;
    RecordFileHeader header{};
    std::unique_ptr<uint8_t[]> block;  // not cleared: every use reads into it first
    uint32_t blockRecords = 0;
};

// Writes a record file front to back through a buffer: the header, the records, then the header
// again with the number of records written. Nothing but the header's count differs from the
// header it is given, so a rewritten file keeps its signature and version.
// Rewrites one record image in place as it is copied into a new file.
using RecordConvert = void (*)(uint8_t* record);

class RecordWriter {
  public:
    static constexpr size_t kBufferBytes = 256 * 1024;

    // `convert`, when given, is applied to every record that Append copies (records of an older
    // file whose texts the new file holds in another encoding); AppendOwn copies as they are.
    RecordWriter(FileHandle& file, const RecordFileHeader& header, RecordConvert convert = nullptr);
    // Writes the header (with a provisional count).
    bool Begin();
    bool Append(const void* records, uint32_t count = 1);
    bool AppendOwn(const void* records, uint32_t count = 1);
    // Writes what is buffered and the final header, and commits it all to the device.
    bool Finish();
    uint32_t GetCount() const { return header.recordCount; }

  private:
    bool WriteBuffered();
    bool AppendConverted(const uint8_t* records, uint32_t count);

    FileHandle& file;
    RecordFileHeader header;
    RecordConvert convert;
    std::vector<uint8_t> buffer;
    size_t used = 0;
    bool failed = false;
};

template <typename Visit>
bool RecordReader::ForEachBlock(uint32_t first, Visit visit) {
    for (uint32_t index = first; index < header.recordCount;) {
        uint32_t remaining = header.recordCount - index;
        uint32_t count = remaining < blockRecords ? remaining : blockRecords;
        if (!Read(index, count, block.get())) {
            return false;
        }
        if (!visit(index, static_cast<const uint8_t*>(block.get()), count)) {
            return true;
        }
        index += count;
    }
    return true;
}

template <typename Visit>
bool RecordReader::ScanMapped(uint32_t first, Visit visit, size_t windowBytes) {
    if (file == nullptr) {
        return false;
    }
    const uint32_t windowRecords =
        static_cast<uint32_t>(std::min<size_t>(std::max<size_t>(windowBytes / header.recordLength, 1), UINT32_MAX));
    uint32_t index = first;
    while (index < header.recordCount && header.recordCount - index > windowRecords) {
        const uint32_t count = std::min(header.recordCount - index, windowRecords);
        std::unique_ptr<FileView> view = file->MapView(OffsetOf(index), size_t{count} * header.recordLength);
        if (!view) {
            break;
        }
        if (!visit(index, view->Data(), count)) {
            return true;
        }
        index += count;
    }
    return ForEachBlock(index, visit);
}

}  // namespace discdeck
