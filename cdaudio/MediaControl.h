#pragma once

#include <cstdint>

namespace discdeck {

// Values of the media control interface, spelled as the platform spells them so that the adapter
// passes them through unchanged.
namespace mci {
constexpr uint32_t MCI_FORMAT_MILLISECONDS = 0;
constexpr uint32_t MCI_FORMAT_MSF = 2;
constexpr uint32_t MCI_FORMAT_TMSF = 10;

constexpr uint32_t MCI_STATUS_LENGTH = 0x1;
constexpr uint32_t MCI_STATUS_POSITION = 0x2;
constexpr uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 0x3;
constexpr uint32_t MCI_STATUS_MODE = 0x4;
constexpr uint32_t MCI_STATUS_MEDIA_PRESENT = 0x5;
constexpr uint32_t MCI_STATUS_CURRENT_TRACK = 0x8;
constexpr uint32_t MCI_CDA_STATUS_TYPE_TRACK = 0x4001;
constexpr uint32_t MCI_CDA_TRACK_AUDIO = 1088;
constexpr uint32_t MCI_CDA_TRACK_OTHER = 1089;

constexpr uint32_t MCI_FROM = 0x4;
constexpr uint32_t MCI_TO = 0x8;
constexpr uint32_t MCI_SEEK_TO_START = 0x100;

constexpr uint32_t MCI_MODE_NOT_READY = 524;
constexpr uint32_t MCI_MODE_STOP = 525;
constexpr uint32_t MCI_MODE_PLAY = 526;
constexpr uint32_t MCI_MODE_RECORD = 527;
constexpr uint32_t MCI_MODE_SEEK = 528;
constexpr uint32_t MCI_MODE_PAUSE = 529;
constexpr uint32_t MCI_MODE_OPEN = 530;

// Packed positions: MSF has minutes in the low byte, then seconds, then frames; TMSF puts the
// track in the low byte, then minutes, seconds, frames.
constexpr uint32_t MakeMsf(uint32_t m, uint32_t s, uint32_t f) {
    return (m & 0xFF) | (s & 0xFF) << 8 | (f & 0xFF) << 16;
}
constexpr uint32_t MakeTmsf(uint32_t t, uint32_t m, uint32_t s, uint32_t f) {
    return (t & 0xFF) | (m & 0xFF) << 8 | (s & 0xFF) << 16 | (f & 0xFF) << 24;
}
constexpr uint32_t MsfMinute(uint32_t msf) {
    return msf & 0xFF;
}
constexpr uint32_t MsfSecond(uint32_t msf) {
    return (msf >> 8) & 0xFF;
}
constexpr uint32_t MsfFrame(uint32_t msf) {
    return (msf >> 16) & 0xFF;
}
}  // namespace mci

// The operations the CD logic needs from the "cdaudio" device. Each returns 0 on success or a
// non-zero error code, like mciSendCommandA. Implementations: MciMediaControl (the real device, in
// cdaudio/win), SimulatedDrive (a virtual disc driven by a clock, for tests and the demo).
class MediaControl {
  public:
    virtual ~MediaControl() = default;
    // MCI_OPEN of device type "cdaudio", shareable, waiting; stores the new device id.
    virtual uint32_t Open(uint32_t& deviceId) = 0;
    virtual uint32_t Close(uint32_t deviceId) = 0;
    virtual uint32_t SetTimeFormat(uint32_t deviceId, uint32_t format) = 0;
    // MCI_STATUS of one item; with withTrack the MCI_TRACK flag and the track number are passed.
    virtual uint32_t Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) = 0;
    // MCI_PLAY from the current position to the end, or with MCI_FROM and a start in the current format.
    virtual uint32_t Play(uint32_t deviceId, bool withFrom, uint32_t from) = 0;
    virtual uint32_t Stop(uint32_t deviceId) = 0;
    virtual uint32_t Pause(uint32_t deviceId) = 0;
    // MCI_SEEK with MCI_SEEK_TO_START, or with MCI_TO and a position in the current format.
    virtual uint32_t Seek(uint32_t deviceId, uint32_t flags, uint32_t to) = 0;
    // MCI_SET with MCI_SET_DOOR_OPEN (open true) or MCI_SET_DOOR_CLOSED.
    virtual uint32_t SetDoor(uint32_t deviceId, bool open) = 0;
};

}  // namespace discdeck
