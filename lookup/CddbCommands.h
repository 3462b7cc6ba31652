#pragma once

#include <cstdint>
#include <string>

#include "cdaudio/DiscInfo.h"
#include "lookup/CddbHello.h"

namespace discdeck {

// The public CDDB server the player asks until the user sets another one, and its HTTP port.
constexpr const char* kDefaultCddbServer = "gnudb.gnudb.org";
constexpr uint16_t kDefaultCddbPort = 80;

// "CDDB QUERY <id> <count> <offset>... <seconds>": the id in lower-case hexadecimal without leading
// zeros, each track's start as a frame offset, the lead-out as whole seconds. A track that is not
// audio has an all-zero entry and so an offset of 0.
std::string BuildQueryCommand(uint32_t discId, const TrackTable& tracks, uint32_t trackCount);

// "CDDB READ <category> <id>".
std::string BuildReadCommand(const std::string& category, uint32_t discId);

// The disc id as the window's id field shows it: "%8x", padded with spaces, never with zeros.
std::string FormatDiscIdField(uint32_t discId);

// The object path of the HTTP GET that carries a command to the server's CDDB program. The
// protocol's own convention turns the command's spaces into "+"; nothing else of the command changes.
// Returns false (and leaves path alone) for a command with control characters, which would end
// the request line early and let the rest be taken for header lines.
bool BuildObjectPath(const std::string& command, std::string& path, const CddbHello& hello = CddbHello());

}  // namespace discdeck
