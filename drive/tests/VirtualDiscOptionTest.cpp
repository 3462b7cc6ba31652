#include "drive/VirtualDiscOption.h"
#include "ports/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace discdeck {
namespace {

using ::testing::ElementsAre;

TEST(SplitCommandLineTest, FollowsTheRuntimeQuotingRules) {
    EXPECT_THAT(SplitCommandLine("discdeck.exe  -Embedding\t/x"), ElementsAre("discdeck.exe", "-Embedding", "/x"));
    EXPECT_THAT(SplitCommandLine("\"C:\\Program Files\\discdeck.exe\" \"a b\"c d"),
                ElementsAre("C:\\Program Files\\discdeck.exe", "a bc", "d"));
    EXPECT_THAT(SplitCommandLine("C:\\dir\\ a\\\\\\\"b \"c\\\\\" d"), ElementsAre("C:\\dir\\", "a\\\"b", "c\\", "d"));
    EXPECT_THAT(SplitCommandLine("\"say \"\"hi\"\"\" x"), ElementsAre("say \"hi\"", "x"));
    EXPECT_THAT(SplitCommandLine("\"\" x"), ElementsAre("", "x"));
    EXPECT_THAT(SplitCommandLine("   "), ElementsAre());
}

struct OptionCase {
    const char* name;
    std::string commandLine;
    std::string environment;
    std::string expected;
};

class VirtualDiscSheetTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(VirtualDiscSheetTest, PicksTheSheet) {
    EXPECT_EQ(VirtualDiscSheet(GetParam().commandLine, GetParam().environment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    VirtualDiscSheetTest,
    ::testing::Values(
        OptionCase{"Option", "discdeck.exe --virtual-disc=C:\\demo\\demo.cue", "", "C:\\demo\\demo.cue"},
        OptionCase{"QuotedOption", "discdeck.exe \"--virtual-disc=C:\\My Discs\\a.cue\"", "", "C:\\My Discs\\a.cue"},
        OptionCase{"QuotedValue", "discdeck.exe --virtual-disc=\"C:\\My Discs\\a.cue\" -x", "", "C:\\My Discs\\a.cue"},
        OptionCase{"OptionBeforeEnvironment", "x --virtual-disc=/a.cue", "/b.cue", "/a.cue"},
        OptionCase{"Environment", "discdeck.exe /Automation", "Z:\\work\\demo.cue", "Z:\\work\\demo.cue"},
        OptionCase{"EmptyValueFallsBack", "x --virtual-disc=", "/b.cue", "/b.cue"},
        OptionCase{"NotTheOption", "x --virtual-disc /a.cue -virtual-disc=/c.cue", "", ""},
        OptionCase{"BarePath", "\"C:\\Program Files\\discdeck.exe\" \"D:\\My Rips\\Album.CUE\"", "/b.cue",
                   "D:\\My Rips\\Album.CUE"},
        OptionCase{"OptionBeforeBarePath", "x a.cue --virtual-disc=b.cue", "", "b.cue"},
        OptionCase{"NotASheetOrTheProgram", "album.cue notes.txt cue", "", ""},
        OptionCase{"BareFlacImage", "discdeck.exe cover.jpg \"D:\\Rips\\Album.Flac\"", "", "D:\\Rips\\Album.Flac"},
        OptionCase{"Neither", "discdeck.exe", "", ""}),
    [](const ::testing::TestParamInfo<OptionCase>& info) { return info.param.name; });

}  // namespace
}  // namespace discdeck
