#pragma once

#include <cstdint>
#include <string>

#include "cdaudio/DiscInfo.h"
#include "lookup/CddbTransport.h"

namespace discdeck {

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
