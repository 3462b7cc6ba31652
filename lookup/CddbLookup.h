#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cdaudio/CdAudioDevice.h"
#include "lookup/CddbTransport.h"

namespace discdeck {

// The disc as a look-up asks for it and the description the look-up brings back. A value, so an
// exchange running beside the window carries its own copy and never reads the device.
struct DiscInfo {
    uint32_t discId = 0;
    uint32_t trackCount = 0;
    TrackTable tracks{};
    std::string category;
    std::string discTitle;
    std::array<std::string, kTableEntries> trackTitles;
};

DiscInfo DiscInfoOf(const CdAudioDevice& device);
// The description (category, disc and track titles) goes into the device; its table stays.
void TakeDescription(CdAudioDevice& device, const DiscInfo& disc);

// What an exchange of the look-up or a candidate read brought back.
struct LookupOutcome {
    bool found = false;           // the look-up succeeded (a no-match reply counts as success)
    bool exchangeFailed = false;  // a command got no answer; failure says why
    bool entryTaken = false;      // an entry's fields went into disc
    std::string failure;
    DiscInfo disc;  // the description asked with, with what the server's entry changed in it
};

// The disc's look-up: the query and, where the reply calls for it, the read of the entry. Blocks
// for up to CddbTransport::kWaitMs per command, so it runs beside the window.
LookupOutcome LookUpDisc(CddbTransport& transport, DiscInfo disc, const std::string& server, uint16_t port);

// The read of a candidate the user picked from a 211 list, for a command BuildCandidateReadCommand
// made. Only an entry is taken apart: no reply, an error reply or a no-match reply leaves the
// description as it was, so a refused read cannot wipe titles the window may store afterwards.
LookupOutcome ReadCandidate(CddbTransport& transport,
                            DiscInfo disc,
                            const std::string& command,
                            const std::string& server,
                            uint16_t port);

}  // namespace discdeck
