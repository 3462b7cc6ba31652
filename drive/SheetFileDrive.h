#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cdaudio/Clock.h"
#include "cdaudio/MediaControl.h"
#include "drive/SimulatedDrive.h"
#include "drive/TrackEnd.h"
#include "rip/CueSheet.h"
#include "sound/DiscAudio.h"
#include "sound/SoundPlayer.h"

namespace discdeck {

// The virtual disc: a simulated drive whose disc is a CUE sheet file. The medium is present
// exactly while the file exists, checked at every command: deleting the file takes the disc out,
// creating it again puts a disc in, read afresh. A sheet rewritten in place (a tagger, an editor,
// touch) is a disc taken out and another put in: the drive stays empty until a device is opened
// again, as a real drive does while it reads a new disc, so the player sees the old disc go and
// reconnects. A sheet that does not load leaves the drive empty until the file changes.
class SheetFileDrive : public MediaControl {
  public:
    SheetFileDrive(std::string sheetPath, const Clock& clock);
    // The product's form: the drive keeps its own clock.
    SheetFileDrive(std::string sheetPath, std::unique_ptr<Clock> ownClock);
    ~SheetFileDrive() override;
    SheetFileDrive(const SheetFileDrive&) = delete;
    SheetFileDrive& operator=(const SheetFileDrive&) = delete;

    // The disc sounds through this player from now on (null: silent on the clock); the player must
    // outlive the drive or be detached first.
    void AttachSound(SoundPlayer* player);
    // Every read of the disc's sound waits this long first, as from a slow disk (0: none).
    void SetReadDelay(std::chrono::milliseconds delay) { readDelay = delay; }

    uint32_t Open(uint32_t& deviceId) override;
    uint32_t Close(uint32_t deviceId) override;
    uint32_t SetTimeFormat(uint32_t deviceId, uint32_t format) override;
    uint32_t Status(uint32_t deviceId, uint32_t item, bool withTrack, uint32_t track, uint32_t& result) override;
    uint32_t Play(uint32_t deviceId, bool withFrom, uint32_t from) override;
    uint32_t Stop(uint32_t deviceId) override;
    uint32_t Pause(uint32_t deviceId) override;
    uint32_t Seek(uint32_t deviceId, uint32_t flags, uint32_t to) override;
    uint32_t SetDoor(uint32_t deviceId, bool open) override;

    // Looks at the sheet file now (every command does this first).
    void Refresh();

    const std::string& SheetPath() const { return path; }
    SimulatedDrive& Drive() { return drive; }
    // The sheet of the disc in the drive, and the outcome of the last attempt to read one.
    const CueSheet& Sheet() const { return sheet; }
    const CueError& LastError() const { return lastError; }
    // The sound of the disc in the drive (null without one), read from the sheet's data files. It
    // lives until the disc changes: a Refresh that finds the sheet gone, rewritten or replaced.
    DiscAudio* Audio() const { return audio.get(); }

  private:
    // What identifies one version of the file. Time and size alone miss a same-size rewrite within
    // the file system's time resolution (or one that keeps the time), so the content counts too.
    struct Stamp {
        std::filesystem::file_time_type written;
        uintmax_t size = 0;
        size_t contentHash = 0;
        bool operator==(const Stamp& other) const {
            return written == other.written && size == other.size && contentHash == other.contentHash;
        }
    };
    static constexpr size_t kHashedBytes = 64 * 1024;
    std::optional<Stamp> ReadStamp() const;
    // Reads the sheet now and puts its disc in, or keeps why it was refused.
    void Load();
    // The disc and its sound go out together; the player no longer reads the old sound after this.
    void TakeDiscOut();

    std::unique_ptr<Clock> ownClock;
    std::string path;
    SimulatedDrive drive;
    CueSheet sheet;
    std::shared_ptr<DiscAudio> audio;  // shared with the player's feeder while it reads
    CueError lastError;
    std::optional<Stamp> seen;  // the version last read, whether it loaded or not
    bool loadOnOpen = false;    // a rewrite took the disc out; the new one goes in at the next Open
    SoundPlayer* sound = nullptr;
    std::chrono::milliseconds readDelay{0};
};

}  // namespace discdeck
