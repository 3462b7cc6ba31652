#pragma once

#include <cstdint>
#include <vector>

#include "db/RecordStream.h"

namespace discdeck {

// The order in which a store rewrites the titles file: every record sorted by disc id, unsigned,
// with records of equal ids in file order, as sorting the whole file would leave them. A file
// that stores wrote is sorted but for its last record, which one pass merges into place; a file
// in any other order is sorted by its keys in memory (8 bytes a record) and copied record by
// record.
class TitlesOrder {
  public:
    // Reads the titles once: whether `discId` is among them, and whether the records before the
    // last are in order. False when the file can't be read.
    bool Scan(RecordReader& titles, uint32_t discId);
    bool Contains() const { return contains; }

    // Appends the records of the scanned file to `out`, sorted.
    bool WriteSorted(RecordReader& titles, RecordWriter& out) const;

  private:
    bool MergeLast(RecordReader& titles, RecordWriter& out) const;
    bool SortByKeys(RecordReader& titles, RecordWriter& out) const;

    bool contains = false;
    bool leadingSorted = true;
    std::vector<uint8_t> last;  // the last record, which a store appended unsorted
};

}  // namespace discdeck
