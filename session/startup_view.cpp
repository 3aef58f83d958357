#include "session/startup_view.h"

#include "settings/absent_values.h"
#include "settings/backup_table.h"
#include "settings/current_settings.h"
#include "settings/decimal.h"
#include "settings/power_policy.h"

namespace lull {
namespace {

// 0 for an absent row.
std::uint32_t TextSeconds(const BackupEntry& row) { return ParseDecimal(row.text(), row.length); }

std::uint32_t PoliciesVideoTimeout(const BackupTable& rows) {
  return ReadLittleEndian32(rows[kRowPolicies].data + kPoliciesVideoTimeoutOffset);
}

// The monitor sleep time-out in force, 0 when the monitor does not sleep: the user power
// policy's, or on Windows 95, which has no power schemes, the Desktop's while monitor
// power-off is switched on.
std::uint32_t SleepInForce(const SettingsStore& store) {
  const BackupTable& rows = store.backup;
  if (store.os == OsClass::Win95) {
    return rows[kRowPowerOffActive].data[0] == '1' ? TextSeconds(rows[kRowPowerOffTimeOut]) : 0;
  }
  return rows[kRowPolicies].present() ? PoliciesVideoTimeout(rows) : 0;
}

// The monitor sleep time-out the live settings hold, switched on or not: the user power
// policy's, or without one (Windows 95 reads none) the Desktop's.
std::uint32_t SleepTimeOutRead(const SettingsStore& store) {
  const BackupTable& rows = store.backup;
  if (rows[kRowPolicies].present()) return PoliciesVideoTimeout(rows);
  return TextSeconds(rows[kRowPowerOffTimeOut]);
}

// The screen-saver time-out in force, 0 when the screen saver is off or set to 0. Such a
// screen saver starts never, so its time-out row is dropped: only one in force is kept.
std::uint32_t KeepScreenSaverInForce(BackupTable& rows) {
  const std::uint32_t seconds = TextSeconds(rows[kRowScreenSaveTimeOut]);
  if (rows[kRowScreenSaveActive].data[0] == '1' && seconds != 0) return seconds;
  rows[kRowScreenSaveTimeOut].length = 0;
  return 0;
}

// Any flag but "2" and an empty one means an activation that was not reset.
bool BackupFromActivation(const BackupTable& rows) {
  const std::uint8_t flag = rows[kRowFlag].data[0];
  return flag != '\0' && flag != '2';
}

// What the backup of an activation holds.
void ShowPreviousSettings(Session& session) {
  const SettingsStore& store = session.store;
  const BackupTable& rows = store.backup;
  StartupFacts& found = session.facts;
  found.previousScreenSaverSeconds = TextSeconds(rows[kRowScreenSaveTimeOut]);
  if (found.previousScreenSaverSeconds != 0) {
    session.lines.ShowMinutes(kPreviousScreenSaverLine, found.previousScreenSaverSeconds);
  }
  // Windows 95 keeps the sleep time-out only as the Desktop's text; the user power policy's
  // is taken as the backup holds it, present or not. A time-out that did not exist before the
  // activation meant no sleep, and a reset that deletes it announces none.
  if (store.os == OsClass::Win95) {
    constexpr const Place& kPowerOffTimeOut = *FindPlace(kRowPowerOffTimeOut);
    if (NamedAbsent(rows, kPowerOffTimeOut)) found.previousSleepSeconds = 0;
    if (!rows[kRowPowerOffTimeOut].present()) return;
    found.previousSleepSeconds = TextSeconds(rows[kRowPowerOffTimeOut]);
  } else {
    found.previousSleepSeconds = PoliciesVideoTimeout(rows);
  }
  if (found.previousSleepSeconds == 0) return;
  session.lines.MarkActive(kPreviousStateLine);
  session.lines.ShowMinutes(kPreviousSleepLine, found.previousSleepSeconds);
}

}  // namespace

void RunStartupView(Session& session) {
  SettingsStore& store = session.store;
  StartupFacts& found = session.facts;
  SummaryLines& lines = session.lines;

  ReadCurrentSettings(store);
  const std::uint32_t sleep = SleepInForce(store);
  found.sleepAlreadyActive = sleep != 0;
  if (found.sleepAlreadyActive) {
    lines.ShowMinutes(kCurrentSleepLine, sleep);
    lines.MarkActive(kCurrentStateLine);
  }
  found.currentScreenSaverSeconds = KeepScreenSaverInForce(store.backup);
  if (found.currentScreenSaverSeconds != 0) {
    lines.ShowMinutes(kCurrentScreenSaverLine, found.currentScreenSaverSeconds);
  }
  // What a reset announces where the backup holds no sleep time-out.
  found.previousSleepSeconds = SleepTimeOutRead(store);

  LoadBackup(store);
  found.backupFromActivation = BackupFromActivation(store.backup);
  if (found.backupFromActivation) ShowPreviousSettings(session);
}

}  // namespace lull
