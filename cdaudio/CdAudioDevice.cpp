#include "cdaudio/CdAudioDevice.h"

namespace discdeck {

namespace {

uint32_t DigitSum(uint32_t n) {
    uint32_t sum = 0;
    for (; n > 0; n /= 10) {
        sum += n % 10;
    }
    return sum;
}

uint32_t WholeSeconds(const TrackEntry& entry) {
    return entry.startMinute * 60 + entry.startSecond;
}

}  // namespace

CdAudioDevice::CdAudioDevice(MediaControl& control) : control(control) {
    Connect();
}

CdAudioDevice::~CdAudioDevice() {
    CloseDevice();
    Clear();
}

int CdAudioDevice::OpenDevice() {
    uint32_t newId = 0;
    if (control.Open(newId) != 0) {
        return 0;
    }
    deviceId = newId;
    action = ActionOpened;
    return 1;
}

int CdAudioDevice::CloseDevice() {
    if (deviceId == 0) {
        return 0;
    }
    if (control.Close(deviceId) != 0) {
        return 0;
    }
    deviceId = 0;
    action = ActionClosed;
    return 1;
}

int CdAudioDevice::Connect() {
    doorOpen = false;
    // An id still held (after the door moved, or after the table failed and closed it) is given back
    // first, so reconnecting does not pile up open devices. Whatever the close says, the id is gone.
    if (deviceId != 0) {
        control.Close(deviceId);
        deviceId = 0;
    }
    if (!OpenDevice()) {
        doorOpen = true;
        action = ActionFailed;
        mode = kModeUnopened;
        return 0;
    }
    ReadDisc();
    if (action == ActionFailed) {
        trackCount = 0;
        return 0;
    }
    return 1;
}

int CdAudioDevice::ReadDisc() {
    SetTimeFormat(mci::MCI_FORMAT_MSF);
    currentTrack = QueryStatus(mci::MCI_STATUS_CURRENT_TRACK);
    trackCount = QueryStatus(mci::MCI_STATUS_NUMBER_OF_TRACKS);
    mode = QueryStatus(mci::MCI_STATUS_MODE);
    discId = BuildTrackTable();
    ReadTrackAndMode();
    return 1;
}

uint32_t CdAudioDevice::BuildTrackTable() {
    tracks = TrackTable{};
    uint32_t audioTracks = 0;

    // The failure path closes the device but keeps its id; Connect gives it back before reopening.
    auto fail = [this]() -> uint32_t {
        control.Close(deviceId);
        action = ActionFailed;
        return 0;
    };

    // The table holds kMaxTracks tracks and the lead-out; a drive claiming more is not a CD we can read.
    // The count goes at once, so nothing reads the table by it even before Connect clears it.
    if (trackCount > kMaxTracks) {
        trackCount = 0;
        return fail();
    }
    if (trackCount == 0) {
        action = ActionFailed;
    } else {
        for (uint32_t i = 1; i <= trackCount; ++i) {
            TrackEntry& entry = tracks[i - 1];
            uint32_t type = 0;
            if (control.Status(deviceId, mci::MCI_CDA_STATUS_TYPE_TRACK, true, i, type) != 0) {
                return fail();
            }
            // Data tracks enter the table at their real starts too: the standard disc id and the
            // servers' query count them so. Only playing leaves them out.
            uint32_t msf = 0;
            SetTimeFormat(mci::MCI_FORMAT_MSF);
            if (control.Status(deviceId, mci::MCI_STATUS_POSITION, true, i, msf) != 0) {
                return fail();
            }
            entry.startFrame = mci::MsfFrame(msf);
            SetTimeFormat(mci::MCI_FORMAT_MILLISECONDS);
            if (control.Status(deviceId, mci::MCI_STATUS_LENGTH, true, i, entry.lengthMs) != 0 ||
                control.Status(deviceId, mci::MCI_STATUS_POSITION, true, i, entry.startMs) != 0) {
                return fail();
            }
            uint32_t seconds = entry.startMs / 1000;
            entry.startMinute = seconds / 60;
            entry.startSecond = seconds % 60;
            if (type == mci::MCI_CDA_TRACK_AUDIO) {
                ++audioTracks;
            }
        }
        if (audioTracks == 0) {
            action = ActionFailed;
        }
    }

    // Lead-out: the last track's start plus its length. The device reports that length one frame
    // short, hence the + 1.
    uint32_t lastLength = 0;
    SetTimeFormat(mci::MCI_FORMAT_MSF);
    if (control.Status(deviceId, mci::MCI_STATUS_LENGTH, true, trackCount, lastLength) != 0 || trackCount == 0) {
        return fail();
    }
    const TrackEntry& last = tracks[trackCount - 1];
    uint32_t leadOutFrames =
        ((last.startMinute + mci::MsfMinute(lastLength)) * 60 + mci::MsfSecond(lastLength) + last.startSecond) * 75 +
        mci::MsfFrame(lastLength) + last.startFrame + 1;
    TrackEntry& leadOut = tracks[trackCount];
    leadOut.startFrame = leadOutFrames % 75;
    leadOut.startSecond = (leadOutFrames / 75) % 60;
    leadOut.startMinute = leadOutFrames / 4500;
    leadOut.startMs = (leadOut.startMinute * 60 + leadOut.startSecond) * 1000;

    averageTrackMs = (leadOut.startMs - tracks[0].startMs) / trackCount;
    return ComputeDiscId(tracks, trackCount);
}

uint32_t CdAudioDevice::ComputeDiscId(const TrackTable& table, uint32_t trackCount) {
    if (trackCount == 0 || trackCount > kMaxTracks) {
        return 0;
    }
    uint32_t n = 0;
    for (uint32_t k = 0; k < trackCount; ++k) {
        n += DigitSum(WholeSeconds(table[k]));
    }
    uint32_t t = WholeSeconds(table[trackCount]) - WholeSeconds(table[0]);
    return (n % 255) << 24 | t << 8 | trackCount;
}

uint32_t CdAudioDevice::QueryStatus(uint32_t item) {
    uint32_t result = 0;
    if (control.Status(deviceId, item, false, 0, result) != 0) {
        result = 0;
    }
    return result;
}

bool CdAudioDevice::IsMediaPresent() {
    return QueryStatus(mci::MCI_STATUS_MEDIA_PRESENT) != 0;
}

bool CdAudioDevice::EnsureReady() {
    if (IsMediaPresent() && (action == ActionCleared || action == ActionDoorMoved || action == ActionFailed)) {
        Connect();
    }
    if (action == ActionFailed || !IsMediaPresent()) {
        Connect();
    }
    return action != ActionFailed;
}

int CdAudioDevice::SetTimeFormat(uint32_t format) {
    return control.SetTimeFormat(deviceId, format) == 0 ? 1 : 0;
}

int CdAudioDevice::Play() {
    if (!EnsureReady()) {
        return 0;
    }
    if (control.Play(deviceId, false, 0) != 0) {
        return 0;
    }
    action = ActionPlaying;
    return 1;
}

int CdAudioDevice::PlayTrack(uint32_t track) {
    if (!EnsureReady()) {
        return 0;
    }
    // A track the disc does not have plays nothing, which is a failure like any other.
    if (track < 1 || track > trackCount) {
        return 0;
    }
    SetTimeFormat(mci::MCI_FORMAT_TMSF);
    currentTrack = track;
    if (control.Play(deviceId, true, mci::MakeTmsf(track, 0, 0, 0)) != 0) {
        return 0;
    }
    action = ActionPlaying;
    return 1;
}

int CdAudioDevice::Stop() {
    if (control.Stop(deviceId) != 0) {
        return 0;
    }
    SeekTo(0, mci::MCI_SEEK_TO_START);
    currentTrack = 1;
    return 1;
}

int CdAudioDevice::Pause() {
    if (!EnsureReady()) {
        return 0;
    }
    if (control.Pause(deviceId) != 0) {
        action = ActionFailed;
        return 0;
    }
    action = ActionPaused;
    return 1;
}

int CdAudioDevice::Resume() {
    if (!EnsureReady()) {
        return 0;
    }
    if (Play() != 1) {
        return 0;
    }
    action = ActionResumed;
    return 1;
}

int CdAudioDevice::PreviousTrack() {
    if (!EnsureReady()) {
        return 0;
    }
    --currentTrack;
    if (currentTrack != 0) {
        return PlayTrack(currentTrack);
    }
    currentTrack = 1;
    action = ActionAtFirstTrack;
    return 1;
}

int CdAudioDevice::NextTrack() {
    if (!EnsureReady()) {
        return 0;
    }
    ++currentTrack;
    if (currentTrack <= trackCount) {
        return PlayTrack(currentTrack);
    }
    currentTrack = trackCount;
    action = ActionAtLastTrack;
    return 1;
}

int CdAudioDevice::SeekTo(uint32_t positionMs, uint32_t flags) {
    if (!EnsureReady()) {
        return 0;
    }
    SetTimeFormat(mci::MCI_FORMAT_MILLISECONDS);
    return control.Seek(deviceId, flags, positionMs) == 0 ? 1 : 0;
}

int CdAudioDevice::ToggleDoor() {
    // The drive knows best which way the door stands. After the window's reset, or a reconnect that
    // failed and gave its device back, no device is open: one is opened, as a tray's button still
    // works then.
    uint32_t mode = 0;
    if (deviceId == 0 || control.Status(deviceId, mci::MCI_STATUS_MODE, false, 0, mode) != 0) {
        if (!OpenDevice() || control.Status(deviceId, mci::MCI_STATUS_MODE, false, 0, mode) != 0) {
            action = ActionFailed;
            return 0;
        }
    }
    doorOpen = mode != mci::MCI_MODE_OPEN;
    uint32_t result = control.SetDoor(deviceId, doorOpen);
    action = ActionDoorMoved;
    return result == 0 ? 1 : 0;
}

uint32_t CdAudioDevice::ReadTrackAndMode() {
    currentTrack = QueryStatus(mci::MCI_STATUS_CURRENT_TRACK);
    mode = QueryStatus(mci::MCI_STATUS_MODE);
    return mode;
}

bool CdAudioDevice::TrackAdvanced() {
    uint32_t before = currentTrack;
    ReadTrackAndMode();
    return before < currentTrack;
}

uint32_t CdAudioDevice::UpdateTimes() {
    // Entry currentTrack (the next start or the lead-out) must lie inside the table that was read;
    // a drive reporting a track beyond it gets no times rather than a read past the table.
    if (currentTrack < 1 || currentTrack > trackCount || trackCount > kMaxTracks) {
        return 0;
    }
    SetTimeFormat(mci::MCI_FORMAT_MILLISECONDS);
    uint32_t position = QueryStatus(mci::MCI_STATUS_POSITION);
    // Unsigned on purpose: a position before the track's start wraps and is refused below.
    uint32_t elapsed = (position - tracks[currentTrack - 1].startMs) / 1000;
    if (elapsed / 60 > 60) {
        return 0;
    }
    trackElapsedMinute = elapsed / 60;
    trackElapsedSecond = elapsed % 60;
    positionMinute = position / 60000;
    positionSecond = (position / 1000) % 60;

    auto remaining = [this](const TrackEntry& until) {
        return (static_cast<int32_t>(until.startMinute) - static_cast<int32_t>(positionMinute)) * 60 +
               static_cast<int32_t>(until.startSecond) - static_cast<int32_t>(positionSecond);
    };
    int32_t disc = remaining(tracks[trackCount]);
    discRemainingMinute = disc / 60;
    discRemainingSecond = disc % 60;
    int32_t track = remaining(tracks[currentTrack]);
    trackRemainingMinute = track / 60;
    trackRemainingSecond = track % 60;
    return position;
}

bool CdAudioDevice::AtDiscEnd() const {
    return discRemainingMinute == 0 && discRemainingSecond == 0;
}

void CdAudioDevice::Clear() {
    discTitle.clear();
    for (std::string& title : trackTitles) {
        title.clear();
    }
    deviceId = 0;
    trackCount = 0;
    currentTrack = 0;
    action = ActionCleared;
    tracks = TrackTable{};
}

}  // namespace discdeck
