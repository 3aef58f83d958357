#include "operations/reset.h"

namespace lull {
namespace {

// The Desktop values in the order they are put back, each with the row that holds it.
struct DesktopValue {
  const char* name;
  BackupRow row;
};
constexpr DesktopValue kDesktopValues[] = {
    {"ScreenSaveActive", kRowScreenSaveActive},
    {"ScreenSaveTimeOut", kRowScreenSaveTimeOut},
    {"ScreenSaveLowPowerActive", kRowStandbyActive},
    {"ScreenSaveLowPowerTimeOut", kRowStandbyTimeOut},
    {"ScreenSavePowerOffActive", kRowPowerOffActive},
    {"ScreenSavePowerOffTimeOut", kRowPowerOffTimeOut},
};

// A row goes back with the length its load found, never past its buffer.
RegResult WriteRow(SettingsStore& store, const char* name, ValueType type, const BackupEntry& row) {
  const std::uint32_t size = row.length < row.capacity ? row.length : row.capacity;
  return store.platform.SetValue(store.keys.liveKey, name, type, row.data, size);
}

// A key that is missing (a power scheme deleted since the activation, or one a damaged
// backup names) has nothing to put back into, and no later try would find it: only a key
// that failed to open or to take its value is worth keeping the backup for. The same holds
// for the Desktop key below.
bool RestorePolicy(SettingsStore& store, const char* path, const char* name,
                   const BackupEntry& row) {
  RegResult opened = kRegSuccess;
  if (!OpenLiveKey(store.platform, store.keys, path, &opened)) return MeansMissing(opened);
  return WriteRow(store, name, ValueType::Binary, row) == kRegSuccess;
}

// A machine policy the user may not write stays as it is: that user could not have changed
// it on activation either. Any other failure keeps the backup, which alone still holds it.
bool RestoreMachinePolicy(SettingsStore& store, const char* path, const BackupEntry& row) {
  RegResult opened = kRegSuccess;
  if (!OpenLiveKey(store.platform, store.keys, path, &opened)) {
    return MeansMissing(opened) || opened == kRegAccessDenied;
  }
  return WriteRow(store, "AcPolicy", ValueType::Binary, row) == kRegSuccess;
}

// The file's own failures to be read or to hold the line are not retried; a failed write
// or swap is, and System.Ini is then as it was.
bool SystemIniRestored(SystemIniOutcome outcome) {
  return outcome != SystemIniOutcome::NotWritten && outcome != SystemIniOutcome::NotSwapped;
}

}  // namespace

bool RestoreDesktopValues(SettingsStore& store) {
  RegResult opened = kRegSuccess;
  if (!OpenLiveKey(store.platform, store.keys, kDesktopKeyPath, &opened)) {
    return MeansMissing(opened);
  }
  bool restored = true;
  for (const DesktopValue& value : kDesktopValues) {
    const BackupEntry& row = store.backup[value.row];
    // An absent row leaves its live value alone.
    if (row.present() && WriteRow(store, value.name, ValueType::Text, row) != kRegSuccess) {
      restored = false;
    }
  }
  CloseLiveKey(store.platform, store.keys);
  return restored;
}

bool RestoreScreenSaverPath(SettingsStore& store) {
  const BackupEntry& row = store.backup[kRowScreenSaver];
  if (!row.present()) return true;
  RegResult opened = kRegSuccess;
  const bool restored = OpenLiveKey(store.platform, store.keys, kDesktopKeyPath, &opened)
                            ? WriteRow(store, "SCRNSAVE.EXE", ValueType::Text, row) == kRegSuccess
                            : MeansMissing(opened);
  CloseLiveKey(store.platform, store.keys);
  return restored;
}

bool RestorePowerPolicies(SettingsStore& store) {
  const BackupTable& rows = store.backup;
  bool restored = true;
  if (rows[kRowPowerPolicyIndex].present() && rows[kRowPolicies].present()) {
    store.powerSchemeKeyPath.SetIndex(static_cast<char>(rows[kRowPowerPolicyIndex].data[0]));
    restored = RestorePolicy(store, store.powerSchemeKeyPath.text, "Policies", rows[kRowPolicies]);
  }
  if (rows[kRowAcPolicy1].present()) {
    store.controlSetKeyPath.SetDigit('1');
    restored =
        RestoreMachinePolicy(store, store.controlSetKeyPath.text, rows[kRowAcPolicy1]) && restored;
  }
  if (rows[kRowAcPolicy2].present()) {
    store.controlSetKeyPath.SetDigit('2');
    restored =
        RestoreMachinePolicy(store, store.controlSetKeyPath.text, rows[kRowAcPolicy2]) && restored;
  }
  if (rows[kRowAcPolicy].present()) {
    restored =
        RestoreMachinePolicy(store, kCurrentControlSetPowerKeyPath, rows[kRowAcPolicy]) && restored;
  }
  CloseLiveKey(store.platform, store.keys);
  return restored;
}

ResetResult ResetSettings(SettingsStore& store, SystemIniImage& image, PowerSchemeReload& reload) {
  Platform& platform = store.platform;
  // A value of the backup that could not be read at start-up is not in the rows.
  bool restored = RestoreDesktopValues(store) && !store.backup.loadFailed;

  // Every part goes back even when an earlier one could not: writing a part again on the
  // next try changes nothing.
  switch (store.os) {
    case OsClass::Win2000:
    case OsClass::WinXP:
      restored = RestoreScreenSaverPath(store) && restored;
      restored = RestorePowerPolicies(store) && restored;
      break;
    case OsClass::Win95:
    case OsClass::Win98:
    case OsClass::WinMe:
      restored =
          SystemIniRestored(RestoreSystemIniLine(platform, store.backup[kRowScreenSaver], image)) &&
          restored;
      if (store.os != OsClass::Win95) restored = RestorePowerPolicies(store) && restored;
      break;
    case OsClass::UnsupportedNt:
      break;
  }

  if (!restored) {
    // The backup stays as it is for another try, and the running system is not told
    // time-outs the registry does not hold; it may still take up the restored scheme.
    ReloadPowerScheme(platform, store.os, reload);
    return ResetResult::NotRestored;
  }

  ClearBackup(platform, store.keys, store.backup);
  store.backup.SetFlagText(kRowFlag, '2');
  store.backup.flagOnlyWrite = true;
  SaveBackup(platform, store.keys, store.backup);
  ApplyToSystem(platform, store.os, store.toApply, reload);
  return ResetResult::Reset;
}

}  // namespace lull
