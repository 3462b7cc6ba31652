#include "db/RecordFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace discdeck {
namespace {

constexpr char kSignature[8] = {'T', 'a', 'r', 'v', 'i', 'k', 'o', 'n'};
constexpr char kDefaultVersion[] = "1.00";

// Size in bytes of `count` records, or 0 when it does not fit in memory at all (record counts and
// lengths come from files, and a 32-bit size_t wraps long before a 64-bit product does).
size_t BufferSize(uint64_t count, uint32_t recordLength) {
    if (recordLength != 0 && count > std::numeric_limits<uint64_t>::max() / recordLength) {
        return 0;
    }
    uint64_t bytes = count * recordLength;
    if (bytes > std::numeric_limits<size_t>::max()) {
        return 0;
    }
    return static_cast<size_t>(bytes);
}

}  // namespace

RecordFileHeader NewRecordFileHeader(uint32_t recordLength, const char* version) {
    if (version == nullptr) {
        version = kDefaultVersion;
    }
    RecordFileHeader header;
    std::memcpy(header.signature, kSignature, sizeof header.signature);
    std::memset(header.version, 0, sizeof header.version);
    for (size_t i = 0; i < sizeof header.version && version[i] != '\0'; ++i) {
        header.version[i] = version[i];
    }
    header.recordCount = 0;
    header.recordLength = recordLength;
    header.headerLength = kRecordFileHeaderLength;
    return header;
}

void EncodeRecordFileHeader(const RecordFileHeader& header, uint8_t (&out)[kRecordFileHeaderLength]) {
    std::memcpy(out, header.signature, 8);
    std::memcpy(out + 8, header.version, 4);
    StoreLe32(out + 12, header.recordCount);
    StoreLe32(out + 16, header.recordLength);
    StoreLe32(out + 20, header.headerLength);
}

RecordFileHeader DecodeRecordFileHeader(const uint8_t* in) {
    RecordFileHeader header;
    std::memcpy(header.signature, in, 8);
    std::memcpy(header.version, in + 8, 4);
    header.recordCount = LoadLe32(in + 12);
    header.recordLength = LoadLe32(in + 16);
    header.headerLength = LoadLe32(in + 20);
    return header;
}

uint64_t RecordsInFile(uint64_t fileSize, uint32_t recordLength) {
    if (recordLength == 0 || fileSize < kRecordFileHeaderLength) {
        return 0;
    }
    return (fileSize - kRecordFileHeaderLength) / recordLength;
}

uint32_t CountedRecords(const RecordFileHeader& header, uint64_t fileSize) {
    return static_cast<uint32_t>(
        std::min<uint64_t>(RecordsInFile(fileSize, header.recordLength), std::numeric_limits<uint32_t>::max()));
}

RecordFile::RecordFile(FilePort& files) : files(files) {}

RecordFile::~RecordFile() = default;  // members close the file and free the buffers, unsaved

void RecordFile::Release() {
    records.reset();
    scratch.reset();
    capacity = 0;
    if (file) {
        file->Close();
        file.reset();
    }
}

bool RecordFile::Exists(const std::string& name) {
    status = Ready;
    std::unique_ptr<FileHandle> probe = files.Open(name, FilePort::Access::Read);
    if (!probe) {
        return false;
    }
    probe->Close();
    return true;
}

bool RecordFile::Create(const std::string& name, uint32_t recordLength, const char* version) {
    // The header image describes the loaded records; a new file must not change it under them.
    if (records) {
        return false;
    }
    status = Ready;
    header = NewRecordFileHeader(recordLength, version);
    if (recordLength == 0) {
        status = Failed;
        return false;
    }

    std::unique_ptr<FileHandle> created = files.Open(name, FilePort::Access::CreateNew);
    if (!created) {
        status = Failed;
        return false;
    }
    uint8_t image[kRecordFileHeaderLength];
    EncodeRecordFileHeader(header, image);
    bool written = created->Write(image, sizeof image);
    bool closed = created->Close();
    if (!written || !closed) {
        status = Failed;
        return false;
    }
    return true;
}

bool RecordFile::Open(const std::string& name, uint32_t recordLength) {
    if (records) {
        return false;
    }
    status = Ready;
    file = files.Open(name, FilePort::Access::ReadWrite);
    if (!file) {
        return false;  // missing or held elsewhere: the caller may Create and try again
    }
    if (!LoadRecords(recordLength)) {
        Release();
        status = Failed;
        return false;
    }
    path = name;
    return true;
}

