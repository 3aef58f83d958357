#include "operations/reset.h"

#include "settings/absent_values.h"
#include "settings/places.h"
#include "settings/system_ini.h"

namespace lull {
namespace {

// Every row the backup holds goes back to its place, and every Desktop value it names as
// absent is deleted, each even when an earlier one could not: doing it again on the next try
// changes nothing. True when each was done. A backup from another computer holds that
// computer's machine policies, so this computer's stay as they are; so they do while it is
// not known whose they are.
//
// A key that is missing (a power scheme deleted since the activation, or one a damaged
// backup names, a profile without its Desktop key) has nothing to put back into, and no
// later try would find it: only a key that failed to open or to take its value is worth
// keeping the backup for. A machine policy the user may not write stays as it is: that
// user could not have changed it on activation either.
bool PutRowsBack(SettingsStore& store) {
  PlaceKeys keys(store);
  bool restored = true;
  const BackupTable& rows = store.backup;
  for (const Place& place : kPlaces) {
    if (!KeptOn(store.os, place) || (MachineWide(place) && !rows.MachinePoliciesOwn())) continue;
    const bool write = HasRowToWrite(rows, place);
    const bool remove = !write && NamedAbsent(rows, place);
    if (!write && !remove) continue;
    const RegResult opened = keys.OpenToWrite(place);
    if (opened == kRegSuccess) {
      const bool done = write ? WriteRow(keys, place, rows[place.row]) == kRegSuccess
                              : IsDeleted(keys.key().Delete(place.name));
      restored = done && restored;
    } else if (!IsNotFound(opened) && !(keys.MachineKey() && opened == kRegAccessDenied)) {
      restored = false;
    }
  }
  return restored;
}

// The file's own failures to be read or to hold the line are not retried; a failed write
// or swap is, and System.Ini is then as it was.
bool SystemIniRestored(SystemIniOutcome outcome) {
  return outcome != SystemIniOutcome::NotWritten && outcome != SystemIniOutcome::NotSwapped;
}

}  // namespace

Outcome ResetSettings(SettingsStore& store, const ValuesToApply& previous) {
  // A value of the backup that could not be read at start-up is not in the rows.
  bool restored = PutRowsBack(store) && !store.backup.loadFailed;
  if (IsWin9xFamily(store.os)) {
    restored = SystemIniRestored(RestoreSystemIniLine(store)) && restored;
  }

  if (!restored) {
    // The backup stays as it is for another try, and the running system is not told
    // time-outs the registry does not hold; it may still take up the restored scheme.
    ReloadPowerScheme(store);
    return Outcome::Failed;
  }

  // Rows a clear left behind have lost their flag, and count as no backup; a flag "2" beside
  // them would make them one again.
  if (ClearBackup(store)) {
    store.backup.SetCharacter(kRowFlag, '2');
    SaveBackup(store, SaveScope::FlagOnly);
  }
  ApplyToSystem(store, previous);
  return Outcome::Done;
}

}  // namespace lull
