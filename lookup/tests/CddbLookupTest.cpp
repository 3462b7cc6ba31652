#include <gtest/gtest.h>

#include <memory>

#include "cdaudio/CdAudioDevice.h"
#include "drive/SimulatedDrive.h"
#include "lookup/CddbCommands.h"
#include "lookup/CddbLookup.h"
#include "lookup/CddbTransport.h"
#include "lookup/ReplyBuffer.h"
#include "lookup/ServerCommands.h"
#include "lookup/tests/LookupFakes.h"

namespace discdeck {
namespace {

using testing::Answer;
using testing::FakeAnswer;
using testing::FakeHttpGet;
using testing::InlineRunner;
using testing::RecordingTextSink;
using testing::ScriptedRunner;

constexpr const char* kEntry =
    "210 rock b014802 CD database entry follows (until terminating `.')\r\n# xmcd\r\n#\r\nDISCID=b014802\r\n"
    "DTITLE=Artist / Title\r\nTTITLE0=One\r\nTTITLE1=Two\r\nEXTD=\r\nEXTT0=\r\nEXTT1=\r\nPLAYORDER=\r\n.\r\n";

std::string CommandOf(const HttpRequest& request) {
    const size_t begin = request.path.find("cmd=") + 4;
    return request.path.substr(begin, request.path.find('&') - begin);
}

// The look-up as the window uses it: the disc's description goes out as a value and comes back
// into the device when the look-up found it.
bool Apply(CdAudioDevice& device, const LookupOutcome& outcome, RecordingTextSink& status) {
    if (outcome.exchangeFailed) {
        status.text = outcome.failure;
    }
    if (outcome.entryTaken) {
        TakeDescription(device, outcome.disc);
    }
    return outcome.found;
}

// The device over the simulated drive holding the disc of the worked example (id b014802).
class LookupDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(drive.InsertDisc(MakeAudioDisc({{0, 2, 0}, {3, 0, 0}}, {5, 30, 0})));
        device = std::make_unique<CdAudioDevice>(drive);
        ASSERT_EQ(0x0b014802u, device->discId);
        ASSERT_EQ(2u, device->trackCount);
        UseRunner(std::make_unique<InlineRunner>());
        device->discTitle = "old title";
        device->category = "old category";
        device->trackTitles[0] = "old 0";
        device->trackTitles[1] = "old 1";
    }

    void UseRunner(std::unique_ptr<WorkerRunner> runner) {
        transport = std::make_unique<CddbTransport>(http, std::move(runner));
    }

    bool Query() { return Apply(*device, LookUpDisc(*transport, DiscInfoOf(*device), "cddb.test", 8880), status); }
    bool ReadCandidate(const std::string& line) {
        std::string command;
        if (!BuildCandidateReadCommand(line, command)) {
            return false;
        }
        Apply(*device, discdeck::ReadCandidate(*transport, DiscInfoOf(*device), command, "cddb.test", 80), status);
        return true;
    }

    std::vector<std::string> Commands() {
        std::vector<std::string> commands;
        for (const HttpRequest& request : http->Requests()) {
            commands.push_back(CommandOf(request));
        }
        return commands;
    }

    bool Unchanged() const {
        return device->discTitle == "old title" && device->category == "old category" &&
               device->trackTitles[0] == "old 0" && device->trackTitles[1] == "old 1";
    }

    ManualClock clock;
    SimulatedDrive drive{clock};
    std::unique_ptr<CdAudioDevice> device;
    std::shared_ptr<FakeHttpGet> http = std::make_shared<FakeHttpGet>();
    std::unique_ptr<CddbTransport> transport;
    RecordingTextSink status;
};

const std::vector<std::string> kQueryOnly = {"CDDB+QUERY+b014802+2+150+13500+330"};
const std::vector<std::string> kQueryAndRead = {"CDDB+QUERY+b014802+2+150+13500+330", "CDDB+READ+rock+b014802"};

TEST_F(LookupDevice, ExactMatchIsReadWithTheLocalId) {
    http->Push(Answer("200 rock 0badbeef Artist / Title\r\n"));
    http->Push(Answer(kEntry));
    EXPECT_TRUE(Query());
    EXPECT_EQ(kQueryAndRead, Commands());
    EXPECT_EQ("rock", device->category);
    EXPECT_EQ("Artist / Title", device->discTitle);
    EXPECT_EQ("One", device->trackTitles[0]);
    EXPECT_EQ("Two", device->trackTitles[1]);
    EXPECT_EQ(" b014802", FormatDiscIdField(device->discId));
}

