// Activation: keeps the settings in force as the backup, then turns on monitor sleep
// with the chosen time and, when the user agreed, moves the screen saver before it.
#pragma once

#include <cstdint>

#include "operations/apply_to_system.h"
#include "settings/settings_store.h"

namespace lull {

// The sleep time chosen on SelectTime or SelectCompliant and what goes with it.
struct ChosenTimes {
  std::uint32_t chosenSleepSeconds = 0;
  char chosenSleepText[6] = {};
  std::uint32_t chosenScreenSaverSeconds = 0;
  const char* chosenScreenSaverText = nullptr;
  // The user answered yes on AdjustScreenSave.
  bool moveScreenSaver = false;
};

enum class ActivationResult {
  Activated,
  // The settings in force could not all be read or the backup could not be saved, so no
  // live value was changed and nothing announced.
  BackupNotSaved,
};

// Reads the settings in force afresh, saves them as the backup, writes the chosen times and
// announces them.
ActivationResult ActivateSettings(SettingsStore& store, const ChosenTimes& chosen,
                                  PowerSchemeReload& reload);

}  // namespace lull
