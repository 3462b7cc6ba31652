#include "cdaudio/DiscInfo.h"

#include "cdaudio/CdAudioDevice.h"

namespace discdeck {

DiscInfo DiscInfoOf(const CdAudioDevice& device) {
    DiscInfo disc;
    disc.discId = device.discId;
    disc.trackCount = device.trackCount;
    disc.tracks = device.tracks;
    disc.category = device.category;
    disc.discTitle = device.discTitle;
    disc.trackTitles = device.trackTitles;
    return disc;
}

void TakeDescription(CdAudioDevice& device, const DiscInfo& disc) {
    device.category = disc.category;
    device.discTitle = disc.discTitle;
    device.trackTitles = disc.trackTitles;
}

}  // namespace discdeck
