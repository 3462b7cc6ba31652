#include "drive/SimulatedDrive.h"

#include <algorithm>
#include <utility>

namespace discdeck {

namespace {

uint32_t PackMsf(uint32_t frames) {
    return mci::MakeMsf(frames / mci::kFramesPerMinute, (frames / mci::kFramesPerSecond) % 60,
                        frames % mci::kFramesPerSecond);
}

uint64_t FrameSample(uint32_t frame) {
    return static_cast<uint64_t>(frame) * kSamplesPerFrame;
}

uint32_t FramesToMs(uint32_t frames) {
    return static_cast<uint32_t>(static_cast<uint64_t>(frames) * 1000 / mci::kFramesPerSecond);
}

// Nearest frame, so that a millisecond value read from the drive maps back to the same frame.
uint64_t MsToFrames(uint32_t ms) {
    return (static_cast<uint64_t>(ms) * mci::kFramesPerSecond + 500) / 1000;
}

}  // namespace

SimulatedDrive::SimulatedDrive(const Clock& clock) : clock(clock) {}

uint64_t SimulatedDrive::PositionSample() const {
    if (motion != Motion::Playing) {
        return positionSample;
    }
    const uint64_t leadOut = static_cast<uint64_t>(disc->leadOutFrame) * kSamplesPerFrame;
    if (playHead != nullptr) {
        return std::min(playHead->Position(), leadOut);
    }
    uint64_t elapsedMs = clock.NowMs() - playStartMs;
    return std::min(positionSample + elapsedMs * kSampleRate / 1000, leadOut);
}

uint32_t SimulatedDrive::PositionFrame() const {
    return static_cast<uint32_t>(PositionSample() / kSamplesPerFrame);
}

void SimulatedDrive::SetPlayHead(PlayHead* head) {
    if (playHead != nullptr) {
        playHead->Halt();
    }
    playHead = head;
    if (motion == Motion::Playing) {
        motion = Motion::Stopped;  // the new head knows nothing of the running play
    }
}

void SimulatedDrive::SetTrackEnd(TrackEnd end) {
    if (end == trackEnd) {
        return;
    }
    trackEnd = end;
    Settle();
    PlanTrackEnd();
}

uint32_t SimulatedDrive::TakeTrackSwitches() {
    Settle();
    return std::exchange(trackSwitches, 0u);
}

uint64_t SimulatedDrive::TrackEndSample(uint32_t track) const {
    const auto& tracks = disc->tracks;
    return FrameSample(track < tracks.size() ? tracks[track].startFrame : disc->leadOutFrame);
}

void SimulatedDrive::PlanTrackEnd() {
    if (playHead == nullptr || motion != Motion::Playing) {
        return;
    }
    const uint32_t track = TrackAt(PositionFrame());
    const uint64_t end = TrackEndSample(track);
    const auto& tracks = disc->tracks;
    if (trackEnd.kind == TrackEnd::Kind::Repeat) {
        playHead->Then(end, FrameSample(tracks[track - 1].startFrame), end);
    } else if (trackEnd.kind == TrackEnd::Kind::Jump && trackEnd.track >= 1 && trackEnd.track <= tracks.size() &&
               tracks[trackEnd.track - 1].audio) {
        playHead->Then(end, FrameSample(tracks[trackEnd.track - 1].startFrame), TrackEndSample(trackEnd.track));
    } else {
        // Going on: the sound runs to the lead-out, nothing follows.
        const uint64_t leadOut = FrameSample(disc->leadOutFrame);
        playHead->Then(leadOut, leadOut, leadOut);
    }
}

void SimulatedDrive::Silence() {
    if (playHead != nullptr) {
        playHead->Halt();
    }
}

uint32_t SimulatedDrive::Mode() const {
    if (!IsMediumPresent()) {
        return mci::MCI_MODE_OPEN;
    }
    switch (motion) {
        case Motion::Playing:
            return PositionFrame() >= disc->leadOutFrame ? mci::MCI_MODE_STOP : mci::MCI_MODE_PLAY;
        case Motion::Paused:
            return mci::MCI_MODE_PAUSE;
        case Motion::Stopped:
            break;
    }
    return mci::MCI_MODE_STOP;
}

void SimulatedDrive::Settle() {
    if (motion == Motion::Playing && playHead != nullptr) {
        const uint32_t begun = playHead->StretchesBegun();
        if (begun > stretchesSeen) {
            // The sound went back or jumped at a track's end; a jump is done once, and the track
            // now sounding gets its own end.
            trackSwitches += begun - stretchesSeen;
            stretchesSeen = begun;
            if (trackEnd.kind == TrackEnd::Kind::Jump) {
                trackEnd = TrackEnd{};
            }
            PlanTrackEnd();
        }
    }
    if (motion == Motion::Playing) {
        if (PositionFrame() >= disc->leadOutFrame) {
            positionSample = static_cast<uint64_t>(disc->leadOutFrame) * kSamplesPerFrame;
            motion = Motion::Stopped;
            Silence();
        }
    }
}

bool SimulatedDrive::InsertDisc(const SimulatedDisc& newDisc) {
    RemoveDisc();
    if (!IsValidDisc(newDisc)) {
        return false;
    }
    disc = newDisc;
    doorOpen = false;
    positionSample = FrameSample(disc->tracks.front().startFrame);
    return true;
}

void SimulatedDrive::RemoveDisc() {
    Silence();
    disc.reset();
    motion = Motion::Stopped;
    positionSample = 0;
}

uint32_t SimulatedDrive::TrackAt(uint32_t frame) const {
    const auto& tracks = disc->tracks;
    auto after = std::upper_bound(tracks.begin(), tracks.end(), frame,
                                  [](uint32_t f, const SimulatedTrack& t) { return f < t.startFrame; });
    return after == tracks.begin() ? 1 : static_cast<uint32_t>(after - tracks.begin());
}

uint32_t SimulatedDrive::TrackLengthFrames(uint32_t track) const {
    const auto& tracks = disc->tracks;
    if (track == tracks.size()) {
        // The real device reports the last track one frame short of the lead-out.
        return disc->leadOutFrame - tracks[track - 1].startFrame - 1;
    }
    return tracks[track].startFrame - tracks[track - 1].startFrame;
}

uint32_t SimulatedDrive::FromFrames(uint32_t frames, uint32_t format, bool asPosition) const {
    switch (format) {
        case mci::MCI_FORMAT_MILLISECONDS:
            return FramesToMs(frames);
        case mci::MCI_FORMAT_TMSF:
            if (asPosition) {
                uint32_t track = TrackAt(frames);
                uint32_t start = disc->tracks[track - 1].startFrame;
                uint32_t offset = frames > start ? frames - start : 0;
                return mci::MakeTmsf(track, offset / mci::kFramesPerMinute, (offset / mci::kFramesPerSecond) % 60,
                                     offset % mci::kFramesPerSecond);
            }
            // Lengths have no track: the device gives them as MSF.
            return PackMsf(frames);
        default:
            return PackMsf(frames);
    }
}

bool SimulatedDrive::ToFrame(uint32_t value, uint32_t format, uint32_t& frame) const {
    uint64_t result = 0;
    switch (format) {
        case mci::MCI_FORMAT_MILLISECONDS:
            result = MsToFrames(value);
            break;
        case mci::MCI_FORMAT_MSF: {
            uint32_t s = mci::MsfSecond(value), f = mci::MsfFrame(value);
            if (s >= 60 || f >= mci::kFramesPerSecond || (value >> 24) != 0) {
                return false;
            }
            result = MsfToFrames({mci::MsfMinute(value), s, f});
            break;
        }
        case mci::MCI_FORMAT_TMSF: {
            uint32_t track = value & 0xFF;
            uint32_t m = (value >> 8) & 0xFF, s = (value >> 16) & 0xFF, f = value >> 24;
            if (track < 1 || track > disc->tracks.size() || s >= 60 || f >= mci::kFramesPerSecond) {
                return false;
            }
            result = disc->tracks[track - 1].startFrame + static_cast<uint64_t>(MsfToFrames({m, s, f}));
            break;
        }
        default:
            return false;
    }
    if (result < disc->tracks.front().startFrame || result >= disc->leadOutFrame) {
        return false;
    }
    frame = static_cast<uint32_t>(result);
    return true;
}

uint32_t SimulatedDrive::Open(uint32_t& deviceId) {
    uint32_t status = 0;
    if (!driveAvailable) {
        status = mci::MCIERR_CANNOT_LOAD_DRIVER;
        return status;
    }
    while (nextDeviceId == 0 || formats.count(nextDeviceId) != 0) {
        ++nextDeviceId;
    }
    deviceId = nextDeviceId++;
    formats[deviceId] = mci::MCI_FORMAT_MSF;
    return status;
}

uint32_t SimulatedDrive::Close(uint32_t deviceId) {
    uint32_t status = 0;
    status = formats.erase(deviceId) != 0 ? 0 : mci::MCIERR_INVALID_DEVICE_ID;
    return status;
}

uint32_t SimulatedDrive::SetTimeFormat(uint32_t deviceId, uint32_t format) {
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
    } else if (format != mci::MCI_FORMAT_MILLISECONDS && format != mci::MCI_FORMAT_MSF &&
               format != mci::MCI_FORMAT_TMSF) {
        status = mci::MCIERR_BAD_TIME_FORMAT;
    } else {
        formats[deviceId] = format;
    }
    return status;
}

