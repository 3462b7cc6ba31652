#pragma once

#include <memory>
#include <string>

#include "lookup/CddbTransport.h"

namespace discdeck {

// The transport the player hands its device: WinINet requests on Win32 worker threads.
// applicationName is sent as the user agent (the name the player runs under, "discdeck").
std::unique_ptr<CddbTransport> CreateProductTransport(const std::string& applicationName);

}  // namespace discdeck
