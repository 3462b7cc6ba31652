#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "cdaudio/Clock.h"
#include "cdaudio/MediaControl.h"
#include "drive/DiscChanger.h"
#include "drive/SheetFileDrive.h"
#include "sound/SoundPlayer.h"

namespace discdeck {

// The player's drive: the real one until a sheet is chosen, then a sheet-backed drive that sounds
// through the sound device (silently on the clock when there is none). Media-control commands go
// to the drive in use.
class DriveSelector : public MediaControl, public DiscChanger {
  public:
    DriveSelector(std::unique_ptr<MediaControl> realDrive,
                  std::unique_ptr<SoundOutput> output,
                  std::unique_ptr<Clock> clock,
                  SoundPlayer::Feeding feeding = SoundPlayer::Feeding::OwnThread);
    ~DriveSelector() override;

    uint32_t Open(uint32_t& deviceId) override { return Current().Open(deviceId); }
    uint32_t Close(uint32_t deviceId) override { return Current().Close(deviceId); }
    uint32_t SetTimeFormat(uint32_t deviceId, uint32_t format) override {
        return Current().SetTimeFormat(deviceId, format);
    }
    uint32_t Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) override {
        return Current().Status(deviceId, item, withTrack, track, result);
    }
    uint32_t Play(uint32_t deviceId, bool withFrom, uint32_t from) override {
        return Current().Play(deviceId, withFrom, from);
    }
    uint32_t Stop(uint32_t deviceId) override { return Current().Stop(deviceId); }
    uint32_t Pause(uint32_t deviceId) override { return Current().Pause(deviceId); }
    uint32_t Seek(uint32_t deviceId, uint32_t flags, uint32_t to) override {
        return Current().Seek(deviceId, flags, to);
    }
    uint32_t SetDoor(uint32_t deviceId, bool open) override { return Current().SetDoor(deviceId, open); }

    void ChangeDisc(const std::string& sheetPath) override;
    std::string SheetPath() const override;
    CueError SheetError() const override;
    RipTitles Titles() const override;
    void SetTrackEnd(TrackEnd end) override;
    uint32_t TakeTrackSwitches() override;
    bool HandlesTrackEnds() const override { return sheetDrive != nullptr; }
    // Every read of a rip's sound waits this long first, as from a slow disk (for measurements).
    void SetReadDelay(std::chrono::milliseconds delay) { readDelay = delay; }

    SheetFileDrive* Sheet() { return sheetDrive.get(); }
    SoundPlayer& Sound() { return sound; }

  private:
    MediaControl& Current();

    std::unique_ptr<Clock> clock;
    std::unique_ptr<SoundOutput> output;
    SoundPlayer sound;
    std::unique_ptr<MediaControl> realDrive;
    std::unique_ptr<SheetFileDrive> sheetDrive;
    TrackEnd trackEnd;
    std::chrono::milliseconds readDelay{0};
};

}  // namespace discdeck
