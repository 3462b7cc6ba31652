#include "lookup/CddbLookup.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "lookup/CddbCommands.h"
#include "lookup/CddbReply.h"
#include "ports/Utf8Text.h"

namespace discdeck {

namespace {

void ParseEntry(std::string_view reply, LookupOutcome& outcome) {
    DiscInfo& disc = outcome.disc;
    const size_t titleCount = std::min<size_t>(disc.trackCount, disc.trackTitles.size());
    ParseEntryText(ReplyBytesToUtf8(reply),
                   EntryFields{disc.category, disc.discTitle, disc.trackTitles.data(), titleCount});
    outcome.entryTaken = true;
}

// Sends one command; false (with the reason in outcome) when it got no answer.
bool Exchange(CddbTransport& transport,
              const std::string& command,
              const std::string& server,
              uint16_t port,
              LookupOutcome& outcome,
              std::string& reply) {
    CddbAnswer answer = transport.Send(command, server, port);
    if (!answer.answered) {
        outcome.exchangeFailed = true;
        outcome.failure = std::move(answer.failure);
        return false;
    }
    reply = std::move(answer.reply);
    return true;
}

// The query's decision; the read command when one follows.
bool DecideQuery(std::string_view reply, LookupOutcome& outcome, std::string& readCommand) {
    const DiscInfo& disc = outcome.disc;
    switch (DecideReply(reply, true)) {
        case ReplyDecision::Succeed:
            return true;
        case ReplyDecision::Fail:
            return false;
        case ReplyDecision::Parse:
            ParseEntry(reply, outcome);
            return true;
        case ReplyDecision::Read: {
            // The category word goes into the next request; only a plain word may.
            std::string word;
            if (!TakeQueryCategory(reply, word)) {
                return false;
            }
            readCommand = BuildReadCommand(word, disc.discId);
            return true;
        }
        case ReplyDecision::ReadListed: {
            std::string word;
            std::string listedId;
            if (!TakeFirstListedMatch(reply, word, listedId)) {
                return false;
            }
            readCommand = "CDDB READ " + word + " " + listedId;
            return true;
        }
    }
    return false;
}

}  // namespace

LookupOutcome LookUpDisc(CddbTransport& transport, DiscInfo disc, const std::string& server, uint16_t port) {
    LookupOutcome outcome;
    outcome.disc = std::move(disc);
    std::string reply;
    if (!Exchange(transport, BuildQueryCommand(outcome.disc.discId, outcome.disc.tracks, outcome.disc.trackCount),
                  server, port, outcome, reply)) {
        return outcome;
    }
    if (reply.empty()) {
        outcome.found = true;
        return outcome;
    }
    std::string readCommand;
    outcome.found = DecideQuery(reply, outcome, readCommand);
    if (!outcome.found || readCommand.empty()) {
        return outcome;
    }

    outcome.found = false;
    if (!Exchange(transport, readCommand, server, port, outcome, reply)) {
        return outcome;
    }
    switch (DecideReply(reply, false)) {
        case ReplyDecision::Succeed:
            outcome.found = true;
            break;
        case ReplyDecision::Fail:
            break;
        default:
            ParseEntry(reply, outcome);
            outcome.found = true;
            break;
    }
    return outcome;
}

LookupOutcome ReadCandidate(CddbTransport& transport,
                            DiscInfo disc,
                            const std::string& command,
                            const std::string& server,
                            uint16_t port) {
    LookupOutcome outcome;
    outcome.disc = std::move(disc);
    std::string reply;
    if (!Exchange(transport, command, server, port, outcome, reply)) {
        return outcome;
    }
    outcome.found = true;
    if (!reply.empty() && DecideReply(reply, false) == ReplyDecision::Parse) {
        ParseEntry(reply, outcome);
    }
    return outcome;
}

}  // namespace discdeck