uint32_t SimulatedDrive::StatusValue(uint32_t format,
                                     uint32_t item,
                                     bool withTrack,
                                     uint32_t track,
                                     uint32_t& result) const {
    if (item == mci::MCI_STATUS_MEDIA_PRESENT) {
        result = IsMediumPresent() ? 1 : 0;
        return 0;
    }
    if (item == mci::MCI_STATUS_MODE) {
        result = Mode();
        return 0;
    }
    bool knownItem = item == mci::MCI_STATUS_LENGTH || item == mci::MCI_STATUS_POSITION ||
                     item == mci::MCI_STATUS_NUMBER_OF_TRACKS || item == mci::MCI_STATUS_CURRENT_TRACK ||
                     item == mci::MCI_CDA_STATUS_TYPE_TRACK;
    if (!knownItem) {
        return mci::MCIERR_UNSUPPORTED_FUNCTION;
    }
    if (!IsMediumPresent()) {
        return mci::MCIERR_HARDWARE;
    }
    const auto& tracks = disc->tracks;
    if (withTrack && (track < 1 || track > tracks.size())) {
        return mci::MCIERR_OUTOFRANGE;
    }
    switch (item) {
        case mci::MCI_STATUS_NUMBER_OF_TRACKS:
            result = static_cast<uint32_t>(tracks.size());
            return 0;
        case mci::MCI_STATUS_CURRENT_TRACK:
            result = TrackAt(PositionFrame());
            return 0;
        case mci::MCI_CDA_STATUS_TYPE_TRACK:
            if (!withTrack) {
                return mci::MCIERR_MISSING_PARAMETER;
            }
            result = tracks[track - 1].audio ? mci::MCI_CDA_TRACK_AUDIO : mci::MCI_CDA_TRACK_OTHER;
            return 0;
        case mci::MCI_STATUS_LENGTH:
            result = withTrack ? FromFrames(TrackLengthFrames(track), format, false)
                               : FromFrames(disc->leadOutFrame - tracks.front().startFrame, format, false);
            return 0;
        default:  // MCI_STATUS_POSITION
            result = FromFrames(withTrack ? tracks[track - 1].startFrame : PositionFrame(), format, true);
            return 0;
    }
}

