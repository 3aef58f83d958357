// What start-up found, each fact with one meaning: for the choice of the wizard's first
// page, for the page handler, for a reset and for lullcmd's commands.
#pragma once

#include <cstdint>

#include "operations/apply_to_system.h"

namespace lull {

struct StartupFacts {
  // The Windows version is one the wizard does not support: nothing else is looked at.
  bool unsupportedWindows = false;
  // "/?" follows the program's name: the settings are not looked at.
  bool asksForAbout = false;
  // The backup holds an activation that was not reset.
  bool backupFromActivation = false;
  // The monitor sleep time-out in force is not 0.
  bool sleepAlreadyActive = false;
  // The screen-saver time-out in force, 0 when the screen saver is off.
  std::uint32_t currentScreenSaverSeconds = 0;
  // The time-outs a reset announces: the screen saver's the backup holds, and the sleep
  // time-out the backup holds or, where it holds none, the one read from the live settings.
  std::uint32_t previousScreenSaverSeconds = 0;
  std::uint32_t previousSleepSeconds = 0;

  // AdjustScreenSave comes up, and an activation may move the screen saver: one is in
  // force and starts no earlier than the sleep time chosen.
  bool ScreenSaverNotBefore(std::uint32_t sleepSeconds) const {
    return currentScreenSaverSeconds != 0 && sleepSeconds <= currentScreenSaverSeconds;
  }

  ValuesToApply PreviousTimeOuts() const {
    return {previousScreenSaverSeconds, previousSleepSeconds};
  }
};

}  // namespace lull
