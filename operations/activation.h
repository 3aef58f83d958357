// Activation: keeps the settings in force as the backup, then turns on monitor sleep
// with the chosen time and, when the user agreed, moves the screen saver before it.
#pragma once

#include <cstdint>

#include "operations/outcome.h"
#include "settings/settings_store.h"

namespace lull {

// The sleep time chosen on SelectTime or SelectCompliant and what goes with it.
struct ChosenTimes {
  std::uint32_t chosenSleepSeconds = 0;
  const char* chosenSleepText = "";
  std::uint32_t chosenScreenSaverSeconds = 0;
  const char* chosenScreenSaverText = "";
  // The user answered yes on AdjustScreenSave.
  bool moveScreenSaver = false;
};

// Reads the settings in force afresh, saves them as the backup, writes the chosen times and
// announces them.
Outcome ActivateSettings(SettingsStore& store, const ChosenTimes& chosen);

}  // namespace lull
