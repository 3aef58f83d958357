#include "operations/reapply.h"

#include "operations/apply_to_system.h"
#include "settings/current_settings.h"
#include "settings/places.h"

namespace lull {
namespace {

bool SameValue(const BackupEntry& a, const BackupEntry& b) {
  if (a.length != b.length) return false;
  for (std::uint32_t at = 0; at < a.length; ++at) {
    if (a.data[at] != b.data[at]) return false;
  }
  return true;
}

}  // namespace

PlacesWritten KeepDiffering(BackupTable& rows, const BackupTable& live) {
  PlacesWritten differing;
  for (const Place& place : kPlaces) {
    BackupEntry& row = rows[place.row];
    // The scheme index names the key of the Policies record, and is never written.
    if (!row.present() || place.kind == PlaceKind::SchemeIndex) continue;
    // A backup from another computer came with a roaming profile: this computer's machine
    // policies have no backup here, and stay as they are (also while it is not known whose
    // the backup is).
    if (SameValue(row, live[place.row]) || (MachineWide(place) && !rows.MachinePoliciesOwn())) {
      row.length = 0;
    } else if (place.row == kRowScreenSaveActive || place.row == kRowScreenSaveTimeOut) {
      differing.screenSaver = true;
    } else {
      differing.sleep = true;
    }
  }
  return differing;
}

Outcome ReapplySettings(SettingsStore& store, const ChosenTimes& chosen) {
  BackupTable& rows = store.backup;
  // The rows hold the backup that start-up loaded, and the reader keeps every row it does
  // not find: only what is in force now may be compared.
  for (BackupEntry& row : rows.rows) row.length = 0;
  // A setting that could not be read might differ, and would not be written.
  if (!ReadCurrentSettings(store)) return Outcome::Failed;
  BackupTable live;
  for (std::size_t row = 0; rows[row].name != nullptr; ++row) {
    live.TakeValue(row, rows[row].type, rows[row].data, rows[row].length);
  }

  // The rows take what an activation writes, and keep only the values that differ; the
  // running system hears of those as it hears of an activation's, and of nothing at all
  // when nothing differs.
  TakeChosenTimes(rows, chosen);
  const PlacesWritten differing = KeepDiffering(rows, live);
  if (!differing.screenSaver && !differing.sleep) return Outcome::Unchanged;
  WriteChosenTimes(store);
  ApplyToSystem(store, AnnouncedFor(chosen, differing));
  return Outcome::Done;
}

}  // namespace lull
