// Reset: puts back the settings kept by the latest activation, empties the backup down
// to the flag "2", and announces the previous time-outs.
#pragma once

#include "operations/apply_to_system.h"
#include "settings/settings_store.h"
#include "settings/system_ini.h"

namespace lull {

enum class ResetResult {
  Reset,
  // A setting of the user's could not be put back (a Desktop value, the screen-saver
  // program, the user's power policy, or System.Ini); the backup is kept for another try.
  NotRestored,
};

// The rows of the store hold the backup loaded at start-up. screenSaverSecondsToApply
// and sleepSecondsToApply hold the previous time-outs.
ResetResult ResetSettings(SettingsStore& store, SystemIniImage& image, PowerSchemeReload& reload);

// The parts of a reset. Each reports whether every value of the user's it had to write
// was written; the machine's power policies are written when they can be, silently.
bool RestoreDesktopValues(SettingsStore& store);
bool RestoreScreenSaverPath(SettingsStore& store);
bool RestorePowerPolicies(SettingsStore& store);

}  // namespace lull