// Reads the header and the records of the open file. The header is outside input: a record
// length other than the caller's would overrun the caller's records, and a count larger than
// the file holds must neither size the buffer nor hand out records that were never read.
bool RecordFile::LoadRecords(uint32_t expectedLength) {
    uint8_t image[kRecordFileHeaderLength];
    size_t got = 0;
    if (!file->Read(image, sizeof image, got) || got != sizeof image) {
        return false;
    }
    header = DecodeRecordFileHeader(image);
    if (expectedLength == 0 || header.recordLength != expectedLength) {
        return false;
    }
    uint64_t fileSize = 0;
    if (!file->GetSize(fileSize)) {
        return false;
    }
    header.recordCount = CountedRecords(header, fileSize);

    size_t bytes = BufferSize(header.recordCount + uint64_t{growthStep}, header.recordLength);
    if (bytes == 0) {
        return false;
    }
    scratch.reset(new (std::nothrow) uint8_t[header.recordLength]);
    records.reset(new (std::nothrow) uint8_t[bytes]);
    if (!scratch || !records) {
        return false;
    }
    capacity = bytes;

    size_t wanted = BufferSize(header.recordCount, header.recordLength);
    got = 0;
    if (!file->Read(records.get(), wanted, got)) {
        return false;
    }
    // The file may have ended early after all (it changed since its size was taken).
    header.recordCount = static_cast<uint32_t>(got / header.recordLength);
    return true;
}

bool RecordFile::Close() {
    if (status != Ready) {
        return false;
    }
    status = Closed;
    Release();
    currentIndex = 0;
    return true;
}

bool RecordFile::WriteImage(FileHandle& target) {
    uint8_t image[kRecordFileHeaderLength];
    EncodeRecordFileHeader(header, image);
    if (!target.Write(image, sizeof image)) {
        return false;
    }
    if (header.recordCount > 0 && !target.Write(records.get(), BufferSize(header.recordCount, header.recordLength))) {
        return false;
    }
    return target.Flush();
}

// The new image goes to a file beside the old one and replaces it only once it is complete, so a
// failure at any point leaves the old file whole. The new file stays held, so nobody comes between.
bool RecordFile::Save() {
    if (status != Ready || !file || !records) {
        return false;
    }
    const std::string temporary = TemporaryPathOf(path);
    std::unique_ptr<FileHandle> image = files.Open(temporary, FilePort::Access::Overwrite);
    if (!image) {
        status = Failed;
        return false;
    }
    if (!WriteImage(*image) || image->ReplaceTarget(path, file) != FileFailure::None) {
        image->Close();
        files.Remove(temporary);
        status = Failed;
        return false;
    }
    file = std::move(image);
    return true;
}

uint32_t RecordFile::GetCount() const {
    return records ? header.recordCount : 0;
}

bool RecordFile::ReadRecord(uint32_t index, void* destination) {
    if (!DataUsable() || index >= header.recordCount) {
        return false;
    }
    if (destination == nullptr) {
        destination = scratch.get();
    }
    std::memcpy(destination, records.get() + BufferSize(index, header.recordLength), header.recordLength);
    currentIndex = index;
    return true;
}

bool RecordFile::AppendRecord(const void* record) {
    if (!DataUsable() || header.recordCount == std::numeric_limits<uint32_t>::max()) {
        return false;
    }
    uint64_t count = header.recordCount;
    size_t needed = BufferSize(count + 1, header.recordLength);  // 0: beyond any address space
    if (needed == 0 || needed > capacity) {
        size_t grown = BufferSize(count + 1 + growthStep, header.recordLength);
        std::unique_ptr<uint8_t[]> bigger(grown == 0 ? nullptr : new (std::nothrow) uint8_t[grown]);
        if (!bigger) {
            status = Failed;  // the records so far stay in the old buffer
            return false;
        }
        std::memcpy(bigger.get(), records.get(), BufferSize(count, header.recordLength));
        records = std::move(bigger);
        capacity = grown;
    }
    std::memcpy(records.get() + BufferSize(count, header.recordLength), record, header.recordLength);
    header.recordCount += 1;
    return true;
}

bool RecordFile::Sort(RecordCompare compare) {
    if (!DataUsable()) {
        return false;
    }
    std::qsort(records.get(), header.recordCount, header.recordLength, compare);
    return true;
}

const void* RecordFile::Search(const void* key, RecordCompare compare) const {
    if (!DataUsable()) {
        return nullptr;
    }
    return std::bsearch(key, records.get(), header.recordCount, header.recordLength, compare);
}

bool RecordFile::FindFirst(const void* key, RecordCompare compare) {
    if (!DataUsable()) {
        return false;
    }
    for (uint32_t i = 0; i < header.recordCount; ++i) {
        if (compare(records.get() + BufferSize(i, header.recordLength), key) == 0) {
            currentIndex = i;
            return true;
        }
    }
    return false;
}

}  // namespace discdeck
