#include "drive/SheetFileDrive.h"
#include "rip/PathFromUtf8.h"
#include "rip/SheetLoader.h"

#include <utility>

namespace discdeck {

SheetFileDrive::SheetFileDrive(std::string sheetPath, const Clock& clock) : path(std::move(sheetPath)), drive(clock) {}

SheetFileDrive::SheetFileDrive(std::string sheetPath, std::unique_ptr<Clock> clock)
    : ownClock(std::move(clock)), path(std::move(sheetPath)), drive(*ownClock) {}

SheetFileDrive::~SheetFileDrive() {
    AttachSound(nullptr);
}

void SheetFileDrive::AttachSound(SoundPlayer* player) {
    if (sound != nullptr) {
        sound->SetSource(nullptr);
    }
    drive.SetPlayHead(player);
    sound = player;
    if (sound != nullptr) {
        sound->SetSource(audio.get());
    }
}

void SheetFileDrive::TakeDiscOut() {
    drive.RemoveDisc();
    if (sound != nullptr) {
        sound->SetSource(nullptr);
    }
    audio.reset();
}

std::optional<SheetFileDrive::Stamp> SheetFileDrive::ReadStamp() const {
    std::error_code error;
    const std::filesystem::path file = PathFromUtf8(path);
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    Stamp stamp;
    stamp.written = std::filesystem::last_write_time(file, error);
    if (error) {
        return std::nullopt;
    }
    stamp.size = std::filesystem::file_size(file, error);
    if (error) {
        return std::nullopt;
    }
    return stamp;
}

void SheetFileDrive::Refresh() {
    std::optional<Stamp> now = ReadStamp();
    if (!now) {
        lastError = CueError{};  // no sheet is no refusal: the drive is just empty
        if (seen) {
            TakeDiscOut();
            sheet = CueSheet{};
            seen.reset();
        }
        return;
    }
    if (seen && *seen == *now) {
        return;
    }
    // A new file, or the old one rewritten: whatever was in the drive goes, the sheet is read again.
    seen = now;
    TakeDiscOut();
    SimulatedDisc disc;
    lastError = LoadCueSheet(path, sheet, disc, &audio);
    if (lastError.Ok() && !drive.InsertDisc(disc)) {
        lastError = CueError{CueStatus::DiscTooLong, 0, "the sheet does not describe a disc the drive can hold"};
    }
    if (!lastError.Ok()) {
        audio.reset();
    } else if (sound != nullptr) {
        sound->SetSource(audio.get());
    }
}

uint32_t SheetFileDrive::Open(uint32_t& deviceId) {
    Refresh();
    return drive.Open(deviceId);
}

uint32_t SheetFileDrive::Close(uint32_t deviceId) {
    Refresh();
    return drive.Close(deviceId);
}

uint32_t SheetFileDrive::SetTimeFormat(uint32_t deviceId, uint32_t format) {
    Refresh();
    return drive.SetTimeFormat(deviceId, format);
}

uint32_t SheetFileDrive::Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) {
    Refresh();
    return drive.Status(deviceId, item, withTrack, track, result);
}

uint32_t SheetFileDrive::Play(uint32_t deviceId, bool withFrom, uint32_t from) {
    Refresh();
    return drive.Play(deviceId, withFrom, from);
}

uint32_t SheetFileDrive::Stop(uint32_t deviceId) {
    Refresh();
    return drive.Stop(deviceId);
}

uint32_t SheetFileDrive::Pause(uint32_t deviceId) {
    Refresh();
    return drive.Pause(deviceId);
}

uint32_t SheetFileDrive::Seek(uint32_t deviceId, uint32_t flags, uint32_t to) {
    Refresh();
    return drive.Seek(deviceId, flags, to);
}

uint32_t SheetFileDrive::SetDoor(uint32_t deviceId, bool open) {
    Refresh();
    return drive.SetDoor(deviceId, open);
}

}  // namespace discdeck
