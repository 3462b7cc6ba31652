#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "lookup/CddbReply.h"

namespace discdeck {
namespace {

// A disc description to parse into, with a recognisable value in every field.
struct Description {
    std::string category = "old category";
    std::string discTitle = "old title";
    std::array<std::string, 12> titles;
    Description() {
        for (size_t i = 0; i < titles.size(); ++i) {
            titles[i] = "old " + std::to_string(i);
        }
    }
    void Parse(std::string_view text, size_t trackCount) {
        ParseEntryText(text, EntryFields{category, discTitle, titles.data(), trackCount});
    }
};

TEST(LookupParseEntry, ReadReplyWithCrLf) {
    Description d;
    d.Parse(
        "210 rock b014802 CD database entry follows (until terminating `.')\r\n# xmcd\r\nDISCID=b014802\r\n"
        "DTITLE=Artist / Title\r\nTTITLE0=One\r\nTTITLE1=Two\r\nEXTD=notes\r\nEXTT0=\r\nPLAYORDER=\r\n.\r\n",
        2);
    EXPECT_EQ("rock", d.category);
    EXPECT_EQ("Artist / Title", d.discTitle);
    EXPECT_EQ("One", d.titles[0]);
    EXPECT_EQ("Two", d.titles[1]);
    EXPECT_EQ("old 2", d.titles[2]);  // beyond the track count
}

TEST(LookupParseEntry, BareLineFeedsKeepTheirLastCharacter) {
    Description d;
    d.Parse("210 rock b014802 entry\nDTITLE=Artist / Title\nTTITLE0=One\nTTITLE1=\nTTITLE2=Three\r\n.\n", 3);
    EXPECT_EQ("Artist / Title", d.discTitle);
    EXPECT_EQ("One", d.titles[0]);
    EXPECT_EQ("", d.titles[1]);
    EXPECT_EQ("Three", d.titles[2]);
}

TEST(LookupParseEntry, ContinuationLinesAreJoinedUntrimmed) {
    Description d;
    d.Parse("210 a b\r\nDTITLE=X\r\nTTITLE0=Part one\r\nTTITLE0= and two\r\nTTITLE1=B\r\nTTITLE1=\r\nTTITLE1= \r\n", 2);
    EXPECT_EQ("Part one and two", d.titles[0]);
    EXPECT_EQ("B ", d.titles[1]);
}

TEST(LookupParseEntry, SearchOnlyMovesForward) {
    Description d;
    // TTITLE0 before the DTITLE line, TTITLE2 before TTITLE1.
    d.Parse("210 a b\r\nTTITLE0=Early\r\nDTITLE=X\r\nTTITLE2=Three\r\nTTITLE1=Two\r\n.\r\n", 3);
    EXPECT_EQ("", d.titles[0]);
    EXPECT_EQ("Two", d.titles[1]);
    EXPECT_EQ("", d.titles[2]);
}

TEST(LookupParseEntry, KeyOfTrackOneDoesNotMatchTrackTen) {
    Description d;
    d.Parse("210 a b\r\nDTITLE=X\r\nTTITLE0=A\r\nTTITLE1=B\r\nTTITLE10=K\r\nTTITLE11=L\r\n", 12);
    EXPECT_EQ("B", d.titles[1]);
    EXPECT_EQ("", d.titles[2]);
    EXPECT_EQ("", d.titles[9]);
    // The missing titles 2 to 9 leave the search position where it was.
    EXPECT_EQ("K", d.titles[10]);
    EXPECT_EQ("L", d.titles[11]);
}

TEST(LookupParseEntry, OnlyTheFirstDiscTitleLine) {
    Description d;
    d.Parse("210 a b\r\nDTITLE=First\r\nDTITLE=Second\r\n", 0);
    EXPECT_EQ("First", d.discTitle);
}

TEST(LookupParseEntry, WithoutDiscTitleLineTheTitleStays) {
    Description d;
    d.Parse("210 folk 12345678\r\nTTITLE0=Only\r\n", 1);
    EXPECT_EQ("folk", d.category);
    EXPECT_EQ("old title", d.discTitle);
    EXPECT_EQ("Only", d.titles[0]);
}

TEST(LookupParseEntry, EmptyReplyChangesNothing) {
    Description d;
    d.Parse("", 3);
    EXPECT_EQ("old category", d.category);
    EXPECT_EQ("old title", d.discTitle);
    EXPECT_EQ("old 0", d.titles[0]);
}

TEST(LookupParseEntry, StatusLineWithFewerThanTwoSpaces) {
    Description d;
    d.Parse("210\r\nDTITLE=A / B\r\nTTITLE0=One\r\n", 1);
    EXPECT_EQ("", d.category);
    EXPECT_EQ("A / B", d.discTitle);
    EXPECT_EQ("One", d.titles[0]);

    Description single;
    single.Parse("210 rock\r\nDTITLE=A / B\r\n", 1);
    EXPECT_EQ("", single.category);
    EXPECT_EQ("A / B", single.discTitle);
    EXPECT_EQ("", single.titles[0]);

    Description bare;
    bare.Parse("DTITLE=unfinished", 2);
    EXPECT_EQ("", bare.category);
    EXPECT_EQ("old title", bare.discTitle);
    EXPECT_EQ("", bare.titles[1]);
}

TEST(LookupParseEntry, UnfinishedLinesOfACutReplyAreNotUsed) {
    Description d;
    d.Parse("210 a b\r\nDTITLE=X\r\nTTITLE0=One\r\nTTITLE0= more\r\nTTITLE1=Tw", 2);
    EXPECT_EQ("One more", d.titles[0]);
    EXPECT_EQ("", d.titles[1]);

    Description cutTitle;
    cutTitle.Parse("210 a b\r\nTTITLE0=x\r\nDTITLE=Artist / Ti", 1);
    EXPECT_EQ("", cutTitle.discTitle);
    EXPECT_EQ("", cutTitle.titles[0]);
}

TEST(LookupParseEntry, LongCategoryWord) {
    Description d;
    const std::string word(3000, 'c');
    d.Parse("210 " + word + " id\r\nDTITLE=T\r\n", 0);
    EXPECT_EQ(word, d.category);
    EXPECT_EQ("T", d.discTitle);
}

TEST(LookupParseEntry, ListOfExactMatchesGivesTheSecondWordAndNoTitle) {
    Description d;
    d.Parse("210 Found exact matches, list follows (until terminating `.')\r\nrock 8409a30a A / B\r\n.\r\n", 1);
    EXPECT_EQ("Found", d.category);
    EXPECT_EQ("old title", d.discTitle);
    EXPECT_EQ("", d.titles[0]);
}

struct DecisionCase {
    const char* reply;
    ReplyDecision first;
    ReplyDecision second;
};

void PrintTo(const DecisionCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.reply);
}

class LookupDecision : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(LookupDecision, Table) {
    EXPECT_EQ(GetParam().first, DecideReply(GetParam().reply, true)) << GetParam().reply;
    EXPECT_EQ(GetParam().second, DecideReply(GetParam().reply, false)) << GetParam().reply;
}

constexpr auto kRead = ReplyDecision::Read;
constexpr auto kListed = ReplyDecision::ReadListed;
constexpr auto kParse = ReplyDecision::Parse;
constexpr auto kSucceed = ReplyDecision::Succeed;
constexpr auto kFail = ReplyDecision::Fail;

INSTANTIATE_TEST_SUITE_P(Codes,
                         LookupDecision,
                         ::testing::Values(DecisionCase{"202 No match", kSucceed, kSucceed},
                                           DecisionCase{"200 rock b014802 A / B", kRead, kParse},
                                           DecisionCase{"201 x", kRead, kParse},
                                           DecisionCase{"203 x", kRead, kParse},
                                           DecisionCase{"209 x", kRead, kParse},
                                           DecisionCase{"20", kRead, kParse},
                                           DecisionCase{"211 Found inexact", kSucceed, kSucceed},
                                           DecisionCase{"210 rock b014802", kListed, kParse},
                                           DecisionCase{"212 x", kParse, kParse},
                                           DecisionCase{"219 x", kParse, kParse},
                                           DecisionCase{"21", kParse, kParse},
                                           DecisionCase{"230 x", kParse, kParse},
                                           DecisionCase{"2", kParse, kParse},
                                           DecisionCase{"401 No such CD", kFail, kFail},
                                           DecisionCase{"4", kFail, kFail},
                                           DecisionCase{"500 Error", kFail, kFail},
                                           DecisionCase{"100 x", kParse, kParse},
                                           DecisionCase{"300 x", kParse, kParse},
                                           DecisionCase{"DTITLE=no code", kParse, kParse}));

TEST(LookupCategory, PlainWordsOnly) {
    std::string category = "kept";
    EXPECT_TRUE(TakeQueryCategory("200 rock b014802 A / B", category));
    EXPECT_EQ("rock", category);
    EXPECT_TRUE(TakeQueryCategory("200 Soundtrack", category));
    EXPECT_EQ("Soundtrack", category);
    EXPECT_TRUE(TakeQueryCategory("200 " + std::string(20, 'z') + " 1", category));
    EXPECT_EQ(std::string(20, 'z'), category);

    category = "kept";
    for (const std::string& reply : std::vector<std::string>{
             "200", "200 ", "200  rock 1", "200 " + std::string(21, 'z') + " 1", "200 rock%0D%0AX-Header:+1 b014802",
             "200 ro&proto=1 1", "200 r0ck 1", "200 rock\tjazz 1", "200 rock\r\nX-Injected: 1 b014802", "200 rock\r\n",
             "200 \xe9t\xe9 1"}) {
        EXPECT_FALSE(TakeQueryCategory(reply, category)) << reply;
    }
    EXPECT_EQ("kept", category);
}

TEST(LookupCategory, FirstListedMatch) {
    std::string category;
    std::string id;
    EXPECT_TRUE(
        TakeFirstListedMatch("210 Found exact matches, list follows (until terminating `.')\r\nrock 8409A30A Orvo / "
                             "NL\r\nfolk 8409a30a X\r\n.\r\n",
                             category, id));
    EXPECT_EQ("rock", category);
    EXPECT_EQ("8409a30a", id);
    EXPECT_TRUE(TakeFirstListedMatch("210 list\nmisc 1a\n", category, id));
    EXPECT_EQ("misc", category);
    EXPECT_EQ("1a", id);

    for (const char* reply :
         {"210 list", "210 list\r\n", "210 list\r\n.\r\n", "210 list\r\nrock\r\n", "210 list\r\nrock \r\n",
          "210 list\r\nrock 123456789 x\r\n", "210 list\r\nrock 12g4 x\r\n", "210 list\r\nro/ck 1234 x\r\n",
          "210 list\r\n rock 1234\r\n"}) {
        category = "kept";
        EXPECT_FALSE(TakeFirstListedMatch(reply, category, id)) << reply;
        EXPECT_EQ("kept", category);
    }
}

}  // namespace
}  // namespace discdeck
