// lullcmd's table of commands: each command's word, what it runs, what it takes and its
// lines of the usage. The parser, the usage and the fuzz target's rule of what is valid all
// read it, so a new command is a row, its function and its texts.
#pragma once

#include <cstddef>

#include "command/companion_texts.h"
#include "command/results.h"

namespace lull {

struct Session;
struct CompanionArguments;
class Report;

// Runs the command once the start on this Windows and the start-up view have run.
using CommandRun = const Result& (*)(Session& session, const CompanionArguments& arguments,
                                     Report& report);

struct CommandRow {
  // Lower case; the command line's word may be in any case.
  const char* word;
  CommandRun run;
  // The word after it is a number of minutes the table of times offers.
  bool takesMinutes;
  // The switches it takes beside "/log FILE" and "/?", which every command takes.
  bool takesMove;
  // Its lines of the usage after the word; for a command that takes minutes, the text
  // before the list of times and the text after it.
  const char* usage;
  const char* usageAfterTimes;
};

const Result& RunActivate(Session& session, const CompanionArguments& arguments, Report& report);
const Result& RunReset(Session& session, const CompanionArguments& arguments, Report& report);
const Result& RunStatus(Session& session, const CompanionArguments& arguments, Report& report);

// clang-format off
inline constexpr CommandRow kCommands[] = {
    // word     runs         minutes /move  usage           usage after the times
    {"activate", RunActivate, true,   true,  kActivateUsage, kActivateUsageAfterTimes},
    {"reset",    RunReset,    false,  false, kResetUsage,    ""},
    {"status",   RunStatus,   false,  false, kStatusUsage,   ""},
};
// clang-format on

// The table as the program reads it while it runs: the same rows without their lines of the
// usage, which usage.h writes out whole when the program is compiled, so that lullcmd.exe
// holds those texts once.
struct CommandsAtRun {
  CommandRow rows[sizeof kCommands / sizeof kCommands[0]];
};
inline constexpr CommandsAtRun kCommandsAtRun = [] {
  CommandsAtRun table{};
  for (std::size_t row = 0; row < sizeof kCommands / sizeof kCommands[0]; ++row) {
    table.rows[row] = kCommands[row];
    table.rows[row].usage = table.rows[row].usageAfterTimes = nullptr;
  }
  return table;
}();

}  // namespace lull
