#pragma once

#include "cdaudio/MediaControl.h"

namespace discdeck {

// The real drive: the media-control port over mciSendCommandA on the "cdaudio" device. Each call
// is one command with its own parameter record; none asks for notification, only the open waits.
class MciMediaControl : public MediaControl {
  public:
    uint32_t Open(uint32_t& deviceId) override;
    uint32_t Close(uint32_t deviceId) override;
    uint32_t SetTimeFormat(uint32_t deviceId, uint32_t format) override;
    uint32_t Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) override;
    uint32_t Play(uint32_t deviceId, bool withFrom, uint32_t from) override;
    uint32_t Stop(uint32_t deviceId) override;
    uint32_t Pause(uint32_t deviceId) override;
    uint32_t Seek(uint32_t deviceId, uint32_t flags, uint32_t to) override;
    uint32_t SetDoor(uint32_t deviceId, bool open) override;
};

}  // namespace discdeck
