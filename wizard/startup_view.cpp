#include "wizard/startup_view.h"

#include "settings/backup_table.h"
#include "settings/current_settings.h"
#include "settings/decimal.h"
#include "settings/power_policy.h"

namespace lull {
namespace {

std::uint32_t TextSeconds(const BackupEntry& row) { return ParseDecimal(row.text(), row.length); }

std::uint32_t PoliciesVideoTimeout(const BackupTable& table) {
  return ReadLittleEndian32(table[kRowPolicies].data + kPoliciesVideoTimeoutOffset);
}

// The sleep time-out in force: from the user power policy, or on Windows 95, which has
// no power schemes, from the Desktop values. Sets sleepAlreadyActive when it is not 0.
// seconds keeps what it held when neither is there.
void FindCurrentSleep(Program& program, std::uint32_t& seconds) {
  const SettingsStore& store = program.store;
  const BackupTable& table = store.backup;
  if (store.os != OsClass::Win95) {
    if (!table[kRowPolicies].present()) return;
    seconds = PoliciesVideoTimeout(table);
  } else if (table[kRowPowerOffActive].data[0] == '1' && table[kRowPowerOffTimeOut].present()) {
    seconds = TextSeconds(table[kRowPowerOffTimeOut]);
  } else {
    return;
  }
  if (seconds == 0) return;
  program.lines.ShowMinutes(kCurrentSleepLine, seconds);
  program.lines.MarkActive(kCurrentStateLine);
  program.facts.sleepAlreadyActive = true;
}

// A screen saver that is off, or set to 0, starts never: its time-out row is not kept.
void FindCurrentScreenSaver(Program& program, std::uint32_t seconds) {
  BackupTable& table = program.store.backup;
  if (table[kRowScreenSaveActive].data[0] == '1' && seconds != 0) {
    program.facts.currentScreenSaverSeconds = seconds;
    program.lines.ShowMinutes(kCurrentScreenSaverLine, seconds);
    return;
  }
  table[kRowScreenSaveTimeOut].length = 0;
}

// The backup was left by an activation that was not reset: show what it holds. sleep
// becomes the sleep time-out it holds, where it holds one.
void ShowPreviousSettings(Program& program, std::uint32_t& sleep) {
  const SettingsStore& store = program.store;
  const BackupTable& table = store.backup;
  program.wizard.currentPage = PageId::ResetActivate;
  if (table[kRowScreenSaveTimeOut].present()) {
    const std::uint32_t seconds = TextSeconds(table[kRowScreenSaveTimeOut]);
    program.facts.previousScreenSaverSeconds = seconds;
    if (seconds != 0) program.lines.ShowMinutes(kPreviousScreenSaverLine, seconds);
  }
  if (store.os != OsClass::Win95) {
    sleep = PoliciesVideoTimeout(table);
  } else if (table[kRowPowerOffTimeOut].present()) {
    sleep = TextSeconds(table[kRowPowerOffTimeOut]);
  } else {
    return;
  }
  if (sleep == 0) return;
  program.lines.MarkActive(kPreviousStateLine);
  program.lines.ShowMinutes(kPreviousSleepLine, sleep);
}

// Any flag but "2" and an empty one means an activation that was not reset.
bool BackupFromActivation(const BackupTable& table) {
  const std::uint8_t flag = table[kRowFlag].data[0];
  return flag != '\0' && flag != '2';
}

}  // namespace

void RunStartupView(Program& program) {
  SettingsStore& store = program.store;
  const CurrentSettings current = ReadCurrentSettings(store);
  std::uint32_t sleep = current.timeOuts.sleepSecondsToApply;
  FindCurrentSleep(program, sleep);
  FindCurrentScreenSaver(program, current.timeOuts.screenSaverSecondsToApply);
  LoadBackup(store.platform, store.backup);
  if (BackupFromActivation(store.backup)) ShowPreviousSettings(program, sleep);
  program.facts.previousSleepSeconds = sleep;
  if (program.wizard.currentPage == PageId::ActivateYesNo && program.facts.sleepAlreadyActive) {
    program.wizard.currentPage = PageId::SelectCompliant;
  }
}

}  // namespace lull
