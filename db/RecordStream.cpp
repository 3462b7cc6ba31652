#include "db/RecordStream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace discdeck {

bool RecordReader::Open(FileHandle& handle, uint32_t recordLength) {
    file = &handle;
    uint8_t image[kRecordFileHeaderLength];
    size_t got = 0;
    uint64_t fileSize = 0;
    if (recordLength == 0 || !file->ReadAt(0, image, sizeof image, got) || got != sizeof image ||
        !file->GetSize(fileSize)) {
        return false;
    }
    header = DecodeRecordFileHeader(image);
    if (header.recordLength != recordLength) {
        return false;
    }
    header.recordCount = CountedRecords(header, fileSize);
    // A small file needs no more than itself; every block holds at least one record.
    uint64_t bytes = std::min<uint64_t>(uint64_t{header.recordCount} * recordLength, kBlockBytes);
    blockRecords = static_cast<uint32_t>(std::max<uint64_t>(bytes / recordLength, 1));
    block.reset(new (std::nothrow) uint8_t[size_t{blockRecords} * recordLength]);
    return block != nullptr;
}

bool RecordReader::Read(uint32_t index, uint32_t count, void* destination) {
    if (file == nullptr || index > header.recordCount || count > header.recordCount - index) {
        return false;
    }
    uint64_t offset = OffsetOf(index);
    uint64_t bytes = uint64_t{count} * header.recordLength;
    size_t got = 0;
    return bytes <= SIZE_MAX && file->ReadAt(offset, destination, static_cast<size_t>(bytes), got) && got == bytes;
}

RecordWriter::RecordWriter(FileHandle& file, const RecordFileHeader& header, RecordConvert convert)
    : file(file), header(header), convert(convert), buffer(kBufferBytes) {
    this->header.recordCount = 0;
}

bool RecordWriter::Begin() {
    uint8_t image[kRecordFileHeaderLength];
    EncodeRecordFileHeader(header, image);
    failed = !file.Write(image, sizeof image);
    return !failed;
}

bool RecordWriter::WriteBuffered() {
    if (used > 0 && !file.Write(buffer.data(), used)) {
        failed = true;
    }
    used = 0;
    return !failed;
}

bool RecordWriter::Append(const void* records, uint32_t count) {
    return convert == nullptr ? AppendOwn(records, count)
                              : AppendConverted(static_cast<const uint8_t*>(records), count);
}

// Record by record through the buffer, where each is converted in place.
bool RecordWriter::AppendConverted(const uint8_t* records, uint32_t count) {
    const size_t length = header.recordLength;
    for (uint32_t i = 0; i < count; ++i) {
        if (failed || header.recordCount == UINT32_MAX || (used + length > buffer.size() && !WriteBuffered())) {
            return false;
        }
        std::memcpy(buffer.data() + used, records + size_t{i} * length, length);
        convert(buffer.data() + used);
        used += length;
        ++header.recordCount;
    }
    return !failed;
}

bool RecordWriter::AppendOwn(const void* records, uint32_t count) {
    if (failed || count > UINT32_MAX - header.recordCount) {
        return false;
    }
    const size_t bytes = size_t{count} * header.recordLength;
    // Long runs (a block copied whole) go straight to the file rather than through the buffer.
    const bool direct = bytes >= buffer.size() / 4;
    if ((direct || used + bytes > buffer.size()) && !WriteBuffered()) {
        return false;
    }
    if (direct) {
        failed = !file.Write(records, bytes);
        header.recordCount += failed ? 0 : count;
        return !failed;
    }
    std::memcpy(buffer.data() + used, records, bytes);
    used += bytes;
    header.recordCount += count;
    return true;
}

bool RecordWriter::Finish() {
    if (!WriteBuffered()) {
        return false;
    }
    uint8_t image[kRecordFileHeaderLength];
    EncodeRecordFileHeader(header, image);
    return file.Seek(0) && file.Write(image, sizeof image) && file.Flush();
}

}  // namespace discdeck