uint32_t SimulatedDrive::Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) {
    Settle();
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
    } else {
        uint32_t value = 0;
        status = StatusValue(formats[deviceId], item, withTrack, track, value);
        if (status == 0) {
            result = value;
        }
    }
    return status;
}

uint32_t SimulatedDrive::Play(uint32_t deviceId, bool withFrom, uint32_t from) {
    Settle();
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
        return status;
    }
    if (!IsMediumPresent()) {
        status = mci::MCIERR_HARDWARE;
        return status;
    }
    const auto& tracks = disc->tracks;
    // While playing, positionSample is where the running play began; a play on goes from here.
    const uint64_t here = PositionSample();
    uint64_t start = here;
    if (withFrom) {
        uint32_t frame = 0;
        if (!ToFrame(from, formats[deviceId], frame)) {
            status = mci::MCIERR_OUTOFRANGE;
            return status;
        }
        if (!tracks[TrackAt(frame) - 1].audio) {
            // A drive cannot play a data track.
            status = mci::MCIERR_HARDWARE;
            return status;
        }
        start = FrameSample(frame);
    } else if (start < FrameSample(disc->leadOutFrame) && !tracks[TrackAt(PositionFrame()) - 1].audio) {
        // Playing on from a data track goes on with the next audio track.
        auto next = std::find_if(tracks.begin() + TrackAt(PositionFrame()), tracks.end(),
                                 [](const SimulatedTrack& t) { return t.audio; });
        if (next == tracks.end()) {
            status = mci::MCIERR_HARDWARE;
            return status;
        }
        start = FrameSample(next->startFrame);
    }
    const Motion before = motion;
    positionSample = std::max(start, FrameSample(tracks.front().startFrame));
    playStartMs = clock.NowMs();
    motion = Motion::Playing;
    if (playHead != nullptr) {
        if (positionSample != here || before == Motion::Stopped) {
            playHead->Start(positionSample, FrameSample(disc->leadOutFrame));
            stretchesSeen = 0;
            PlanTrackEnd();
        } else if (before == Motion::Paused) {
            playHead->Resume();  // the paused sound goes on from the sample where it stopped
        }
        // Playing on from where it plays: the sound goes on as it is.
    }
    Settle();  // playing from the lead-out ends at once
    return status;
}

