// lullcmd's command line: its words, and what they ask for.
#pragma once

#include <cstdint>

#include "platform/text.h"
#include "session/time_choice.h"

namespace lull {

struct CommandRow;

enum class Request : std::uint8_t { BadInput, Usage, Command };

struct CompanionArguments {
  Request request = Request::BadInput;
  // The command's row of the table of commands; null unless request is Command.
  const CommandRow* command = nullptr;
  // The minutes of a command that takes them: a row of the table of times.
  const TimeChoiceRow* time = nullptr;
  bool move = false;
  // /log's file, within words; null without /log.
  const char* logFile = nullptr;
  // The line after the program's own name, as given, for the log.
  const char* given = "";
  // The words, each terminated, without their quotes; only those the line holds are set.
  char words[kCommandLineCapacity];
};

// Words are split at blanks and tabs; double quotes group blanks into a word and are
// dropped, and a backslash is a character like any other. The first word is the program's
// own path. Command words and switches ignore the case of ASCII letters; a switch starts
// with "/" or "-" and may stand before or after the command word; "/log" takes the word
// after it as its file. Anything but one command with what it takes is bad input, and so
// is a line that does not fit the buffer; "/?" anywhere asks for the usage.
void ParseArguments(const char* line, CompanionArguments& arguments);

}  // namespace lull
