#include "db/DiscRecords.h"

#include <cstring>

#include "db/RecordFile.h"

namespace discdeck {
namespace {

// A field cut in bytes is cut at a character boundary, so it never ends on half a character.
template <size_t N>
void CopyText(char (&field)[N], const std::string& text, size_t limit) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), CutBytes(text, limit));
}

template <size_t N>
void ConvertField(uint8_t* image, size_t offset, size_t limit) {
    char field[N];
    std::memcpy(field, image + offset, N);
    CopyText(field, AnsiToUtf8(FieldText(field)), limit);
    std::memcpy(image + offset, field, N);
}

}  // namespace

TitleRecord MakeTitleRecord(uint32_t discId,
                            const std::string& title,
                            const std::string& category,
                            uint32_t discLength,
                            uint32_t trackCount) {
    TitleRecord record;
    std::memset(&record, 0, sizeof record);
    record.discId = discId;
    CopyText(record.title, title, kMaxStoredTitle);
    CopyText(record.category, category, sizeof record.category);
    record.discLength = discLength;
    record.trackCount = trackCount;
    return record;
}

TrackRecord MakeTrackRecord(uint32_t discId, uint32_t trackNumber, const std::string& title, uint32_t length) {
    TrackRecord record;
    std::memset(&record, 0, sizeof record);
    record.discId = discId;
    record.trackNumber = trackNumber;
    CopyText(record.title, title, kMaxStoredTitle);
    record.length = length;
    return record;
}

void EncodeTitleRecord(const TitleRecord& record, uint8_t (&out)[kTitleRecordLength]) {
    StoreLe32(out + offsetof(TitleRecord, discId), record.discId);
    std::memcpy(out + offsetof(TitleRecord, title), record.title, sizeof record.title);
    std::memcpy(out + offsetof(TitleRecord, category), record.category, sizeof record.category);
    std::memcpy(out + offsetof(TitleRecord, reserved), record.reserved, sizeof record.reserved);
    StoreLe32(out + offsetof(TitleRecord, discLength), record.discLength);
    StoreLe32(out + offsetof(TitleRecord, trackCount), record.trackCount);
}

void EncodeTrackRecord(const TrackRecord& record, uint8_t (&out)[kTrackRecordLength]) {
    StoreLe32(out + offsetof(TrackRecord, discId), record.discId);
    StoreLe32(out + offsetof(TrackRecord, trackNumber), record.trackNumber);
    std::memcpy(out + offsetof(TrackRecord, title), record.title, sizeof record.title);
    std::memcpy(out + offsetof(TrackRecord, reserved), record.reserved, sizeof record.reserved);
    StoreLe32(out + offsetof(TrackRecord, length), record.length);
}

TitleRecord DecodeTitleRecord(const uint8_t* in) {
    TitleRecord record;
    record.discId = LoadLe32(in + offsetof(TitleRecord, discId));
    std::memcpy(record.title, in + offsetof(TitleRecord, title), sizeof record.title);
    std::memcpy(record.category, in + offsetof(TitleRecord, category), sizeof record.category);
    std::memcpy(record.reserved, in + offsetof(TitleRecord, reserved), sizeof record.reserved);
    record.discLength = LoadLe32(in + offsetof(TitleRecord, discLength));
    record.trackCount = LoadLe32(in + offsetof(TitleRecord, trackCount));
    return record;
}

TrackRecord DecodeTrackRecord(const uint8_t* in) {
    TrackRecord record;
    record.discId = LoadLe32(in + offsetof(TrackRecord, discId));
    record.trackNumber = LoadLe32(in + offsetof(TrackRecord, trackNumber));
    std::memcpy(record.title, in + offsetof(TrackRecord, title), sizeof record.title);
    std::memcpy(record.reserved, in + offsetof(TrackRecord, reserved), sizeof record.reserved);
    record.length = LoadLe32(in + offsetof(TrackRecord, length));
    return record;
}

bool HoldsUtf8(const RecordFileHeader& header) {
    return std::memcmp(header.version, kUtf8DatabaseVersion, sizeof header.version) == 0;
}

RecordFileHeader Utf8Header(RecordFileHeader header) {
    std::memcpy(header.version, kUtf8DatabaseVersion, sizeof header.version);
    return header;
}

void ConvertTitleRecordToUtf8(uint8_t* image) {
    ConvertField<sizeof TitleRecord::title>(image, offsetof(TitleRecord, title), kMaxStoredTitle);
    ConvertField<sizeof TitleRecord::category>(image, offsetof(TitleRecord, category), sizeof TitleRecord::category);
}

void ConvertTrackRecordToUtf8(uint8_t* image) {
    ConvertField<sizeof TrackRecord::title>(image, offsetof(TrackRecord, title), kMaxStoredTitle);
}

void EncodeDiscIdKey(uint32_t discId, uint8_t (&key)[4]) {
    StoreLe32(key, discId);
}

int CompareDiscId(const void* first, const void* second) {
    uint32_t a = LoadLe32(first);
    uint32_t b = LoadLe32(second);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Bounded by the field, so a title without a terminator never reads into the next field.
int CompareTitleText(const void* first, const void* second) {
    const uint8_t* a = static_cast<const uint8_t*>(first) + offsetof(TitleRecord, title);
    const uint8_t* b = static_cast<const uint8_t*>(second) + offsetof(TitleRecord, title);
    for (size_t i = 0; i < sizeof(TitleRecord::title); ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
        if (a[i] == '\0') {
            return 0;
        }
    }
    return 0;
}

}  // namespace discdeck
