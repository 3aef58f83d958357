// Reset: puts back the settings kept by the latest activation, empties the backup down
// to the flag "2", and announces the previous time-outs.
#pragma once

#include "operations/apply_to_system.h"
#include "operations/outcome.h"
#include "settings/settings_store.h"

namespace lull {

// The rows of the store hold the backup loaded at start-up; previous holds the time-outs
// it announces once everything is back.
Outcome ResetSettings(SettingsStore& store, const ValuesToApply& previous);

}  // namespace lull
