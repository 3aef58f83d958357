// Reset: puts back the settings kept by the latest activation, empties the backup down
// to the flag "2", and announces the previous time-outs.
#pragma once

#include "operations/apply_to_system.h"
#include "settings/settings_store.h"
#include "settings/system_ini.h"

namespace lull {

enum class ResetResult {
  Reset,
  // The Desktop values could not be put back; the backup is kept for another try.
  DesktopNotRestored,
};

// The rows of the store hold the backup loaded at start-up. screenSaverSecondsToApply
// and sleepSecondsToApply hold the previous time-outs.
ResetResult ResetSettings(SettingsStore& store, SystemIniImage& image, PowerSchemeReload& reload);

// The parts of a reset. RestoreDesktopValues reports whether every value it had to
// write was written.
bool RestoreDesktopValues(SettingsStore& store);
void RestoreScreenSaverPath(SettingsStore& store);
void RestorePowerPolicies(SettingsStore& store);

}  // namespace lull
