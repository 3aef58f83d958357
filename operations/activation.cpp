#include "operations/activation.h"

#include "operations/apply_to_system.h"
#include "platform/text.h"
#include "settings/current_settings.h"
#include "settings/places.h"

namespace lull {
void TakeChosenTimes(BackupTable& rows, const ChosenTimes& chosen) {
  for (const Place& place : kPlaces) {
    BackupEntry& row = rows[place.row];
    if (place.key == PlaceKey::Desktop) row.length = 0;
    if (place.kind == PlaceKind::Record && row.present()) {
      WriteLittleEndian32(row.data + VideoTimeoutOffset(place), chosen.chosenSleepSeconds);
      row.length = row.capacity;
    }
  }
  if (chosen.moveScreenSaver) {
    rows.SetCharacter(kRowScreenSaveActive, '1');
    rows.TakeText(kRowScreenSaveTimeOut, chosen.chosenScreenSaverText);
  }
  rows.SetCharacter(kRowPowerOffActive, '1');
  rows.TakeText(kRowPowerOffTimeOut, chosen.chosenSleepText);
}

void WriteChosenTimes(SettingsStore& store) {
  PlaceKeys keys(store);
  for (const Place& place : kPlaces) {
    if (!HasRowToWrite(store.backup, place)) continue;
    if (keys.OpenToWrite(place) != kRegSuccess) {
      if (place.key == PlaceKey::Desktop) return;
      continue;
    }
    WriteRow(keys, place, store.backup[place.row]);
  }
}

Outcome ActivateSettings(SettingsStore& store, const ChosenTimes& chosen) {
  // A setting that could not be read would be missing from the backup (or kept there from
  // an older one) and then overwritten, so nothing is saved or changed.
  if (!ReadCurrentSettings(store)) return Outcome::Failed;
  store.backup.SetCharacter(kRowFlag, '1');
  // The new backup is this computer's, whatever computer an older one came from.
  TakeComputerName(store);
  // Without a complete backup a change could never be undone, so nothing is changed.
  if (!SaveBackup(store, SaveScope::PresentRows)) return Outcome::Failed;

  // The backup holds the settings as they were; from here on the rows hold the new ones.
  TakeChosenTimes(store.backup, chosen);
  WriteChosenTimes(store);
  // The screen saver's places are written when the user agreed to move it; the sleep
  // places always.
  ApplyToSystem(store, AnnouncedFor(chosen, {chosen.moveScreenSaver, true}));
  return Outcome::Done;
}

}  // namespace lull
