#pragma once

#include <memory>
#include <string>

#include "drive/DriveSelector.h"

namespace discdeck {

// The drive the player uses: the virtual disc when "--virtual-disc=<sheet>" or a bare sheet path is
// on the command line or DISCDECK_VIRTUAL_DISC names a sheet (a simulated drive on the steady clock
// whose disc is that file, sounding through wave-out), otherwise the real "cdaudio" device. Another
// sheet can be put in later through the selector. DISCDECK_SLOW_READ_MS=<n> makes every read of a
// rip's sound wait n ms first, as from a slow disk.
constexpr const char* kSlowReadVariable = "DISCDECK_SLOW_READ_MS";
std::unique_ptr<DriveSelector> CreateMediaControl(const std::string& commandLine);

}  // namespace discdeck
