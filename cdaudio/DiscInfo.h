#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace discdeck {

class CdAudioDevice;

// A CD holds at most 99 tracks; the table keeps one more entry for the lead-out, and there is one
// title slot per entry. (The record files store track counts as 32-bit numbers, so nothing there
// limits the size.)
constexpr uint32_t kMaxTracks = 99;
constexpr uint32_t kTableEntries = kMaxTracks + 1;

// One entry of the table of contents. Entry k is track k+1; the entry at index trackCount is the
// lead-out. Positions are absolute disc positions as the drive reports them.
struct TrackEntry {
    uint32_t startMinute = 0;
    uint32_t startSecond = 0;
    uint32_t startFrame = 0;
    uint32_t lengthMs = 0;
    uint32_t startMs = 0;
};

using TrackTable = std::array<TrackEntry, kTableEntries>;

// The disc in the drive as a value: its id, its table (track starts and lengths, the lead-out's
// start being the disc's length) and its description. The look-up, the database and the exports
// work on a copy and never on the device, so an exchange running beside the window carries its
// own and the device is changed only where the window takes a description back.
struct DiscInfo {
    uint32_t discId = 0;
    uint32_t trackCount = 0;
    TrackTable tracks{};
    std::string category;
    std::string discTitle;
    std::array<std::string, kTableEntries> trackTitles;
};

DiscInfo DiscInfoOf(const CdAudioDevice& device);
// The description (category, disc and track titles) goes into the device; its table stays.
void TakeDescription(CdAudioDevice& device, const DiscInfo& disc);

}  // namespace discdeck
