#include "cdaudio/DriveSelector.h"

#include <utility>

#include "cdaudio/SimulatedDrive.h"

namespace discdeck {

namespace {

// The drive of a machine without one: it cannot be opened.
class NoDrive : public MediaControl {
  public:
    uint32_t Open(uint32_t&) override { return mci::MCIERR_CANNOT_LOAD_DRIVER; }
    uint32_t Close(uint32_t) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t SetTimeFormat(uint32_t, uint32_t) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t Status(uint32_t, uint32_t, bool, uint32_t, uint32_t&) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t Play(uint32_t, bool, uint32_t) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t Stop(uint32_t) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t Pause(uint32_t) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t Seek(uint32_t, uint32_t, uint32_t) override { return mci::MCIERR_INVALID_DEVICE_ID; }
    uint32_t SetDoor(uint32_t, bool) override { return mci::MCIERR_INVALID_DEVICE_ID; }
};

}  // namespace

DriveSelector::DriveSelector(std::unique_ptr<MediaControl> realDrive,
                             std::unique_ptr<SoundOutput> output,
                             std::unique_ptr<Clock> clock,
                             SoundPlayer::Feeding feeding)
    : clock(std::move(clock)),
      output(std::move(output)),
      sound(*this->output, *this->clock, feeding),
      realDrive(realDrive ? std::move(realDrive) : std::make_unique<NoDrive>()) {}

DriveSelector::~DriveSelector() {
    sheetDrive.reset();  // detaches from the sound before the player goes
}

MediaControl& DriveSelector::Current() {
    if (sheetDrive) {
        return *sheetDrive;
    }
    return *realDrive;
}

void DriveSelector::ChangeDisc(const std::string& sheetPath) {
    sheetDrive.reset();
    sheetDrive = std::make_unique<SheetFileDrive>(sheetPath, *clock);
    sheetDrive->AttachSound(&sound);
    sheetDrive->Refresh();
}

std::string DriveSelector::SheetPath() const {
    return sheetDrive ? sheetDrive->SheetPath() : std::string();
}

CueError DriveSelector::SheetError() const {
    return sheetDrive ? sheetDrive->LastError() : CueError{};
}

}  // namespace discdeck
