#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "db/RecordFile.h"
#include "ports/Utf8Text.h"

namespace discdeck {

// One disc in "titles.sdb". The struct mirrors the record byte for byte; records are still read
// and written field by field (little-endian), never by copying the struct.
struct TitleRecord {
    uint32_t discId;
    char title[70];       // the disc's title line, NUL-terminated within the field
    char category[20];    // NUL-padded; a 20-character category has no terminator
    uint8_t reserved[2];  // zero
    uint32_t discLength;  // milliseconds to the start of the lead-out
    uint32_t trackCount;
};
static_assert(sizeof(TitleRecord) == 104, "title records are 104 bytes");
static_assert(offsetof(TitleRecord, discId) == 0, "title record layout");
static_assert(offsetof(TitleRecord, title) == 4, "title record layout");
static_assert(offsetof(TitleRecord, category) == 74, "title record layout");
static_assert(offsetof(TitleRecord, reserved) == 94, "title record layout");
static_assert(offsetof(TitleRecord, discLength) == 96, "title record layout");
static_assert(offsetof(TitleRecord, trackCount) == 100, "title record layout");

// One track in "tracks.sdb"; a disc's tracks are stored together in track order.
struct TrackRecord {
    uint32_t discId;
    uint32_t trackNumber;  // 1 for the first track
    char title[70];        // NUL-terminated within the field
    uint8_t reserved[2];   // zero
    uint32_t length;       // milliseconds
};
static_assert(sizeof(TrackRecord) == 84, "track records are 84 bytes");
static_assert(offsetof(TrackRecord, discId) == 0, "track record layout");
static_assert(offsetof(TrackRecord, trackNumber) == 4, "track record layout");
static_assert(offsetof(TrackRecord, title) == 8, "track record layout");
static_assert(offsetof(TrackRecord, reserved) == 78, "track record layout");
static_assert(offsetof(TrackRecord, length) == 80, "track record layout");

constexpr uint32_t kTitleRecordLength = sizeof(TitleRecord);
constexpr uint32_t kTrackRecordLength = sizeof(TrackRecord);
// Stored titles keep a NUL inside their field, so longer texts are cut to at most this many bytes
// (at a character boundary).
constexpr size_t kMaxStoredTitle = sizeof(TitleRecord::title) - 1;

// The version of database files whose texts are UTF-8. Files of any other version ("1.00" and the
// rest) hold their texts in the system's ANSI code page; a store rewrites them as this version.
constexpr char kUtf8DatabaseVersion[] = "2.00";
bool HoldsUtf8(const RecordFileHeader& header);
// `header` with the UTF-8 version, for a rewritten file.
RecordFileHeader Utf8Header(RecordFileHeader header);
// Turn an old file's record image into UTF-8 (texts cut at a character boundary to fit).
void ConvertTitleRecordToUtf8(uint8_t* image);
void ConvertTrackRecordToUtf8(uint8_t* image);

// A record with every byte zero, then the texts copied in (cut to fit as stored).
TitleRecord MakeTitleRecord(uint32_t discId,
                            const std::string& title,
                            const std::string& category,
                            uint32_t discLength,
                            uint32_t trackCount);
TrackRecord MakeTrackRecord(uint32_t discId, uint32_t trackNumber, const std::string& title, uint32_t length);

// Record images as they are in the files.
void EncodeTitleRecord(const TitleRecord& record, uint8_t (&out)[kTitleRecordLength]);
void EncodeTrackRecord(const TrackRecord& record, uint8_t (&out)[kTrackRecordLength]);
TitleRecord DecodeTitleRecord(const uint8_t* in);
TrackRecord DecodeTrackRecord(const uint8_t* in);

// The text of a fixed-width field: up to its first NUL, or the whole field when it has none (a
// damaged or foreign file need not terminate its texts).
template <size_t N>
std::string FieldText(const char (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field, length);
}

// The text of a field as UTF-8, from a file that holds UTF-8 (`utf8`) or ANSI text.
template <size_t N>
std::string StoredText(const char (&field)[N], bool utf8) {
    return utf8 ? FieldText(field) : AnsiToUtf8(FieldText(field));
}

// The 4-byte search key for a disc id: records of both files start with it.
void EncodeDiscIdKey(uint32_t discId, uint8_t (&key)[4]);

// Compare functions for RecordFile (qsort convention). CompareDiscId reads only the leading disc
// id of both sides, unsigned; CompareTitleText compares the title texts of two title record
// images byte by byte as unsigned characters, case-sensitive.
int CompareDiscId(const void* first, const void* second);
int CompareTitleText(const void* first, const void* second);

}  // namespace discdeck
