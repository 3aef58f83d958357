// Reads the display and power settings in force into the rows of the backup table.
#pragma once

#include "settings/settings_store.h"

namespace lull {

// Fills the rows of the places it finds and marks them present; rows it does not find keep
// what they held, but for the Desktop values the open Desktop key does not hold: the list
// of absent values (absent_values.h), made afresh, names them, and their rows are absent. False
// when a key or value that may be there could not be read (a call failed, rather than finding it
// missing, not writable or too large): the rows then miss a setting in force.
bool ReadCurrentSettings(SettingsStore& store);

}  // namespace lull
