// lullcmd's console report: a text broken at blanks into lines that fit the console.
#include "command/report.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_windows.h"

namespace lull::testing {
namespace {

// A console of Windows is 80 columns wide, and a line that fills them all wraps before its
// CR LF: a line may hold 79 characters.
TEST(Report, BreaksATextAtBlanksAndCutsAWordLongerThanALine) {
  const std::string widest(77, 'a');  // with " b", 79 characters
  const std::string word(82, 'w');
  const struct {
    std::string text;
    std::string lines;
  } cases[] = {
      {widest + " b", widest + " b\r\n"},
      {widest + " bc", widest + "\r\nbc\r\n"},
      {"x  " + word + "  y", "x\r\n" + word.substr(0, 79) + "\r\nwww  y\r\n"},
  };
  for (const auto& c : cases) {
    FakeWindows console;
    Report(console).Wrapped(c.text.c_str());
    EXPECT_EQ(console.output, c.lines) << c.text;
  }
}

}  // namespace
}  // namespace lull::testing
