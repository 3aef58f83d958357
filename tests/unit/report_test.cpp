// lullcmd's console report: a text broken at blanks into lines that fit the console.
#include "command/report.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_windows.h"

namespace lull::testing {
namespace {

TEST(Report, BreaksATextAtBlanksAndCutsAWordLongerThanALine) {
  const std::string full(kConsoleColumns - 2, 'a');  // with " b", a line at its widest
  const std::string word(kConsoleColumns + 3, 'w');
  const struct {
    std::string text;
    std::string lines;
  } cases[] = {
      {full + " b", full + " b\r\n"},
      {full + " bc", full + "\r\nbc\r\n"},
      {"x  " + word + "  y", "x\r\n" + word.substr(0, kConsoleColumns) + "\r\nwww  y\r\n"},
  };
  for (const auto& c : cases) {
    FakeWindows console;
    Report(console).Wrapped(c.text.c_str());
    EXPECT_EQ(console.output, c.lines) << c.text;
  }
}

}  // namespace
}  // namespace lull::testing
