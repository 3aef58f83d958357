#include "wizard/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/fake_windows.h"

namespace lull {
namespace {

using testing::FakeWindows;

struct NormalizeCase {
  const char* raw;
  const char* normalized;
  std::uint32_t programDirectory;
};

class Normalizing : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(Normalizing, CleansTheLineAndMeasuresTheProgramDirectory) {
  NormalizedCommandLine line;
  NormalizeCommandLine(GetParam().raw, line);
  EXPECT_STREQ(line.text, GetParam().normalized);
  EXPECT_EQ(line.programDirectoryLength, GetParam().programDirectory);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Normalizing,
    ::testing::Values(
        NormalizeCase{"\"C:\\Program Files\\Tools\\WIZARD.EXE\" /?",
                      "C:\\Program Files\\Tools\\WIZARD.EXE /?", 23},
        NormalizeCase{"WIZARD.EXE /?", "WIZARD.EXE /?", 0},
        NormalizeCase{"wizard.exe    /?", "wizard.exe /?", 0},
        NormalizeCase{"wizard.exe /\"\"?", "wizard.exe /?", 0}, NormalizeCase{"a\tb", "a\tb", 0},
        // Equals signs between spaces join name and value.
        NormalizeCase{"x.exe name = value", "x.exe name=value", 0},
        NormalizeCase{"x.exe name =value", "x.exe name=value", 0},
        NormalizeCase{"x.exe name = = value", "x.exe name=value", 0},
        NormalizeCase{"x.exe name \" = \" value", "x.exe name=value", 0},
        NormalizeCase{"x.exe name= value", "x.exe name= value", 0},
        NormalizeCase{"x.exe name=  value", "x.exe name= value", 0},
        NormalizeCase{"x.exe ends   ", "x.exe ends ", 0},
        // Without ".EXE" the directory runs to the last "\" of the whole line.
        NormalizeCase{"C:\\Tools\\WIZARD /? C:\\Temp\\x", "C:\\Tools\\WIZARD /? C:\\Temp\\x", 27},
        // A directory containing ".exe" stops the search inside the directory.
        NormalizeCase{"C:\\my.exes\\W.EXE /?", "C:\\my.exes\\W.EXE /?", 3},
        NormalizeCase{"D:W.EXE", "D:W.EXE", 2}, NormalizeCase{"\\WW.EXE", "\\WW.EXE", 1},
        // ".EXE" in letters with bit 0x80 set ends the name too.
        NormalizeCase{"C:\\A\\W.\xC5\xF8\xE5 C:\\B\\x", "C:\\A\\W.\xC5\xF8\xE5 C:\\B\\x", 5},
        // A name of one character before ".EXE", and lines too short to hold a name.
        NormalizeCase{"W.EXE /?", "W.EXE /?", 0}, NormalizeCase{"\\.EXE", "\\.EXE", 0},
        NormalizeCase{"", "", 0}, NormalizeCase{"\"", "", 0}, NormalizeCase{"x", "x", 0}));

TEST(Normalizing, AnEqualsRunAtTheCutStaysInsideTheBuffer) {
  std::string raw = std::string(kCommandLineCapacity - 2, 'a') + "   =   b";
  NormalizedCommandLine line;
  NormalizeCommandLine(raw.c_str(), line);
  EXPECT_EQ(std::strlen(line.text), kCommandLineCapacity - 1);
  EXPECT_EQ(line.text[kCommandLineCapacity - 2], '=');
}

struct AboutCase {
  const char* raw;
  bool found;
};

class AboutSwitch : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutSwitch, IsFoundAfterTheProgramNameOnly) {
  FakeWindows windows;
  NormalizedCommandLine line;
  NormalizeCommandLine(GetParam().raw, line);
  EXPECT_EQ(AsksForAbout(windows, line), GetParam().found) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, AboutSwitch,
    ::testing::Values(AboutCase{"\"C:\\Program Files\\Tools\\WIZARD.EXE\" /?", true},
                      AboutCase{"WIZARD.EXE /?", true}, AboutCase{"wizard.exe      /?", true},
                      AboutCase{"wizard.exe /\"\"?", true}, AboutCase{"wizard.exe /HELP", false},
                      AboutCase{"wizard.exe x/?y", true}, AboutCase{"wizard.exe ;/?", false},
                      AboutCase{"wizard.exe ~~ note ~~ /?", false},
                      AboutCase{"wizard.exe //?", false},
                      AboutCase{"C:\\Tools\\WIZARD /? C:\\Temp\\x", false},
                      AboutCase{"C:\\my.exes\\W.EXE /?", true}, AboutCase{"", false},
                      AboutCase{"wizard.exe /", false}, AboutCase{"wizard.exe", false}));

struct ScanCase {
  const char* text;
  std::uint32_t start;
  std::uint32_t limit;
  bool found;
};

class KeywordScanner : public ::testing::TestWithParam<ScanCase> {};

TEST_P(KeywordScanner, SkipsCommentsAndBlocks) {
  FakeWindows windows;
  const ScanCase& c = GetParam();
  EXPECT_EQ(FindKeyword(windows, "key", 3, c.text, c.start, c.limit), c.found) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, KeywordScanner,
    ::testing::Values(
        ScanCase{"a KEY b", 0, 100, true}, ScanCase{"keY", 0, 100, true},
        ScanCase{"ke", 0, 100, false}, ScanCase{"", 0, 100, false},
        // A ";" comment runs to the end of its line, wherever it starts.
        ScanCase{";key\r\nkey", 0, 100, true}, ScanCase{"x ;key\n\n\rkey", 0, 100, true},
        ScanCase{";key", 0, 100, false},
        // "~~" and "//" blocks hide what they enclose and the rest of their line.
        ScanCase{"~~key~~key\nkey", 0, 100, true}, ScanCase{"~~~key", 0, 100, false},
        ScanCase{"~~~\nkey", 0, 100, true}, ScanCase{"//key//\nkey", 0, 100, true},
        ScanCase{"//key", 0, 100, false}, ScanCase{"~~", 0, 100, false},
        ScanCase{"~~ a ~\r\nkey\r\n~~", 0, 100, false}, ScanCase{"~", 0, 100, false},
        // No match may begin at or past the limit; the start is where the scan begins.
        ScanCase{"xxkey", 0, 2, false}, ScanCase{"xxkey", 0, 3, true},
        ScanCase{"key xx", 1, 100, false}));

}  // namespace
}  // namespace lull
