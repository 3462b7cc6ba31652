#pragma once

// Both builds' tests of RecordReader::ScanMapped over their own file port: a scan through views
// must visit the very records that block reads do, from any record on, whatever the alignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "db/RecordStream.h"
#include "ports/FilePort.h"

namespace discdeck {
namespace testing_support {

// A record file of `count` records of `length` bytes, each byte telling its record and place.
inline std::vector<uint8_t> PatternedRecordFile(uint32_t count, uint32_t length) {
    RecordFileHeader header = NewRecordFileHeader(length);
    header.recordCount = count;
    uint8_t encoded[kRecordFileHeaderLength];
    EncodeRecordFileHeader(header, encoded);
    std::vector<uint8_t> image(encoded, encoded + kRecordFileHeaderLength);
    image.resize(kRecordFileHeaderLength + size_t{count} * length);
    for (size_t i = kRecordFileHeaderLength; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i * 7 + i / length);
    }
    return image;
}

// The records visited from `first` on, in order, through views of `windowBytes` (0: through block
// reads); each visit must start where the last one ended.
inline std::vector<uint8_t> VisitedRecords(FileHandle& file, uint32_t length, uint32_t first, size_t windowBytes) {
    RecordReader reader;
    std::vector<uint8_t> seen;
    uint32_t next = first;
    auto visit = [&](uint32_t index, const uint8_t* records, uint32_t count) {
        EXPECT_EQ(next, index);
        seen.insert(seen.end(), records, records + size_t{count} * length);
        next = index + count;
        return true;
    };
    EXPECT_TRUE(reader.Open(file, length));
    EXPECT_TRUE(windowBytes > 0 ? reader.ScanMapped(first, visit, windowBytes) : reader.ForEachBlock(first, visit));
    return seen;
}

}  // namespace testing_support
}  // namespace discdeck
