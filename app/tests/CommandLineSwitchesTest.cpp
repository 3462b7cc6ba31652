#include "app/CommandLineSwitches.h"

#include <gtest/gtest.h>

namespace discdeck {
namespace {

struct SwitchCase {
    const char* line;
    RegistrationSwitch expected;
};

class RegistrationSwitchTest : public testing::TestWithParam<SwitchCase> {};

TEST_P(RegistrationSwitchTest, OnlyAFinalSwitchCounts) {
    EXPECT_EQ(FindRegistrationSwitch(GetParam().line), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines,
    RegistrationSwitchTest,
    testing::Values(SwitchCase{"\"C:\\discdeck\\discdeck.exe\" /RegServer", RegistrationSwitch::RegServer},
                    SwitchCase{"discdeck.exe -regserver", RegistrationSwitch::RegServer},
                    SwitchCase{"discdeck.exe /UNREGSERVER", RegistrationSwitch::UnregServer},
                    SwitchCase{"discdeck.exe -UnregServer", RegistrationSwitch::UnregServer},
                    // A dash inside the program path is looked at too, and does not hide the switch.
                    SwitchCase{"C:\\my-player\\discdeck.exe /RegServer", RegistrationSwitch::RegServer},
                    SwitchCase{"discdeck.exe /RegServer ", RegistrationSwitch::None},
                    SwitchCase{"discdeck.exe /RegServer /x", RegistrationSwitch::None},
                    SwitchCase{"discdeck.exe RegServer", RegistrationSwitch::None},
                    SwitchCase{"discdeck.exe /RegServe", RegistrationSwitch::None},
                    SwitchCase{"discdeck.exe /", RegistrationSwitch::None},
                    SwitchCase{"", RegistrationSwitch::None},
                    // The first full match from the left wins; "Unreg" is not taken for "Reg".
                    SwitchCase{"discdeck.exe /x/UnregServer", RegistrationSwitch::UnregServer}));

TEST(AutomationStartTest, EmbeddingOrAutomationAsAnArgumentAfterADashOrSlash) {
    EXPECT_TRUE(IsAutomationStart("discdeck.exe /Embedding"));
    EXPECT_TRUE(IsAutomationStart("discdeck.exe -automation"));
    EXPECT_TRUE(IsAutomationStart("\"C:\\Program Files\\discdeck.exe\" /EMBEDDING -x"));
    EXPECT_FALSE(IsAutomationStart("discdeck.exe Embedding"));
    EXPECT_FALSE(IsAutomationStart("discdeck.exe /Embeddings"));
    EXPECT_FALSE(IsAutomationStart("\"C:\\x /Embedding\\discdeck.exe\""));
    EXPECT_FALSE(IsAutomationStart("discdeck.exe --virtual-disc=demo.cue"));
    // Split as the C runtime splits: the quote after a backslash is literal, so the switch is inside the path.
    EXPECT_FALSE(IsAutomationStart("discdeck.exe \"C:\\music\\\" /Automation"));
}

TEST(DataFolderOptionTest, TheLastOptionsValueWithItsQuotesRemoved) {
    EXPECT_EQ(DataFolderOption("discdeck.exe \"--data-folder=C:\\Users\\me\\App Data\\discdeck\" "
                               "\"--virtual-disc=D:\\rips\\a b.cue\""),
              "C:\\Users\\me\\App Data\\discdeck");
    EXPECT_EQ(DataFolderOption("discdeck.exe --data-folder=a --data-folder=b"), "b");
    EXPECT_EQ(DataFolderOption("discdeck.exe --data-folder="), "");
    EXPECT_EQ(DataFolderOption("discdeck.exe \"--virtual-disc=C:\\--data-folder=x.cue\""), "");
    EXPECT_EQ(DataFolderOption("\"C:\\--data-folder=x\\discdeck.exe\""), "");
}

}  // namespace
}  // namespace discdeck
