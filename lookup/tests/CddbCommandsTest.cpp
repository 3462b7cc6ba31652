#include <gtest/gtest.h>

#include "lookup/CddbCommands.h"
#include "lookup/LyricsSearch.h"
#include "lookup/ServerCommands.h"

namespace discdeck {
namespace {

TrackTable Table(std::initializer_list<TrackEntry> entries) {
    TrackTable table{};
    size_t k = 0;
    for (const TrackEntry& entry : entries) {
        table[k++] = entry;
    }
    return table;
}

TEST(LookupCommands, WorkedExample) {
    // Tracks at 00:02:00 and 03:00:00, lead-out at 05:30:00.
    const TrackTable table = Table({{0, 2, 0, 0, 0}, {3, 0, 0, 0, 0}, {5, 30, 0, 0, 0}});
    EXPECT_EQ("CDDB QUERY b014802 2 150 13500 330", BuildQueryCommand(0x0b014802, table, 2));
    EXPECT_EQ("CDDB READ rock b014802", BuildReadCommand("rock", 0x0b014802));
    EXPECT_EQ(" b014802", FormatDiscIdField(0x0b014802));
}

TEST(LookupCommands, FramesEnterTheOffsetsButNotTheLength) {
    const TrackTable table = Table({{0, 2, 33, 0, 0}, {1, 0, 74, 0, 0}, {2, 10, 70, 0, 0}});
    EXPECT_EQ("CDDB QUERY 2008202 2 183 4574 130", BuildQueryCommand(0x02008202, table, 2));
}

TEST(LookupCommands, DataTrackHasOffsetZeroButCounts) {
    const TrackTable table = Table({{0, 2, 0, 0, 0}, {}, {40, 0, 0, 0, 0}});
    EXPECT_EQ("CDDB QUERY 1a096002 2 150 0 2400", BuildQueryCommand(0x1a096002, table, 2));
}

TEST(LookupCommands, UnreadDiscHasIdZero) {
    EXPECT_EQ("CDDB QUERY 0 0 0", BuildQueryCommand(0, TrackTable{}, 0));
    EXPECT_EQ("CDDB READ misc 0", BuildReadCommand("misc", 0));
    EXPECT_EQ("       0", FormatDiscIdField(0));
}

TEST(LookupCommands, FullHexadecimalIdAndPadding) {
    EXPECT_EQ("8409a30a", FormatDiscIdField(0x8409a30a));
    EXPECT_EQ("     a0b", FormatDiscIdField(0xa0b));
    EXPECT_EQ("CDDB READ jazz ffffffff", BuildReadCommand("jazz", 0xffffffff));
}

TEST(LookupCommands, TrackCountBeyondTheTableIsCut) {
    TrackTable table{};
    table[kMaxTracks] = {70, 0, 0, 0, 0};
    const std::string command = BuildQueryCommand(1, table, 500);
    EXPECT_EQ(0u, command.rfind("CDDB QUERY 1 99 ", 0));
    EXPECT_EQ(" 4200", command.substr(command.size() - 5));
}

TEST(LookupObjectPath, HelpCommand) {
    std::string path;
    ASSERT_TRUE(BuildObjectPath("HELP", path));
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=HELP&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6", path);
}

TEST(LookupObjectPath, SpacesBecomePlusAndNothingElseChanges) {
    std::string path;
    ASSERT_TRUE(BuildObjectPath("CDDB READ rock b014802", path));
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=CDDB+READ+rock+b014802&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6", path);
    ASSERT_TRUE(BuildObjectPath("CDDB  LSCAT%~", path));
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=CDDB++LSCAT%~&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6", path);
}

struct HelloCase {
    const char* address;
    const char* hello;  // as the query string carries it
    const char* userName = "";
    const char* computerName = "";
};

void PrintTo(const HelloCase& c, std::ostream* os) {
    *os << testing::PrintToString(std::string(c.address));
}

class LookupHello : public testing::TestWithParam<HelloCase> {};

// A plausible address wins; without one the user and computer names make the hello.
TEST_P(LookupHello, TheAddressOrElseTheNamesGiveTheHelloItsUserAndHost) {
    std::string path;
    const CddbHello hello =
        HelloForAddress(GetParam().address, HelloForUser(GetParam().userName, GetParam().computerName));
    ASSERT_TRUE(BuildObjectPath("HELP", path, hello));
    EXPECT_EQ(std::string("/~cddb/cddb.cgi?cmd=HELP&hello=") + GetParam().hello + "+TarvikCDDB+1.0&proto=6", path);
}

INSTANTIATE_TEST_SUITE_P(Addresses,
                         LookupHello,
                         testing::Values(HelloCase{"jane.doe@example.org", "jane.doe+example.org"},
                                         HelloCase{"a+b_c-9@mail-1.example", "a%2Bb_c-9+mail-1.example"},
                                         HelloCase{"", "cd+discdeck.example"},
                                         HelloCase{"jane", "cd+discdeck.example"},
                                         HelloCase{"@example.org", "cd+discdeck.example"},
                                         HelloCase{"jane@", "cd+discdeck.example"},
                                         HelloCase{"a@b@c", "cd+discdeck.example"},
                                         HelloCase{"jane doe@example.org", "cd+discdeck.example"},
                                         HelloCase{"jane@example.org&proto=6", "cd+discdeck.example"},
                                         HelloCase{"j\xe4ne@example.org", "cd+discdeck.example"},
                                         HelloCase{"jane@example.org\r\n", "cd+discdeck.example"},
                                         HelloCase{"jane.doe@example.org", "jane.doe+example.org", "jdoe", "PC"},
                                         HelloCase{"", "jdoe+DESKTOP-7Q2", "jdoe", "DESKTOP-7Q2"},
                                         HelloCase{"jane", "J.Doe_2+PC01", "J. Doe_2", "PC 01"},
                                         HelloCase{"", "Sokrates+discdeck.example", "\xCE\xA3 Sokrates+",
                                                   "\xE6\x97\xA5"},
                                         HelloCase{"", "cd+pc", "\xCE\xA3\xCF\x89", "pc"}));

TEST(LookupObjectPath, ControlCharactersAreRefused) {
    std::string path = "kept";
    for (const char* command : {"CDDB READ rock\r\nX-Injected: 1", "HELP\n", "VER\t", "MOTD\x7f"}) {
        EXPECT_FALSE(BuildObjectPath(command, path)) << command;
    }
    EXPECT_EQ("kept", path);
}

struct LyricsCase {
    const char* discTitle;
    const char* bands;
};

void PrintTo(const LyricsCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.discTitle);
}

class LookupLyricsAddress : public ::testing::TestWithParam<LyricsCase> {};

TEST_P(LookupLyricsAddress, BandsValue) {
    const std::string expected = std::string("http://lyrics.discdeck.example/search/checknormal.asp?bands=") +
                                 GetParam().bands + "&label=&song=&match=like";
    EXPECT_EQ(expected, BuildLyricsAddress(GetParam().discTitle));
}

INSTANTIATE_TEST_SUITE_P(Titles,
                         LookupLyricsAddress,
                         ::testing::Values(LyricsCase{"The Band / The Album", "The+Band"},
                                           LyricsCase{"Orvo Lindqvist / Northern Lights", "Orvo+Lindqvist"},
                                           LyricsCase{"Title Without Slash", "Title+Without+Slash"},
                                           LyricsCase{"", ""},
                                           LyricsCase{"   ", ""},
                                           LyricsCase{"/ Album Only", ""},
                                           LyricsCase{" \t Artist  / Album", "Artist"},
                                           LyricsCase{"AC/DC / Live", "AC"},
                                           LyricsCase{"Simon & Garfunkel / Hits", "Simon+%26+Garfunkel"},
                                           LyricsCase{"a?b#c=d+e%f", "a%3Fb%23c%3Dd%2Be%25f"},
                                           LyricsCase{"Tab\tInside", "Tab%09Inside"},
                                           LyricsCase{"Bj\xc3\xb6rk / Debut", "Bj%C3%B6rk"},
                                           LyricsCase{"\xce\xa3\xcf\x89 / x", "%CE%A3%CF%89"},
                                           LyricsCase{"keep-_.~", "keep-_.~"}));

TEST(LookupCandidateRead, CommandFromAListLine) {
    std::string command;
    ASSERT_TRUE(BuildCandidateReadCommand("folk 8909a70a Orvo Lindqvist / Northern Lights (Live)", command));
    EXPECT_EQ("CDDB READ folk 8909a70a", command);
    ASSERT_TRUE(BuildCandidateReadCommand("rock 8409A30A", command));
    EXPECT_EQ("CDDB READ rock 8409a30a", command);
}

TEST(LookupCandidateRead, LinesWithoutACandidate) {
    for (const char* line : {"211 Found inexact matches, list follows (until terminating `.')", ".", "", "rock",
                             "rock ", "ro&ck 8409a30a x", "rock 8409a30a9 x", "rock zz x", "rock  8409a30a"}) {
        std::string command = "kept";
        EXPECT_FALSE(BuildCandidateReadCommand(line, command)) << line;
        EXPECT_EQ("kept", command);
    }
}

TEST(LookupCandidateRead, OnlyTheFirst255CharactersCount) {
    std::string command;
    const std::string category(20, 'a');
    std::string line = category + " " + "1234";
    line.resize(255, 'x');
    line += "5678 more";
    // The id runs into the padding: "1234xxx..." is not a disc id.
    EXPECT_FALSE(BuildCandidateReadCommand(line, command));
    EXPECT_TRUE(BuildCandidateReadCommand(category + " 1234 " + std::string(300, 'x'), command));
    EXPECT_EQ("CDDB READ " + category + " 1234", command);
}

}  // namespace
}  // namespace discdeck
