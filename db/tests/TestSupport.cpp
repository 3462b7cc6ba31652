#include "db/tests/TestSupport.h"

namespace discdeck {
namespace testing_support {

Bytes Le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

Bytes RecordFileImage(uint32_t count,
                      uint32_t length,
                      const Bytes& records,
                      const char* signature,
                      const char* version,
                      uint32_t headerLength) {
    Bytes image(signature, signature + 8);
    image.insert(image.end(), version, version + 4);
    for (uint32_t field : {count, length, headerLength}) {
        Bytes le = Le32(field);
        image.insert(image.end(), le.begin(), le.end());
    }
    image.insert(image.end(), records.begin(), records.end());
    return image;
}

void LoadDisc(DiscInfo& info, const StoredDisc& disc) {
    info = DiscInfo();
    info.discId = disc.discId;
    info.discTitle = disc.title;
    info.category = disc.category;
    info.trackCount = static_cast<uint32_t>(disc.startsMs.empty() ? 0 : disc.startsMs.size() - 1);
    for (size_t i = 0; i < disc.startsMs.size(); ++i) {
        TrackEntry& entry = info.tracks[i];
        uint32_t seconds = disc.startsMs[i] / 1000;
        entry.startMinute = seconds / 60;
        entry.startSecond = seconds % 60;
        entry.startMs = disc.startsMs[i];
        entry.lengthMs = i + 1 < disc.startsMs.size() ? disc.startsMs[i + 1] - disc.startsMs[i] : 0;
    }
    for (size_t i = 0; i < disc.trackTitles.size(); ++i) {
        info.trackTitles[i] = disc.trackTitles[i];
    }
}

StoredDisc SampleDisc(uint32_t discId, const std::string& title, uint32_t tracks) {
    StoredDisc disc;
    disc.discId = discId;
    disc.title = title;
    disc.category = "rock";
    uint32_t start = 2000;
    for (uint32_t i = 0; i < tracks; ++i) {
        disc.startsMs.push_back(start);
        disc.trackTitles.push_back(title + " track " + std::to_string(i + 1));
        start += 180000 + 1000 * i;
    }
    disc.startsMs.push_back(start);
    return disc;
}

}  // namespace testing_support
}  // namespace discdeck
