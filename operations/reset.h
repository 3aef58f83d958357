// Reset: puts back the settings kept by the latest activation, empties the backup down
// to the flag "2", and announces the previous time-outs.
#pragma once

#include "operations/apply_to_system.h"
#include "settings/current_settings.h"
#include "settings/settings_store.h"
#include "settings/system_ini.h"

namespace lull {

enum class ResetResult {
  Reset,
  // A setting could not be put back (a Desktop value, the screen-saver program, a power
  // policy, or System.Ini), or the backup could not be read whole; it is kept for another try.
  NotRestored,
};

// The rows of the store hold the backup loaded at start-up; previous holds the time-outs
// it announces once everything is back.
ResetResult ResetSettings(SettingsStore& store, const ValuesToApply& previous,
                          SystemIniImage& image, PowerSchemeReload& reload);

// The parts of a reset. Each reports whether every value it had to write was written (a
// key that is missing has nothing to take it, and counts as done, as does a machine policy
// key the user may not write).
bool RestoreDesktopValues(SettingsStore& store);
bool RestoreScreenSaverPath(SettingsStore& store);
bool RestorePowerPolicies(SettingsStore& store);

}  // namespace lull
