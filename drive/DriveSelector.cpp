#include "drive/DriveSelector.h"

#include <utility>

namespace discdeck {

DriveSelector::DriveSelector(std::unique_ptr<MediaControl> realDrive,
                             std::unique_ptr<SoundOutput> output,
                             std::unique_ptr<Clock> clock,
                             SoundPlayer::Feeding feeding)
    : clock(std::move(clock)),
      output(std::move(output)),
      sound(*this->output, *this->clock, feeding),
      realDrive(std::move(realDrive)) {}

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
    sheetDrive->SetReadDelay(readDelay);
    sheetDrive->Drive().SetTrackEnd(trackEnd);
    sheetDrive->Refresh();
}

void DriveSelector::SetTrackEnd(TrackEnd end) {
    trackEnd = end;
    if (sheetDrive) {
        sheetDrive->Drive().SetTrackEnd(end);
    }
}

uint32_t DriveSelector::TakeTrackSwitches() {
    return sheetDrive ? sheetDrive->Drive().TakeTrackSwitches() : 0;
}

std::string DriveSelector::SheetPath() const {
    return sheetDrive ? sheetDrive->SheetPath() : std::string();
}

CueError DriveSelector::SheetError() const {
    return sheetDrive ? sheetDrive->LastError() : CueError{};
}

RipTitles DriveSelector::Titles() const {
    return sheetDrive && sheetDrive->LastError().Ok() ? TitlesOfSheet(sheetDrive->Sheet()) : RipTitles{};
}

}  // namespace discdeck
