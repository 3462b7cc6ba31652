#include "drive/SheetFileDrive.h"

#include <fstream>
#include <string_view>
#include <utility>

#include "rip/PathFromUtf8.h"
#include "rip/SheetLoader.h"
#include "sound/SlowDiscAudio.h"

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
        sound->SetSource(audio);
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
    // Every command looks, so only the head of the file counts: all of a sheet, and the metadata of
    // an image that carries its sheet inside.
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string head(kHashedBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    stamp.contentHash = std::hash<std::string_view>()(head);
    return stamp;
}

void SheetFileDrive::Load() {
    loadOnOpen = false;
    SimulatedDisc disc;
    std::unique_ptr<DiscAudio> loaded;
    lastError = LoadCueSheet(path, sheet, disc, &loaded);
    if (lastError.Ok() && !drive.InsertDisc(disc)) {
        lastError = CueError{CueStatus::DiscTooLong, 0, "the sheet does not describe a disc the drive can hold"};
    }
    if (!lastError.Ok()) {
        return;
    }
    audio = std::move(loaded);
    if (readDelay.count() > 0 && audio) {
        audio = std::make_shared<SlowDiscAudio>(audio, readDelay);
    }
    if (sound != nullptr) {
        sound->SetSource(audio);
    }
}

void SheetFileDrive::Refresh() {
    std::optional<Stamp> now = ReadStamp();
    if (!now) {
        lastError = CueError{};  // no sheet is no refusal: the drive is just empty
        loadOnOpen = false;
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
    // A disc that was in (or one still waiting to go in) goes out for the player to see.
    const bool hadDisc = drive.HasDisc() || loadOnOpen;
    TakeDiscOut();
    sheet = CueSheet{};
    lastError = CueError{};
    if (hadDisc && drive.OpenDeviceCount() > 0) {
        loadOnOpen = true;
        return;
    }
    Load();
}

uint32_t SheetFileDrive::Open(uint32_t& deviceId) {
    Refresh();
    if (loadOnOpen) {
        Load();
    }
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
