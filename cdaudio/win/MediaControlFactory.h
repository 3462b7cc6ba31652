#pragma once

#include <memory>
#include <string>

#include "cdaudio/MediaControl.h"

namespace discdeck {

// The drive the player uses: the virtual disc when "--virtual-disc=<sheet>" is on the command line
// or DISCDECK_VIRTUAL_DISC names a sheet (a simulated drive on the steady clock whose disc is that
// file), otherwise the real "cdaudio" device.
std::unique_ptr<MediaControl> CreateMediaControl(const std::string& commandLine);

}  // namespace discdeck
