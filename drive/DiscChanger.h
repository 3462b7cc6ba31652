#pragma once

#include <string>

#include "drive/TrackEnd.h"
#include "rip/CueSheet.h"

namespace discdeck {

// Puts another disc (a CUE sheet) into the player's drive, and says why a sheet could not be played.
class DiscChanger {
  public:
    virtual ~DiscChanger() = default;
    // From now on the drive plays this sheet; the old disc is gone. Open device ids are closed first
    // by the caller.
    virtual void ChangeDisc(const std::string& sheetPath) = 0;
    // The sheet in the drive (empty on a real drive) and the outcome of its last reading.
    virtual std::string SheetPath() const = 0;
    virtual CueError SheetError() const = 0;
    // The titles written into the rip in the drive (none on a real drive).
    virtual RipTitles Titles() const = 0;
    // A rip's drive applies the play modes that leave a track at the track's last sample: what it
    // does at the end of the track that plays (kept for later discs), and how many track ends it
    // handled by going back or jumping since the last call. A real drive just goes on.
    virtual void SetTrackEnd(TrackEnd) {}
    virtual uint32_t TakeTrackSwitches() { return 0; }
    virtual bool HandlesTrackEnds() const { return false; }
};

}  // namespace discdeck
