// A later activation over a backup from an earlier one, as a logon script makes at every
// logon: the backup keeps the settings from before the first activation and is never saved
// over, and the chosen times go only to the live places that do not hold them yet.
#pragma once

#include "operations/activation.h"
#include "operations/outcome.h"
#include "settings/settings_store.h"

namespace lull {

// Of the rows that hold what an activation writes, leaves present only those that differ
// from the live values, and none of the machine policies unless the backup is this
// computer's; says which places are left to write. The scheme index stays, as it names
// the key of the Policies record. Pure: it reads and writes no place.
PlacesWritten KeepDiffering(BackupTable& rows, const BackupTable& live);

// Reads the settings in force afresh and writes, of what an activation would write, the
// values that differ from them, then announces those. Unchanged when none differs; Failed,
// with nothing written, when a setting in force could not be read.
Outcome ReapplySettings(SettingsStore& store, const ChosenTimes& chosen);

}  // namespace lull
