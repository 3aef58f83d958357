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

void RestorePolicy(SettingsStore& store, const char* path, const char* name,
                   const BackupEntry& row) {
  if (!OpenLiveKey(store.platform, store.keys, path)) return;
  WriteRow(store, name, ValueType::Binary, row);
}

}  // namespace

bool RestoreDesktopValues(SettingsStore& store) {
  if (!OpenLiveKey(store.platform, store.keys, kDesktopKeyPath)) return false;
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

void RestoreScreenSaverPath(SettingsStore& store) {
  const BackupEntry& row = store.backup[kRowScreenSaver];
  if (!row.present()) return;
  if (OpenLiveKey(store.platform, store.keys, kDesktopKeyPath)) {
    WriteRow(store, "SCRNSAVE.EXE", ValueType::Text, row);
  }
  CloseLiveKey(store.platform, store.keys);
}

// Machine policies a user may not write stay as they are, silently: that user could not
// have changed them on activation either.
void RestorePowerPolicies(SettingsStore& store) {
  const BackupTable& rows = store.backup;
  if (rows[kRowPowerPolicyIndex].present() && rows[kRowPolicies].present()) {
    store.powerSchemeKeyPath.SetIndex(static_cast<char>(rows[kRowPowerPolicyIndex].data[0]));
    RestorePolicy(store, store.powerSchemeKeyPath.text, "Policies", rows[kRowPolicies]);
  }
  if (rows[kRowAcPolicy1].present()) {
    store.controlSetKeyPath.SetDigit('1');
    RestorePolicy(store, store.controlSetKeyPath.text, "AcPolicy", rows[kRowAcPolicy1]);
  }
  if (rows[kRowAcPolicy2].present()) {
    store.controlSetKeyPath.SetDigit('2');
    RestorePolicy(store, store.controlSetKeyPath.text, "AcPolicy", rows[kRowAcPolicy2]);
  }
  if (rows[kRowAcPolicy].present()) {
    RestorePolicy(store, kCurrentControlSetPowerKeyPath, "AcPolicy", rows[kRowAcPolicy]);
  }
  CloseLiveKey(store.platform, store.keys);
}

ResetResult ResetSettings(SettingsStore& store, SystemIniImage& image, PowerSchemeReload& reload) {
  Platform& platform = store.platform;
  const bool desktopRestored = RestoreDesktopValues(store);

  // The screen-saver program and the power policies go back even when the Desktop values
  // could not: writing them again on the next try changes nothing.
  switch (store.os) {
    case OsClass::Win2000:
    case OsClass::WinXP:
      RestoreScreenSaverPath(store);
      RestorePowerPolicies(store);
      break;
    case OsClass::Win95:
    case OsClass::Win98:
    case OsClass::WinMe:
      RestoreSystemIniLine(platform, store.backup[kRowScreenSaver], image);
      if (store.os != OsClass::Win95) RestorePowerPolicies(store);
      break;
    case OsClass::UnsupportedNt:
      break;
  }

  if (!desktopRestored) {
    // The backup stays as it is for another try, and the running system is not told
    // time-outs the registry does not hold; it may still take up the restored scheme.
    ReloadPowerScheme(platform, store.os, reload);
    return ResetResult::DesktopNotRestored;
  }

  ClearBackup(platform, store.keys, store.backup);
  store.backup.SetFlagText(kRowFlag, '2');
  store.backup.flagOnlyWrite = true;
  SaveBackup(platform, store.keys, store.backup);
  ApplyToSystem(platform, store.os, store.toApply, reload);
  return ResetResult::Reset;
}

}  // namespace lull
