#include "db/TitlesOrder.h"

#include <algorithm>

#include "db/DiscRecords.h"

namespace discdeck {

bool TitlesOrder::Scan(RecordReader& titles, uint32_t discId) {
    const uint32_t count = titles.GetCount();
    contains = false;
    leadingSorted = true;
    last.clear();
    uint32_t previous = 0;
    return titles.ForEachBlock(0, [&](uint32_t first, const uint8_t* records, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* record = records + size_t{i} * kTitleRecordLength;
            const uint32_t index = first + i;
            const uint32_t id = LoadLe32(record);
            contains = contains || id == discId;
            if (index + 1 == count) {
                last.assign(record, record + kTitleRecordLength);
            } else {
                leadingSorted = leadingSorted && (index == 0 || previous <= id);
                previous = id;
            }
        }
        return !contains;
    });
}

bool TitlesOrder::WriteSorted(RecordReader& titles, RecordWriter& out) const {
    if (titles.GetCount() == 0) {
        return true;
    }
    return leadingSorted ? MergeLast(titles, out) : SortByKeys(titles, out);
}

// Copies the records before the last in runs, putting the last one before the first record with a
// larger id.
bool TitlesOrder::MergeLast(RecordReader& titles, RecordWriter& out) const {
    const uint32_t leading = titles.GetCount() - 1;
    const uint32_t lastId = LoadLe32(last.data());
    bool placed = false;
    bool written = true;
    bool read = titles.ForEachBlock(0, [&](uint32_t first, const uint8_t* records, uint32_t n) {
        n = std::min(n, leading - std::min(first, leading));
        uint32_t runStart = 0;
        for (uint32_t i = 0; i < n && !placed; ++i) {
            if (LoadLe32(records + size_t{i} * kTitleRecordLength) > lastId) {
                written = out.Append(records, i) && out.Append(last.data());
                placed = true;
                runStart = i;
            }
        }
        written = written && out.Append(records + size_t{runStart} * kTitleRecordLength, n - runStart);
        return written && first + n < leading;
    });
    if (read && written && !placed) {
        written = out.Append(last.data());
    }
    return read && written;
}

// Sorts (id, index) keys; the index breaks ties, so equal ids keep their file order.
bool TitlesOrder::SortByKeys(RecordReader& titles, RecordWriter& out) const {
    std::vector<uint64_t> keys;
    keys.reserve(titles.GetCount());
    bool read = titles.ForEachBlock(0, [&keys](uint32_t first, const uint8_t* records, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) {
            keys.push_back(uint64_t{LoadLe32(records + size_t{i} * kTitleRecordLength)} << 32 | (first + i));
        }
        return true;
    });
    if (!read) {
        return false;
    }
    std::sort(keys.begin(), keys.end());
    uint8_t record[kTitleRecordLength];
    for (uint64_t key : keys) {
        if (!titles.Read(static_cast<uint32_t>(key), 1, record) || !out.Append(record)) {
            return false;
        }
    }
    return true;
}

}  // namespace discdeck
