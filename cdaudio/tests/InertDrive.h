#pragma once

#include "cdaudio/MediaControl.h"

namespace discdeck {

// A drive that cannot be opened and accepts every other command with a zero result, except that it
// reports a medium while mediaPresent is set. Enough for code that only reads a device's table,
// titles and identifier, which the test fills in itself.
class InertDrive : public MediaControl {
  public:
    uint32_t Open(uint32_t&) override { return 1; }
    uint32_t Close(uint32_t) override { return 0; }
    uint32_t SetTimeFormat(uint32_t, uint32_t) override { return 0; }
    uint32_t Status(uint32_t, uint32_t item, bool, uint32_t, uint32_t& result) override {
        result = item == mci::MCI_STATUS_MEDIA_PRESENT && mediaPresent ? 1 : 0;
        return 0;
    }
    uint32_t Play(uint32_t, bool, uint32_t) override { return 0; }
    uint32_t Stop(uint32_t) override { return 0; }
    uint32_t Pause(uint32_t) override { return 0; }
    uint32_t Seek(uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t SetDoor(uint32_t, bool) override { return 0; }

    bool mediaPresent = true;
};

}  // namespace discdeck
