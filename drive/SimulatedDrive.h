#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "cdaudio/Clock.h"
#include "cdaudio/DiscTable.h"
#include "cdaudio/MediaControl.h"
#include "drive/TrackEnd.h"
#include "sound/DiscAudio.h"
#include "sound/PlayHead.h"

namespace discdeck {

namespace mci {
// Error codes of the media control interface that the simulated drive returns (MCIERR_BASE + n).
constexpr uint32_t MCIERR_INVALID_DEVICE_ID = 257;
constexpr uint32_t MCIERR_HARDWARE = 262;
constexpr uint32_t MCIERR_CANNOT_LOAD_DRIVER = 266;
constexpr uint32_t MCIERR_MISSING_PARAMETER = 273;
constexpr uint32_t MCIERR_UNSUPPORTED_FUNCTION = 274;
constexpr uint32_t MCIERR_OUTOFRANGE = 282;
constexpr uint32_t MCIERR_FLAGS_NOT_COMPATIBLE = 284;
constexpr uint32_t MCIERR_BAD_TIME_FORMAT = 293;
}  // namespace mci

// A CD drive in software, a full implementation of the media-control port. The play position
// follows the clock while playing, or the sound's play head when one is attached, so that what is
// shown is what was heard, and stops at the lead-out. Like the real "cdaudio" device it
// reports the length of the last track one frame short of the lead-out. Every opened device id
// talks to the same drive and keeps its own time format (MSF after opening).
class SimulatedDrive : public MediaControl {
  public:
    explicit SimulatedDrive(const Clock& clock);

    uint32_t Open(uint32_t& deviceId) override;
    uint32_t Close(uint32_t deviceId) override;
    uint32_t SetTimeFormat(uint32_t deviceId, uint32_t format) override;
    uint32_t Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) override;
    uint32_t Play(uint32_t deviceId, bool withFrom, uint32_t from) override;
    uint32_t Stop(uint32_t deviceId) override;
    uint32_t Pause(uint32_t deviceId) override;
    uint32_t Seek(uint32_t deviceId, uint32_t flags, uint32_t to) override;
    uint32_t SetDoor(uint32_t deviceId, bool open) override;

    // Puts a disc in and closes the door; the drive stands at the first track. An invalid disc is
    // refused (false) and the drive stays empty.
    bool InsertDisc(const SimulatedDisc& disc);
    // The disc is taken out (the door state does not change).
    void RemoveDisc();
    // Without a drive, opening fails as it does on a machine with no CD drive.
    void SetDriveAvailable(bool available) { driveAvailable = available; }
    // From now on the drive's motion sounds through the play head, whose position is the drive's
    // while it plays (null: silent, on the clock).
    void SetPlayHead(PlayHead* head);
    // What the drive does at the end of a track while it plays through a play head (without one it
    // goes on). Takes effect for the track that plays now, if its end has not begun to sound.
    void SetTrackEnd(TrackEnd end);
    // Track ends handled by going back or jumping since the last call.
    uint32_t TakeTrackSwitches();

    bool HasDisc() const { return disc.has_value(); }
    bool IsDoorOpen() const { return doorOpen; }
    bool IsMediumPresent() const { return disc.has_value() && !doorOpen; }
    uint32_t Mode() const;
    uint32_t PositionFrame() const;
    uint64_t PositionSample() const;
    size_t OpenDeviceCount() const { return formats.size(); }

  private:
    enum class Motion { Stopped, Playing, Paused };

    // Brings a running play up to the clock: the position moves, and the drive stops at the lead-out.
    void Settle();
    // The play head falls silent (the drive stopped, paused elsewhere or lost its disc).
    void Silence();
    // Tells the play head what follows the track that sounds now, by the track-end plan.
    void PlanTrackEnd();
    uint64_t TrackEndSample(uint32_t track) const;
    bool Valid(uint32_t deviceId) const { return formats.count(deviceId) != 0; }
    // Track (1-based) holding an absolute frame; positions before the first track belong to track 1.
    uint32_t TrackAt(uint32_t frame) const;
    uint32_t TrackLengthFrames(uint32_t track) const;
    uint32_t FromFrames(uint32_t frames, uint32_t format, bool asPosition) const;
    // Absolute frame of a position given in a time format; false when it is malformed or off the disc.
    bool ToFrame(uint32_t value, uint32_t format, uint32_t& frame) const;
    uint32_t StatusValue(uint32_t format, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) const;

    const Clock& clock;
    std::optional<SimulatedDisc> disc;
    bool doorOpen = false;
    bool driveAvailable = true;
    Motion motion = Motion::Stopped;
    uint64_t positionSample = 0;  // while playing: where this play started
    uint64_t playStartMs = 0;
    std::map<uint32_t, uint32_t> formats;  // open device ids and their time formats
    uint32_t nextDeviceId = 1;
    PlayHead* playHead = nullptr;
    TrackEnd trackEnd;
    uint32_t stretchesSeen = 0;  // the play head's following stretches this play has handled
    uint32_t trackSwitches = 0;  // not yet taken
};

}  // namespace discdeck
