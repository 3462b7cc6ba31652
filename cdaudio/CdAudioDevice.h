#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cdaudio/DiscInfo.h"
#include "cdaudio/MediaControl.h"

namespace discdeck {

// Codes of the last device action, shown in the report as "Status: %d" and tested by the timers.
enum DeviceAction : uint32_t {
    ActionPlaying = 0,
    ActionAtFirstTrack = 2,
    ActionAtLastTrack = 3,
    ActionPaused = 4,
    ActionResumed = 5,
    ActionOpened = 8,
    ActionClosed = 9,
    ActionDoorMoved = 10,
    ActionFailed = 11,
    ActionCleared = 12,
};

// What `mode` holds after the device could not be opened: no MCI mode (those start at 524), so the
// timers take it for neither playing nor stopped.
constexpr uint32_t kModeUnopened = 11;

// The player's connection to the CD drive: the table of contents, the CDDB disc id, the playback
// counters and the disc description (discTitle, trackTitles, category), which the look-up, the
// database and the exports take as a DiscInfo value (DiscInfoOf).
class CdAudioDevice {
  public:
    // Connects at once, as the player window expects a disc in the drive to be read at construction.
    explicit CdAudioDevice(MediaControl& control);
    virtual ~CdAudioDevice();
    CdAudioDevice(const CdAudioDevice&) = delete;
    CdAudioDevice& operator=(const CdAudioDevice&) = delete;

    int OpenDevice();
    int CloseDevice();
    int Connect();
    int ReadDisc();
    uint32_t BuildTrackTable();
    uint32_t QueryStatus(uint32_t item);
    bool IsMediaPresent();
    bool EnsureReady();
    int SetTimeFormat(uint32_t format);
    int Play();
    int PlayTrack(uint32_t track);
    int Stop();
    int Pause();
    int Resume();
    int PreviousTrack();
    int NextTrack();
    int SeekTo(uint32_t positionMs, uint32_t flags);
    int ToggleDoor();
    uint32_t ReadTrackAndMode();
    bool TrackAdvanced();
    uint32_t UpdateTimes();
    bool AtDiscEnd() const;
    void Clear();

    // Disc identifier of a table (the published CDDB computation; frames do not enter it).
    static uint32_t ComputeDiscId(const TrackTable& table, uint32_t trackCount);

    bool doorOpen = false;
    uint32_t mode = 0;
    uint32_t action = ActionCleared;
    uint32_t discId = 0;
    uint32_t trackCount = 0;
    uint32_t currentTrack = 0;
    std::array<std::string, kTableEntries> trackTitles;
    std::string discTitle;
    TrackTable tracks{};
    std::string category;
    uint32_t averageTrackMs = 0;
    uint32_t trackElapsedMinute = 0;
    uint32_t trackElapsedSecond = 0;
    uint32_t positionMinute = 0;
    uint32_t positionSecond = 0;
    int32_t trackRemainingMinute = 0;
    int32_t trackRemainingSecond = 0;
    int32_t discRemainingMinute = 0;
    int32_t discRemainingSecond = 0;
    uint32_t deviceId = 0;

  private:
    MediaControl& control;
};

}  // namespace discdeck
