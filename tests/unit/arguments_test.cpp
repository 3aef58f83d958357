#include "command/arguments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "command/commands.h"

namespace lull {
namespace {

constexpr std::uint32_t kTen = kTimeChoices[0].minutes;

std::string Minutes(std::uint64_t minutes) { return std::to_string(minutes); }

// What a line asks for: the command's word, or usage or bad input.
constexpr const char* kUsageAsked = "(usage)";
constexpr const char* kBadInput = "(bad input)";

struct ArgumentsCase {
  std::string line;
  std::string request;
  std::uint32_t minutes = 0;  // activate's, 0 for none
  bool move = false;
  const char* logFile = nullptr;
};

std::vector<ArgumentsCase> Cases() {
  const std::string ten = Minutes(kTen);
  std::vector<ArgumentsCase> cases = {
      // The program's own path, quoted or not, comes first and is skipped.
      {"\"C:\\Program Files\\Lull\\lullcmd.exe\" status", "status"},
      {"C:\\LULL\\LULLCMD.EXE\treset", "reset"},
      {"lullcmd ReSeT -LoG x.log", "reset", 0, false, "x.log"},
      {"lullcmd status /log C:\\\"Lull Logs\"\\lull.log", "status", 0, false,
       "C:\\Lull Logs\\lull.log"},
      // Switches come before or after the command word, in either case, with / or -.
      {"lullcmd activate " + ten + " /MOVE", "activate", kTen, true},
      {"lullcmd -move /log a.log Activate " + ten, "activate", kTen, true, "a.log"},
      {"lullcmd activate 0" + ten, "activate", kTen},
      {"lullcmd /?", kUsageAsked},
      {"lullcmd bogus /? /move", kUsageAsked},
      {"lullcmd status /log /?", kUsageAsked},
      // Bad input.
      {"lullcmd", kBadInput},
      {"lullcmd /log x.log", kBadInput},
      {"lullcmd activate", kBadInput},
      {"lullcmd activate +" + ten, kBadInput},
      {"lullcmd activate " + ten + "x", kBadInput},
      {"lullcmd activate 1:", kBadInput},  // ":" follows "9"
      {"lullcmd activate \"\"", kBadInput},
      // 2^32 more than a valid time must not wrap round to it.
      {"lullcmd activate " + Minutes((std::uint64_t{1} << 32) + kTen), kBadInput},
      {"lullcmd activate " + ten + " " + ten, kBadInput},
      {"lullcmd /bogus activate " + ten, kBadInput},  // bad however well the rest reads
      {"lullcmd activate " + ten + " /move /move", kBadInput},
      {"lullcmd reset /move", kBadInput},
      {"lullcmd status extra", kBadInput},
      {"lullcmd status /", kBadInput},
      {"lullcmd status /log", kBadInput},
      {"lullcmd status /log \"\"", kBadInput},
      {"lullcmd status /log a /log b", kBadInput},
      // A switch after /log is a slip, not a file.
      {"lullcmd activate " + ten + " /log /move", kBadInput},
      {"lullcmd status -log -x", kBadInput},
      {"lullcmd bogus", kBadInput},
      {"lullcmd bogus status", kBadInput},
      // The longest line the buffer holds, and one character more.
      {"lullcmd status" + std::string(kCommandLineCapacity - 15, ' '), "status"},
      {"lullcmd status" + std::string(kCommandLineCapacity - 14, ' '), kBadInput},
  };
  // Every time the table offers, and only those.
  for (const TimeChoiceRow& row : kTimeChoices) {
    cases.push_back({"x activate " + Minutes(row.minutes), "activate", row.minutes});
    cases.push_back({"x activate " + Minutes(row.minutes + 1), kBadInput});
  }
  return cases;
}

TEST(ParseArguments, TellsEachCommandWithItsSwitchesFromBadInput) {
  for (const ArgumentsCase& c : Cases()) {
    SCOPED_TRACE(c.line);
    CompanionArguments arguments;
    // The words the line does not set hold whatever was in memory.
    std::memset(arguments.words, 'x', sizeof arguments.words);
    ParseArguments(c.line.c_str(), arguments);
    EXPECT_EQ(arguments.request == Request::BadInput ? kBadInput
              : arguments.request == Request::Usage  ? kUsageAsked
                                                     : arguments.command->word,
              c.request);
    if (arguments.request != Request::Command) continue;
    EXPECT_EQ(arguments.time == nullptr ? 0 : arguments.time->minutes, c.minutes);
    EXPECT_EQ(arguments.move, c.move);
    EXPECT_STREQ(arguments.logFile == nullptr ? "(none)" : arguments.logFile,
                 c.logFile == nullptr ? "(none)" : c.logFile);
  }
}

}  // namespace
}  // namespace lull
