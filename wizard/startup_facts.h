// What the look at the settings before the first page found, for the page handler.
#pragma once

#include <cstdint>

#include "settings/current_settings.h"

namespace lull {

struct StartupFacts {
  // The monitor sleep time-out in force is not 0.
  bool sleepAlreadyActive = false;
  // The screen-saver time-out in force, 0 when the screen saver is off.
  std::uint32_t currentScreenSaverSeconds = 0;
  // The screen-saver time-out the backup holds; a reset announces it.
  std::uint32_t previousScreenSaverSeconds = 0;
  // The sleep time-out a reset announces: the backup's, or where it holds none, the one
  // in force.
  std::uint32_t previousSleepSeconds = 0;

  ValuesToApply PreviousTimeOuts() const {
    return {previousScreenSaverSeconds, previousSleepSeconds};
  }
};

}  // namespace lull
