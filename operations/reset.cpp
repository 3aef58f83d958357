#include "operations/reset.h"

#include "settings/registry_key.h"

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
RegResult WriteRow(RegistryKey& key, const char* name, ValueType type, const BackupEntry& row) {
  const std::uint32_t size = row.length < row.capacity ? row.length : row.capacity;
  return key.Set(name, type, row.data, size);
}

// A key that is missing (a power scheme deleted since the activation, or one a damaged
// backup names) has nothing to put back into, and no later try would find it: only a key
// that failed to open or to take its value is worth keeping the backup for. The same holds
// for the Desktop key below.
bool RestorePolicy(Platform& platform, const char* path, const char* name, const BackupEntry& row) {
  RegistryKey key(platform);
  const RegResult opened = key.Open(path);
  if (opened != kRegSuccess) return MeansMissing(opened);
  return WriteRow(key, name, ValueType::Binary, row) == kRegSuccess;
}

// A machine policy the user may not write stays as it is: that user could not have changed
// it on activation either. Any other failure keeps the backup, which alone still holds it.
bool RestoreMachinePolicy(Platform& platform, const char* path, const BackupEntry& row) {
  RegistryKey key(platform);
  const RegResult opened = key.Open(path);
  if (opened != kRegSuccess) return MeansMissing(opened) || opened == kRegAccessDenied;
  return WriteRow(key, "AcPolicy", ValueType::Binary, row) == kRegSuccess;
}

// The file's own failures to be read or to hold the line are not retried; a failed write
// or swap is, and System.Ini is then as it was.
bool SystemIniRestored(SystemIniOutcome outcome) {
  return outcome != SystemIniOutcome::NotWritten && outcome != SystemIniOutcome::NotSwapped;
}

}  // namespace

bool RestoreDesktopValues(SettingsStore& store) {
  RegistryKey desktop(store.platform);
  const RegResult opened = desktop.Open(kDesktopKeyPath);
  if (opened != kRegSuccess) return MeansMissing(opened);
  bool restored = true;
  for (const DesktopValue& value : kDesktopValues) {
    const BackupEntry& row = store.backup[value.row];
    // An absent row leaves its live value alone.
    if (row.present() && WriteRow(desktop, value.name, ValueType::Text, row) != kRegSuccess) {
      restored = false;
    }
  }
  return restored;
}

bool RestoreScreenSaverPath(SettingsStore& store) {
  const BackupEntry& row = store.backup[kRowScreenSaver];
  if (!row.present()) return true;
  RegistryKey desktop(store.platform);
  const RegResult opened = desktop.Open(kDesktopKeyPath);
  if (opened != kRegSuccess) return MeansMissing(opened);
  return WriteRow(desktop, "SCRNSAVE.EXE", ValueType::Text, row) == kRegSuccess;
}

bool RestorePowerPolicies(SettingsStore& store) {
  const BackupTable& rows = store.backup;
  bool restored = true;
  if (rows[kRowPowerPolicyIndex].present() && rows[kRowPolicies].present()) {
    store.powerSchemeKeyPath.SetIndex(static_cast<char>(rows[kRowPowerPolicyIndex].data[0]));
    restored = RestorePolicy(store.platform, store.powerSchemeKeyPath.text, "Policies",
                             rows[kRowPolicies]);
  }
  if (rows[kRowAcPolicy1].present()) {
    store.controlSetKeyPath.SetDigit('1');
    restored =
        RestoreMachinePolicy(store.platform, store.controlSetKeyPath.text, rows[kRowAcPolicy1]) &&
        restored;
  }
  if (rows[kRowAcPolicy2].present()) {
    store.controlSetKeyPath.SetDigit('2');
    restored =
        RestoreMachinePolicy(store.platform, store.controlSetKeyPath.text, rows[kRowAcPolicy2]) &&
        restored;
  }
  if (rows[kRowAcPolicy].present()) {
    restored =
        RestoreMachinePolicy(store.platform, kCurrentControlSetPowerKeyPath, rows[kRowAcPolicy]) &&
        restored;
  }
  return restored;
}

ResetResult ResetSettings(SettingsStore& store, const ValuesToApply& previous,
                          SystemIniImage& image, PowerSchemeReload& reload) {
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

  ClearBackup(platform, store.backup);
  store.backup.SetCharacter(kRowFlag, '2');
  SaveBackup(platform, store.backup, SaveScope::FlagOnly);
  ApplyToSystem(platform, store.os, previous, reload);
  return ResetResult::Reset;
}

}  // namespace lull
