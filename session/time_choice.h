// The sleep times offered on SelectTime and SelectCompliant, each with the screen saver one
// minute before it: the rows of LULL_TIME_CHOICES, with their seconds and texts worked out
// when the program is compiled.
#pragma once

#include <cstddef>
#include <cstdint>

#include "operations/activation.h"
#include "resources/resource_ids.h"
#include "settings/backup_table.h"

namespace lull {

// A time-out as the registry holds it.
struct SecondsText {
  char text[kTimeOutCapacity] = {};
};
static_assert(sizeof SecondsText::text > kTimeOutDigits, "a time-out's digits and terminator");

// Made only when the program is compiled, where a number of more digits stops the build.
constexpr SecondsText DecimalText(std::uint32_t seconds) {
  char digits[kTimeOutDigits] = {};
  std::uint32_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + seconds % 10);
    seconds /= 10;
  } while (seconds != 0);
  SecondsText decimal;
  for (std::uint32_t at = 0; at < count; ++at) decimal.text[at] = digits[count - 1 - at];
  return decimal;
}

struct TimeChoiceRow {
  std::uint32_t radioId;
  std::uint32_t minutes;
  std::uint32_t sleepSeconds;
  SecondsText sleepText;
  std::uint32_t screenSaverSeconds;
  SecondsText screenSaverText;
};

inline constexpr std::uint32_t kSecondsPerMinute = 60;

constexpr TimeChoiceRow MakeTimeChoice(std::uint32_t radioId, std::uint32_t minutes) {
  const std::uint32_t sleep = minutes * kSecondsPerMinute;
  // The screen saver starts one minute before the monitor sleeps.
  const std::uint32_t screenSaver = sleep - kSecondsPerMinute;
  return {radioId, minutes, sleep, DecimalText(sleep), screenSaver, DecimalText(screenSaver)};
}

#define LULL_TIME_CHOICE_ROW(unused, id, minutes, position) MakeTimeChoice(id, minutes),
inline constexpr TimeChoiceRow kTimeChoices[] = {LULL_TIME_CHOICES(LULL_TIME_CHOICE_ROW, 0)};
#undef LULL_TIME_CHOICE_ROW
inline constexpr std::size_t kTimeChoiceCount = sizeof kTimeChoices / sizeof kTimeChoices[0];

// Whether the id is one of the time radios.
constexpr bool IsTimeRadio(std::uint32_t id) {
  for (const TimeChoiceRow& row : kTimeChoices) {
    if (row.radioId == id) return true;
  }
  return false;
}

// The row of a time radio; any other id means the last row's time.
constexpr const TimeChoiceRow& TimeChoice(std::uint32_t radioId) {
  for (const TimeChoiceRow& row : kTimeChoices) {
    if (row.radioId == radioId) return row;
  }
  return kTimeChoices[kTimeChoiceCount - 1];
}

// The row of a number of minutes, or null when no time radio offers it.
constexpr const TimeChoiceRow* TimeChoiceOfMinutes(std::uint32_t minutes) {
  for (const TimeChoiceRow& row : kTimeChoices) {
    if (row.minutes == minutes) return &row;
  }
  return nullptr;
}

// The times an activation writes for a row; the screen saver is left as it is.
ChosenTimes ChosenTimesOf(const TimeChoiceRow& row);

}  // namespace lull
