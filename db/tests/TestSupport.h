#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cdaudio/DiscInfo.h"
#include "ports/tests/FileTestSupport.h"
#include "ports/tests/RecordingSinks.h"

namespace discdeck {
namespace testing_support {

// A record file image built by hand: header fields, then records. The version defaults to the
// one the database writes.
Bytes RecordFileImage(uint32_t count,
                      uint32_t length,
                      const Bytes& records,
                      const char* signature = "Tarvikon",
                      const char* version = "2.00",
                      uint32_t headerLength = 24);
Bytes Le32(uint32_t value);

// A disc description as a look-up leaves it.
struct StoredDisc {
    uint32_t discId = 0;
    std::string title;
    std::string category;
    std::vector<uint32_t> startsMs;  // one per track, then the lead-out
    std::vector<std::string> trackTitles;
};

// Puts a disc into `info`: ids, texts and a table whose entries agree with the starts.
void LoadDisc(DiscInfo& info, const StoredDisc& disc);
StoredDisc SampleDisc(uint32_t discId, const std::string& title, uint32_t tracks);

}  // namespace testing_support
}  // namespace discdeck