uint32_t SimulatedDrive::Stop(uint32_t deviceId) {
    Settle();
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
    } else if (!IsMediumPresent()) {
        status = mci::MCIERR_HARDWARE;
    } else {
        positionSample = PositionSample();
        motion = Motion::Stopped;
        Silence();
    }
    return status;
}

uint32_t SimulatedDrive::Pause(uint32_t deviceId) {
    Settle();
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
    } else if (!IsMediumPresent()) {
        status = mci::MCIERR_HARDWARE;
    } else if (motion == Motion::Playing) {
        positionSample = PositionSample();
        motion = Motion::Paused;
        if (playHead != nullptr) {
            playHead->Pause();
        }
    }
    return status;
}

uint32_t SimulatedDrive::Seek(uint32_t deviceId, uint32_t flags, uint32_t to) {
    Settle();
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
        return status;
    }
    bool toStart = (flags & mci::MCI_SEEK_TO_START) != 0;
    bool toPosition = (flags & mci::MCI_TO) != 0;
    if (!toStart && !toPosition) {
        status = mci::MCIERR_MISSING_PARAMETER;
    } else if (toStart && toPosition) {
        status = mci::MCIERR_FLAGS_NOT_COMPATIBLE;
    } else if (!IsMediumPresent()) {
        status = mci::MCIERR_HARDWARE;
    } else {
        uint32_t frame = disc->tracks.front().startFrame;
        if (toPosition && !ToFrame(to, formats[deviceId], frame)) {
            status = mci::MCIERR_OUTOFRANGE;
        } else {
            // A seek ends playing or pausing: the drive waits at the new position.
            positionSample = FrameSample(frame);
            motion = Motion::Stopped;
            Silence();
        }
    }
    return status;
}

uint32_t SimulatedDrive::SetDoor(uint32_t deviceId, bool open) {
    Settle();
    uint32_t status = 0;
    if (!Valid(deviceId)) {
        status = mci::MCIERR_INVALID_DEVICE_ID;
        return status;
    }
    if (open != doorOpen) {
        // Opening takes the medium away; closing brings the disc back, stopped at its start.
        doorOpen = open;
        motion = Motion::Stopped;
        Silence();
        positionSample = (!open && disc) ? FrameSample(disc->tracks.front().startFrame) : 0;
    }
    return status;
}

}  // namespace discdeck
