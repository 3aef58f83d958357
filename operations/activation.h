// Activation: keeps the settings in force as the backup, then turns on monitor sleep
// with the chosen time and, when the user agreed, moves the screen saver before it.
#pragma once

#include <cstdint>

#include "operations/apply_to_system.h"
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

// The rows take the new settings: the chosen Desktop values, and the monitor's time-out in
// every power-policy record the rows hold, which goes out whole. Every other Desktop row
// is left absent, so that its live value stays as it is.
void TakeChosenTimes(BackupTable& rows, const ChosenTimes& chosen);

// The rows that hold a value go to their places, Desktop first; when the Desktop key does
// not open, nothing else is written. Any other key that does not open (HKEY_LOCAL_MACHINE
// for a user who may not write there) is skipped.
void WriteChosenTimes(SettingsStore& store);

// Which places a write reaches: the screen saver's, and those of monitor sleep (the
// Desktop's and the power policies').
struct PlacesWritten {
  bool screenSaver = false;
  bool sleep = false;
};

// What the running system hears of a write, the one rule of an activation and of a later
// one: the screen saver's pair when its places are written, the sleep pair when sleep's are.
constexpr ValuesToApply AnnouncedFor(const ChosenTimes& chosen, PlacesWritten written) {
  ValuesToApply announced;
  if (written.screenSaver) announced.screenSaverSecondsToApply = chosen.chosenScreenSaverSeconds;
  if (written.sleep) announced.sleepSecondsToApply = chosen.chosenSleepSeconds;
  return announced;
}

// Reads the settings in force afresh, saves them as the backup, writes the chosen times and
// announces them.
Outcome ActivateSettings(SettingsStore& store, const ChosenTimes& chosen);

}  // namespace lull
