#include "command/arguments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lull {
namespace {

constexpr std::uint32_t kTen = kTimeChoices[0].minutes;

std::string Minutes(std::uint64_t minutes) { return std::to_string(minutes); }

struct ArgumentsCase {
  std::string line;
  Request request;
  std::uint32_t minutes = 0;  // activate's, 0 for none
  bool move = false;
  const char* logFile = nullptr;
};

std::vector<ArgumentsCase> Cases() {
  using enum Request;
  const std::string ten = Minutes(kTen);
  std::vector<ArgumentsCase> cases = {
      // The program's own path, quoted or not, comes first and is skipped.
      {"\"C:\\Program Files\\Lull\\lullcmd.exe\" status", Status},
      {"C:\\LULL\\LULLCMD.EXE\treset", Reset},
      {"lullcmd ReSeT -LoG x.log", Reset, 0, false, "x.log"},
      {"lullcmd status /log C:\\\"Lull Logs\"\\lull.log", Status, 0, false,
       "C:\\Lull Logs\\lull.log"},
      // Switches come before or after the command word, in either case, with / or -.
      {"lullcmd activate " + ten + " /MOVE", Activate, kTen, true},
      {"lullcmd -move /log a.log Activate " + ten, Activate, kTen, true, "a.log"},
      {"lullcmd activate 0" + ten, Activate, kTen},
      {"lullcmd /?", Usage},
      {"lullcmd bogus /? /move", Usage},
      {"lullcmd status /log /?", Usage},
      // Bad input.
      {"lullcmd", BadInput},
      {"lullcmd /log x.log", BadInput},
      {"lullcmd activate", BadInput},
      {"lullcmd activate +" + ten, BadInput},
      {"lullcmd activate " + ten + "x", BadInput},
      {"lullcmd activate \"\"", BadInput},
      // 2^32 more than a valid time must not wrap round to it.
      {"lullcmd activate " + Minutes((std::uint64_t{1} << 32) + kTen), BadInput},
      {"lullcmd activate " + ten + " " + ten, BadInput},
      {"lullcmd activate " + ten + " /bogus", BadInput},
      {"lullcmd activate " + ten + " /move /move", BadInput},
      {"lullcmd reset /move", BadInput},
      {"lullcmd status extra", BadInput},
      {"lullcmd status /", BadInput},
      {"lullcmd status /log", BadInput},
      {"lullcmd status /log \"\"", BadInput},
      {"lullcmd status /log a /log b", BadInput},
      // A switch after /log is a slip, not a file.
      {"lullcmd activate " + ten + " /log /move", BadInput},
      {"lullcmd status -log -x", BadInput},
      {"lullcmd bogus", BadInput},
      {"lullcmd bogus status", BadInput},
      // The longest line the buffer holds, and one character more.
      {"lullcmd status" + std::string(kCommandLineCapacity - 15, ' '), Status},
      {"lullcmd status" + std::string(kCommandLineCapacity - 14, ' '), BadInput},
  };
  // Every time the table offers, and only those.
  for (const TimeChoiceRow& row : kTimeChoices) {
    cases.push_back({"x activate " + Minutes(row.minutes), Activate, row.minutes});
    cases.push_back({"x activate " + Minutes(row.minutes + 1), BadInput});
  }
  return cases;
}

TEST(ParseArguments, TellsEachCommandWithItsSwitchesFromBadInput) {
  for (const ArgumentsCase& c : Cases()) {
    SCOPED_TRACE(c.line);
    CompanionArguments arguments;
    ParseArguments(c.line.c_str(), arguments);
    EXPECT_EQ(arguments.request, c.request);
    if (c.request == Request::BadInput || c.request == Request::Usage) continue;
    EXPECT_EQ(arguments.time == nullptr ? 0 : arguments.time->minutes, c.minutes);
    EXPECT_EQ(arguments.move, c.move);
    EXPECT_STREQ(arguments.logFile == nullptr ? "(none)" : arguments.logFile,
                 c.logFile == nullptr ? "(none)" : c.logFile);
  }
}

}  // namespace
}  // namespace lull