// A UTF-8 entry keeps its titles; a stray Latin-1 byte becomes its character instead of garbling
// the title.
TEST_F(LookupDevice, EntryTitlesAreUtf8WhateverTheReplyHolds) {
    http->Push(Answer("200 misc b014802 x\r\n"));
    http->Push(
        Answer("210 misc b014802\r\nDTITLE=\xCE\xA3\xCF\x89 / Caf\xE9\r\nTTITLE0=\xE6\x97\xA5\r\n"
               "TTITLE1=M\xFCller\r\n.\r\n"));
    EXPECT_TRUE(Query());
    EXPECT_EQ("\xCE\xA3\xCF\x89 / Caf\xC3\xA9", device->discTitle);
    EXPECT_EQ("\xE6\x97\xA5", device->trackTitles[0]);
    EXPECT_EQ("M\xC3\xBCller", device->trackTitles[1]);
}

struct FirstReplyCase {
    const char* name;
    const char* reply;
    int status;
    bool result;
};

void PrintTo(const FirstReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupFirstReply : public LookupDevice, public ::testing::WithParamInterface<FirstReplyCase> {};

// Replies to the query after which nothing more is sent or parsed.
TEST_P(LookupFirstReply, EndsWithoutRead) {
    http->Push(Answer(GetParam().reply, GetParam().status));
    http->Push(Answer(kEntry));
    EXPECT_EQ(GetParam().result, Query());
    EXPECT_EQ(kQueryOnly, Commands());
    EXPECT_TRUE(Unchanged());
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    LookupFirstReply,
    ::testing::Values(
        FirstReplyCase{"NoMatch", "202 No match for disc ID b014802.\r\n", 200, true},
        FirstReplyCase{
            "Inexact",
            "211 Found inexact matches, list follows (until terminating `.')\r\nrock 0b014803 X / Y\r\n.\r\n", 200,
            true},
        FirstReplyCase{"NotFoundStatus", "200 rock b014802 X\r\n", 404, true},
        FirstReplyCase{"EmptyBody", "", 200, true},
        FirstReplyCase{"Error4xx", "403 Database entry is corrupt.\r\n", 200, false},
        FirstReplyCase{"Error5xx", "500 Command syntax error.\r\n", 200, false},
        // Category words that would change the read request.
        FirstReplyCase{"HeaderInCategory", "200 rock\r\nX-Injected:+1 b014802 X\r\n", 200, false},
        FirstReplyCase{"EncodedLineEnd", "200 rock%0D%0AHost:+evil b014802 X\r\n", 200, false},
        FirstReplyCase{"ExtraParameter", "200 rock&cmd=motd b014802 X\r\n", 200, false},
        FirstReplyCase{"CategoryTooLong", "200 abcdefghijklmnopqrstu b014802 X\r\n", 200, false},
        FirstReplyCase{"NoCategory", "200", 200, false},
        FirstReplyCase{"EmptyCategory", "200  b014802 X\r\n", 200, false},
        FirstReplyCase{"ListWithoutMatches", "210 Found exact matches, list follows\r\n.\r\n", 200, false},
        FirstReplyCase{"ListWithBadId", "210 Found exact matches\r\nrock b0148zz X\r\n.\r\n", 200, false}),
    [](const auto& info) { return info.param.name; });

class LookupFirstReplyEntry : public LookupDevice, public ::testing::WithParamInterface<const char*> {};

// Replies to the query that are taken for an entry at once.
TEST_P(LookupFirstReplyEntry, ParsedWithoutRead) {
    http->Push(Answer(std::string(GetParam()) + " misc b014802\r\nDTITLE=Parsed\r\nTTITLE0=P0\r\nTTITLE1=P1\r\n"));
    EXPECT_TRUE(Query());
    EXPECT_EQ(kQueryOnly, Commands());
    EXPECT_EQ("misc", device->category);
    EXPECT_EQ("Parsed", device->discTitle);
    EXPECT_EQ("P1", device->trackTitles[1]);
}

INSTANTIATE_TEST_SUITE_P(Codes, LookupFirstReplyEntry, ::testing::Values("212", "219", "230", "299", "100", "Hi"));

TEST_F(LookupDevice, ListOfExactMatchesReadsTheFirstMatch) {
    http->Push(
        Answer("210 Found exact matches, list follows (until terminating `.')\r\nfolk 0B014802 Artist / Title\r\n"
               "rock 0b014802 Artist / Title\r\n.\r\n"));
    http->Push(Answer(kEntry));
    EXPECT_TRUE(Query());
    EXPECT_EQ((std::vector<std::string>{kQueryOnly[0], "CDDB+READ+folk+0b014802"}), Commands());
    EXPECT_EQ("rock", device->category);  // the entry's own status line
    EXPECT_EQ("Artist / Title", device->discTitle);
    EXPECT_EQ("Two", device->trackTitles[1]);
}

struct SecondReplyCase {
    const char* name;
    const char* reply;
    int status;
    bool result;
    bool parsed;
};

void PrintTo(const SecondReplyCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupSecondReply : public LookupDevice, public ::testing::WithParamInterface<SecondReplyCase> {};

TEST_P(LookupSecondReply, AfterTheRead) {
    http->Push(Answer("200 rock b014802 Artist / Title\r\n"));
    http->Push(Answer(GetParam().reply, GetParam().status));
    EXPECT_EQ(GetParam().result, Query());
    EXPECT_EQ(kQueryAndRead, Commands());
    if (GetParam().parsed) {
        EXPECT_EQ("Read", device->discTitle);
        EXPECT_EQ("R1", device->trackTitles[1]);
    } else {
        EXPECT_TRUE(Unchanged());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    LookupSecondReply,
    ::testing::Values(
        SecondReplyCase{"Entry", "210 rock b014802\r\nDTITLE=Read\r\nTTITLE0=R0\r\nTTITLE1=R1\r\n.\r\n", 200, true,
                        true},
        SecondReplyCase{"Code200", "200 rock b014802\r\nDTITLE=Read\r\nTTITLE0=R0\r\nTTITLE1=R1\r\n", 200, true, true},
        SecondReplyCase{"Code250", "250 rock b014802\r\nDTITLE=Read\r\nTTITLE0=R0\r\nTTITLE1=R1\r\n", 200, true, true},
        SecondReplyCase{"NoMatch", "202 No match\r\n", 200, true, false},
        SecondReplyCase{"Inexact", "211 list\r\n.\r\n", 200, true, false},
        SecondReplyCase{"NotFound", "401 rock b014802 No such CD entry in database.\r\n", 200, false, false},
        SecondReplyCase{"ServerError", "500 Internal error\r\n", 200, false, false},
        SecondReplyCase{"EmptyBody", "", 200, true, false},
        SecondReplyCase{"HttpError", "210 rock b014802\r\nDTITLE=Read\r\n", 500, true, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(LookupDevice, TimedOutOrFailedWaitEndsWithFalse) {
    UseRunner(std::make_unique<ScriptedRunner>(WaitResult{WaitOutcome::WaitFailed, "The wait failed."}));
    http->Push(Answer(kEntry));
    EXPECT_FALSE(Query());
    EXPECT_EQ("The wait failed.", status.text);
    EXPECT_EQ(1u, http->Requests().size());
    EXPECT_TRUE(Unchanged());
}

TEST_F(LookupDevice, ReplyCutInsideTheTitles) {
    std::string entry = "210 rock b014802 CD database entry follows\r\n#";
    entry.append(kReplyBufferSize - entry.size() - 40, '.');
    entry += "\r\nDTITLE=Artist / Title\r\nTTITLE0=One\r\nTTITLE1=Two is cut\r\n.\r\n";
    http->Push(Answer("200 rock b014802 X\r\n"));
    http->Push(Answer(entry));
    EXPECT_TRUE(Query());
    EXPECT_EQ("Artist / Title", device->discTitle);
    EXPECT_EQ("One", device->trackTitles[0]);
    EXPECT_EQ("", device->trackTitles[1]);
}

TEST_F(LookupDevice, CandidateRead) {
    http->Push(Answer(kEntry));
    EXPECT_TRUE(ReadCandidate("rock b014802 Artist / Title"));
    EXPECT_EQ(std::vector<std::string>{"CDDB+READ+rock+b014802"}, Commands());
    EXPECT_EQ("Two", device->trackTitles[1]);
}

TEST_F(LookupDevice, RefusedCandidateReadKeepsTheDescription) {
    for (const char* reply : {"401 rock b014802 No such CD entry in database.\r\n", "211 list\r\n.\r\n", ""}) {
        http->Push(Answer(reply));
        EXPECT_TRUE(ReadCandidate("rock b014802 Artist / Title"));
        EXPECT_TRUE(Unchanged()) << reply;
    }
    EXPECT_FALSE(ReadCandidate("211 Found inexact matches, list follows"));
    EXPECT_EQ(3u, http->Requests().size());
    UseRunner(std::make_unique<ScriptedRunner>(WaitResult{WaitOutcome::TimedOut, {}}));
    EXPECT_TRUE(ReadCandidate("rock b014802 Artist / Title"));
    EXPECT_TRUE(Unchanged());
}

}  // namespace
}  // namespace discdeck
