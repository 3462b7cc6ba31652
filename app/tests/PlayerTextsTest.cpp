#include "app/PlayerTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/RuntimeRandom.h"
#include "ports/Int16Text.h"

namespace discdeck {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ModeNameTest, NamesEveryModeAndNothingElse) {
    EXPECT_STREQ(ModeName(524), "Drive is not ready");
    EXPECT_STREQ(ModeName(525), "Stop");
    EXPECT_STREQ(ModeName(526), "Play");
    EXPECT_STREQ(ModeName(527), "Record");
    EXPECT_STREQ(ModeName(528), "Seek");
    EXPECT_STREQ(ModeName(529), "Pause");
    EXPECT_STREQ(ModeName(530), "Open");
    for (uint32_t other : {0u, 11u, 523u, 531u}) {
        EXPECT_STREQ(ModeName(other), "not define") << other;
    }
}

TEST(FormatTrackLineTest, LengthInWholeSecondsAndTitleOfExactlyNinetyCharacters) {
    EXPECT_EQ(FormatTrackLine(4, 245999, "Four"), "Track 04: 04:05 Four" + std::string(86, ' '));
    EXPECT_EQ(FormatTrackLine(12, 59999, ""), "Track 12: 00:59 " + std::string(90, ' '));
    EXPECT_EQ(FormatTrackLine(1, 0, std::string(100, 'x')), "Track 01: 00:00 " + std::string(90, 'x'));
    // Ninety characters, not bytes: a Cyrillic title of 100 letters keeps 90 of them whole.
    std::string cyrillic;
    for (int i = 0; i < 100; ++i) {
        cyrillic += "\xD0\xB8";
    }
    EXPECT_EQ(FormatTrackLine(2, 0, cyrillic), "Track 02: 00:00 " + cyrillic.substr(0, 180));
}

TEST(SplitReplyLinesTest, LineFeedAndBellEndLinesAndTheUnfinishedLineIsNotShown) {
    EXPECT_THAT(SplitReplyLines("210 OK\r\nline two\aline three\nunfinished"),
                ElementsAre("210 OK", "line two", "line three"));
    EXPECT_THAT(SplitReplyLines("\n\n"), ElementsAre("", ""));
    EXPECT_THAT(SplitReplyLines("no line end"), IsEmpty());
}

TEST(SplitReplyLinesTest, KeepsBytes32To127AndDropsTheRest) {
    const std::string hostile = std::string("a\tb\x01\x1f") + "\x7f\x80\xff\xe9" + "c\r\n";
    EXPECT_THAT(SplitReplyLines(hostile), ElementsAre("ab\x7f"
                                                      "c"));
    // The text is a C string: a zero byte ends it.
    EXPECT_THAT(SplitReplyLines(std::string("one\n\0two\n", 9)), ElementsAre("one"));
}

TEST(SplitReplyLinesTest, ClosingQuoteEndsTheDisplayUnlessAParenthesisFollows) {
    EXPECT_THAT(SplitReplyLines("first\nsecond `.' third\nfourth\n"), ElementsAre("first"));
    EXPECT_THAT(SplitReplyLines("first\nends here `.'"), ElementsAre("first"));
    EXPECT_THAT(SplitReplyLines("211 list follows (until terminating `.')\nrock 1 A\n"),
                ElementsAre("211 list follows (until terminating `.')", "rock 1 A"));
}

TEST(SplitReplyLinesTest, LinesAreCutAt255Characters) {
    const std::string longLine(300, 'x');
    EXPECT_THAT(SplitReplyLines(longLine + "\nnext\n"), ElementsAre(std::string(255, 'x'), "next"));
}

TEST(ParseInt16Test, AcceptsSigned16BitNumbersAndTheUnsignedUpperHalf) {
    EXPECT_EQ(ParseInt16("80"), 80);
    EXPECT_EQ(ParseInt16("  8080 "), 8080);
    EXPECT_EQ(ParseInt16("  -1\t"), -1);
    EXPECT_EQ(ParseInt16("+12"), 12);
    EXPECT_EQ(ParseInt16("-32768"), -32768);
    EXPECT_EQ(ParseInt16("32767"), 32767);
    EXPECT_EQ(ParseInt16("32768"), -32768);
    EXPECT_EQ(ParseInt16("65535"), -1);
}

TEST(ParseInt16Test, RefusesWhatIsNotA16BitNumber) {
    for (const char* text : {"", " ", "abc", "8o", "80 80", "-", "65536", "-32769", "99999999999999999999", "0x50"}) {
        EXPECT_EQ(ParseInt16(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(TrackNumberOfLineTest, ReadsTheTwoDigitsAfterTrack) {
    EXPECT_EQ(TrackNumberOfLine("Track 07: 03:12 Seven"), 7u);
    EXPECT_EQ(TrackNumberOfLine("Track 12: 00:01 "), 12u);
    EXPECT_EQ(TrackNumberOfLine("Title: unknown"), std::nullopt);
    EXPECT_EQ(TrackNumberOfLine("Total tracks: 10"), std::nullopt);
    // Lines that mention Track elsewhere name no track; short ones are not read past their end.
    EXPECT_EQ(TrackNumberOfLine("Track"), 0u);
    EXPECT_EQ(TrackNumberOfLine("My Track list"), 0u);
    EXPECT_EQ(TrackNumberOfLine(std::string(255, ' ') + "Track 01"), std::nullopt);
}

TEST(RuntimeRandomTest, ProducesTheUnseededRuntimeSequence) {
    RuntimeRandom random;
    std::vector<uint32_t> values;
    for (int i = 0; i < 10; ++i) {
        values.push_back(random.Next());
    }
    EXPECT_THAT(values, ElementsAre(41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464));
}

}  // namespace
}  // namespace discdeck
