// The three sleep times offered on SelectTime and SelectCompliant, each with the screen
// saver one minute before it.
#pragma once

#include <cstdint>

#include "operations/activation.h"

namespace lull {

struct TimeChoiceRow {
  std::uint32_t radioId;
  std::uint32_t sleepSeconds;
  const char* sleepText;
  std::uint32_t screenSaverSeconds;
  const char* screenSaverText;
};

// The row of a time radio; any id but 10 and 15 minutes means 20 minutes.
const TimeChoiceRow& TimeChoice(std::uint32_t radioId);

// The times an activation writes for a time radio; the screen saver is left as it is.
ChosenTimes ChosenTimesOf(std::uint32_t radioId);

}  // namespace lull
