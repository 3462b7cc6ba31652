#include "ports/Utf8Text.h"

#include <gtest/gtest.h>

namespace discdeck {
namespace {

struct ReplyCase {
    const char* name;
    std::string bytes;
    std::string text;
};

class ReplyBytesTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyBytesTest, DecodesAsUtf8OrWindows1252) {
    EXPECT_EQ(GetParam().text, ReplyBytesToUtf8(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Replies,
                         ReplyBytesTest,
                         testing::Values(ReplyCase{"FourBytes", "\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},
                                         ReplyCase{"Latin1", "Caf\xE9 M\xFCller", "Caf\xC3\xA9 M\xC3\xBCller"},
                                         ReplyCase{"Windows1252Quotes", "\x93x\x94 \x80 \x81",
                                                   "\xE2\x80\x9Cx\xE2\x80\x9D \xE2\x82\xAC \xC2\x81"},
                                         ReplyCase{"MixedKeepsTheValidPart", "\xC3\xA9\xE9", "\xC3\xA9\xC3\xA9"},
                                         ReplyCase{"CutSequenceAtTheEnd", "ab\xE6\x97", "ab\xC3\xA6\xE2\x80\x94"},
                                         ReplyCase{"Overlong", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
                                         ReplyCase{"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
                                         ReplyCase{"BeyondUnicode", "\xF4\x90\x80\x80",
                                                   "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}),
                         [](const testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

struct CutCase {
    const char* name;
    std::string text;
    size_t limit;
    std::string leftFit;  // FitCharacters(text, limit, true)
    size_t bytesKept;     // CutBytes(text, limit)
    size_t characters;    // CharacterCount(text)
};

class CutTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutTest, CountsCharactersAndNeverSplitsOne) {
    const CutCase& c = GetParam();
    EXPECT_EQ(c.leftFit, FitCharacters(c.text, c.limit, true));
    EXPECT_EQ(c.bytesKept, CutBytes(c.text, c.limit));
    EXPECT_EQ(c.characters, CharacterCount(c.text));
    // Right alignment pads the same text on the other side.
    const std::string right = FitCharacters(c.text, c.limit, false);
    EXPECT_EQ(c.leftFit.size(), right.size());
    EXPECT_EQ(c.limit, CharacterCount(right));
}

INSTANTIATE_TEST_SUITE_P(
    Widths,
    CutTest,
    testing::Values(CutCase{"AsciiCut", "abcdef", 4, "abcd", 4, 6},
                    CutCase{"GreekPaddedByCharacters", "\xCE\xA3\xCF\x89", 3, "\xCE\xA3\xCF\x89 ", 2, 2},
                    // The field ends inside the second byte of the third letter: the letter goes whole.
                    CutCase{"CyrillicCutInBytes", "\xD0\xB2\xD0\xB8\xD0\xB8", 5, "\xD0\xB2\xD0\xB8\xD0\xB8  ", 4, 3},
                    CutCase{"JapaneseCut", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 2, "\xE6\x97\xA5\xE6\x9C\xAC", 0, 3},
                    CutCase{"StrayByteCountsAsOne", "a\xE9z", 2, "a\xE9", 2, 3}),
    [](const testing::TestParamInfo<CutCase>& info) { return info.param.name; });

}  // namespace
}  // namespace discdeck
