#include "cdaudio/win/MciMediaControl.h"

// The port spells the platform's values itself, under the platform's names, so portable code can
// use them. <mmsystem.h> defines those names as macros, so they are read here, before it is included,
// and checked against the platform's values below.
namespace {
namespace port = discdeck::mci;
constexpr uint32_t kPortFormats[] = {port::MCI_FORMAT_MILLISECONDS, port::MCI_FORMAT_MSF, port::MCI_FORMAT_TMSF};
constexpr uint32_t kPortItems[] = {
    port::MCI_STATUS_LENGTH,         port::MCI_STATUS_POSITION,      port::MCI_STATUS_NUMBER_OF_TRACKS,
    port::MCI_STATUS_MODE,           port::MCI_STATUS_MEDIA_PRESENT, port::MCI_STATUS_CURRENT_TRACK,
    port::MCI_CDA_STATUS_TYPE_TRACK, port::MCI_CDA_TRACK_AUDIO,      port::MCI_CDA_TRACK_OTHER};
constexpr uint32_t kPortFlags[] = {port::MCI_FROM, port::MCI_TO, port::MCI_SEEK_TO_START};
constexpr uint32_t kPortModes[] = {port::MCI_MODE_NOT_READY, port::MCI_MODE_STOP, port::MCI_MODE_PLAY,
                                   port::MCI_MODE_RECORD,    port::MCI_MODE_SEEK, port::MCI_MODE_PAUSE,
                                   port::MCI_MODE_OPEN};
}  // namespace

#include <windows.h>

#include <mmsystem.h>

static_assert(kPortFormats[0] == MCI_FORMAT_MILLISECONDS && kPortFormats[1] == MCI_FORMAT_MSF &&
              kPortFormats[2] == MCI_FORMAT_TMSF);
static_assert(kPortItems[0] == MCI_STATUS_LENGTH && kPortItems[1] == MCI_STATUS_POSITION &&
              kPortItems[2] == MCI_STATUS_NUMBER_OF_TRACKS && kPortItems[3] == MCI_STATUS_MODE &&
              kPortItems[4] == MCI_STATUS_MEDIA_PRESENT && kPortItems[5] == MCI_STATUS_CURRENT_TRACK &&
              kPortItems[6] == MCI_CDA_STATUS_TYPE_TRACK && kPortItems[7] == MCI_CDA_TRACK_AUDIO &&
              kPortItems[8] == MCI_CDA_TRACK_OTHER);
static_assert(kPortFlags[0] == MCI_FROM && kPortFlags[1] == MCI_TO && kPortFlags[2] == MCI_SEEK_TO_START);
static_assert(kPortModes[0] == MCI_MODE_NOT_READY && kPortModes[1] == MCI_MODE_STOP && kPortModes[2] == MCI_MODE_PLAY &&
              kPortModes[3] == MCI_MODE_RECORD && kPortModes[4] == MCI_MODE_SEEK && kPortModes[5] == MCI_MODE_PAUSE &&
              kPortModes[6] == MCI_MODE_OPEN);

namespace discdeck {

namespace {

uint32_t Send(uint32_t deviceId, UINT message, DWORD flags, void* parameters) {
    return static_cast<uint32_t>(
        mciSendCommandA(static_cast<MCIDEVICEID>(deviceId), message, flags, reinterpret_cast<DWORD_PTR>(parameters)));
}

uint32_t Generic(uint32_t deviceId, UINT message) {
    MCI_GENERIC_PARMS parameters{};
    return Send(deviceId, message, 0, &parameters);
}

}  // namespace

// https://learn.microsoft.com/windows/win32/multimedia/mci-open: the type names the device,
// shareable so another program playing the drive does not make us fail.
uint32_t MciMediaControl::Open(uint32_t& deviceId) {
    MCI_OPEN_PARMSA parameters{};
    parameters.lpstrDeviceType = "cdaudio";
    uint32_t result = Send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE | MCI_WAIT, &parameters);
    if (result == 0) {
        deviceId = parameters.wDeviceID;
    }
    return result;
}

uint32_t MciMediaControl::Close(uint32_t deviceId) {
    return Generic(deviceId, MCI_CLOSE);
}

uint32_t MciMediaControl::SetTimeFormat(uint32_t deviceId, uint32_t format) {
    MCI_SET_PARMS parameters{};
    parameters.dwTimeFormat = format;
    return Send(deviceId, MCI_SET, MCI_SET_TIME_FORMAT, &parameters);
}

uint32_t MciMediaControl::Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) {
    MCI_STATUS_PARMS parameters{};
    parameters.dwItem = item;
    parameters.dwTrack = track;
    uint32_t error = Send(deviceId, MCI_STATUS, MCI_STATUS_ITEM | (withTrack ? MCI_TRACK : 0), &parameters);
    if (error == 0) {
        result = static_cast<uint32_t>(parameters.dwReturn);
    }
    return error;
}

uint32_t MciMediaControl::Play(uint32_t deviceId, bool withFrom, uint32_t from) {
    MCI_PLAY_PARMS parameters{};
    parameters.dwFrom = from;
    return Send(deviceId, MCI_PLAY, withFrom ? MCI_FROM : 0, &parameters);
}

uint32_t MciMediaControl::Stop(uint32_t deviceId) {
    return Generic(deviceId, MCI_STOP);
}

uint32_t MciMediaControl::Pause(uint32_t deviceId) {
    return Generic(deviceId, MCI_PAUSE);
}

uint32_t MciMediaControl::Seek(uint32_t deviceId, uint32_t flags, uint32_t to) {
    MCI_SEEK_PARMS parameters{};
    parameters.dwTo = to;
    return Send(deviceId, MCI_SEEK, flags, &parameters);
}

uint32_t MciMediaControl::SetDoor(uint32_t deviceId, bool open) {
    MCI_SET_PARMS parameters{};
    return Send(deviceId, MCI_SET, open ? MCI_SET_DOOR_OPEN : MCI_SET_DOOR_CLOSED, &parameters);
}

}  // namespace discdeck
