#include "setup/FileNameRules.h"

#include <gtest/gtest.h>

#include "setup/Utf8.h"

namespace discdeck {
namespace {

class UnsafeFileName : public ::testing::TestWithParam<std::string> {};

TEST_P(UnsafeFileName, IsRefused) {
    EXPECT_FALSE(IsPlainFileName(GetParam())) << PrintableName(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Names,
                         UnsafeFileName,
                         ::testing::Values("",
                                           ".",
                                           "..",
                                           "..\\boot.ini",
                                           "sub/file.txt",
                                           "sub\\file.txt",
                                           "\\file.txt",
                                           "C:file.txt",
                                           "file.txt:stream",
                                           "file.",
                                           "file ",
                                           "file. ",
                                           std::string("a\x01"
                                                       "b"),
                                           std::string("tab\there"),
                                           "a<b",
                                           "a>b",
                                           "a\"b",
                                           "a|b",
                                           "what?",
                                           "*.*",
                                           "CON",
                                           "con",
                                           "Con.txt",
                                           "CON.tar.gz",
                                           "CON .txt",
                                           "PRN",
                                           "aux.log",
                                           "NUL.",
                                           "COM1",
                                           "com9.dat",
                                           "LPT1",
                                           "lpt9.txt",
                                           "CONIN$",
                                           "conout$.txt",
                                           "COM\u00B9",
                                           "lpt\u00B2.txt",
                                           "Com\u00B3 .log"));

class PlainFileName : public ::testing::TestWithParam<std::string> {};

TEST_P(PlainFileName, IsAccepted) {
    EXPECT_TRUE(IsPlainFileName(GetParam())) << PrintableName(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Names,
                         PlainFileName,
                         ::testing::Values("setup.exe",
                                           "discdeck.exe",
                                           "a",
                                           "a..b",
                                           ".hidden",
                                           "name with spaces.txt",
                                           " leading space",
                                           "CONSOLE.txt",
                                           "CON1",
                                           "COM0",
                                           "COM10",
                                           "LPT",
                                           "NULL",
                                           "auxiliary",
                                           "file$",
                                           "\u00FCber.txt",
                                           "COM\u00B9\u00B9",
                                           "LPT\u00B4",
                                           std::string(200, 'x')));

TEST(FileNameRules, FoldedFileNameFoldsAsciiCaseOnly) {
    EXPECT_EQ(FoldedFileName("ReadMe.TXT"), FoldedFileName("readme.txt"));
    EXPECT_NE(FoldedFileName("readme"), FoldedFileName("readmf"));
    EXPECT_NE(FoldedFileName("\xC4"), FoldedFileName("\xE4"));
}

TEST(FileNameRules, NamesMarkedUtf8MustBeWellFormed) {
    EXPECT_TRUE(IsUtf8("\u00FCber \u03A3\u03C9 \U0001F3B5.txt"));
    // Overlong "/", a surrogate, beyond U+10FFFF, cut short, a Latin-1 byte.
    for (const char* bad : {"..\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xFC"}) {
        EXPECT_FALSE(IsUtf8(bad)) << PrintableName(bad);
    }
    EXPECT_EQ(Latin1ToUtf8("\xFC"
                           "ber"),
              "\u00FCber");
}

TEST(FileNameRules, PrintableNameEscapesControlCharacters) {
    EXPECT_EQ(PrintableName(std::string("a\x01"
                                        "b\x7F")),
              "a\\x01b\\x7F");
    EXPECT_EQ(PrintableName("plain.txt"), "plain.txt");
}

}  // namespace
}  // namespace discdeck
