// lullcmd's usage, written out from the table of commands and the table of times when the
// program is compiled.
#pragma once

#include <cstddef>

#include "command/commands.h"
#include "platform/text.h"
#include "session/time_choice.h"

namespace lull {

// Where each command's own lines of the usage begin, after its word.
inline constexpr std::size_t kUsageColumn = 10;

// The lines: one per command as it is typed, then "/?"; each command's word, padded to
// kUsageColumn, before its own lines, with the minutes the table of times offers as a list
// ("10, 15 or 20"); then what every command takes.
template <class Put>
constexpr void PutUsage(Put put) {
  const char* indent = "Usage: ";
  for (const CommandRow& row : kCommands) {
    put(indent);
    put("lullcmd ");
    put(row.word);
    if (row.takesMinutes) put(" MINUTES");
    if (row.takesMove) put(" [/move]");
    put(" [/log FILE]\r\n");
    indent = "       ";
  }
  put(indent);
  put("lullcmd /?\r\n");
  for (const CommandRow& row : kCommands) {
    put(row.word);
    for (std::size_t column = TextLength(row.word, kUsageColumn); column < kUsageColumn; ++column) {
      put(" ");
    }
    put(row.usage);
    if (!row.takesMinutes) continue;
    for (std::size_t time = 0; time < kTimeChoiceCount; ++time) {
      put(time == 0 ? "" : time + 1 == kTimeChoiceCount ? " or " : ", ");
      put(DecimalText(kTimeChoices[time].minutes).text);
    }
    put(row.usageAfterTimes);
  }
  put(kUsageEnd);
}

constexpr std::size_t UsageLength() {
  std::size_t length = 0;
  PutUsage([&length](const char* text) {
    while (*text++ != '\0') ++length;
  });
  return length;
}

struct UsageText {
  char text[UsageLength() + 1] = {};
};

inline constexpr UsageText kUsageText = [] {
  UsageText usage;
  std::size_t at = 0;
  PutUsage([&usage, &at](const char* text) {
    while (*text != '\0') usage.text[at++] = *text++;
  });
  return usage;
}();

// What bad input and "/?" print.
inline constexpr const char* kUsage = kUsageText.text;

}  // namespace lull
