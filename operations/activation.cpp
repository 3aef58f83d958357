#include "operations/activation.h"

#include "platform/text.h"
#include "settings/current_settings.h"

namespace lull {
namespace {

// A Desktop time-out: at most five digits and the terminator.
constexpr std::uint32_t kTimeOutTextCapacity = 6;
constexpr char kOn[] = "1";

void WriteText(SettingsStore& store, const char* name, const char* text) {
  char bounded[kTimeOutTextCapacity] = {};
  if (text != nullptr) CopyText(bounded, sizeof bounded, text);
  store.platform.SetValue(store.keys.liveKey, name, ValueType::Text, bounded,
                          TextLength(bounded, sizeof bounded) + 1);
}

// The record goes out whole, whatever length the row holds.
void WritePolicy(SettingsStore& store, const char* path, const char* name, const BackupEntry& row,
                 std::uint32_t size) {
  if (!OpenLiveKey(store.platform, store.keys, path)) return;
  store.platform.SetValue(store.keys.liveKey, name, ValueType::Binary, row.data, size);
}

void WriteVideoTimeouts(BackupTable& rows, std::uint32_t seconds) {
  WriteLittleEndian32(rows[kRowPolicies].data + kPoliciesVideoTimeoutOffset, seconds);
  WriteLittleEndian32(rows[kRowAcPolicy].data + kAcPolicyVideoTimeoutOffset, seconds);
  WriteLittleEndian32(rows[kRowAcPolicy1].data + kAcPolicyVideoTimeoutOffset, seconds);
  WriteLittleEndian32(rows[kRowAcPolicy2].data + kAcPolicyVideoTimeoutOffset, seconds);
}

// The user's policy of the current scheme, then the machine's of control sets 001, 002
// and the current one. A key that does not open (HKEY_LOCAL_MACHINE for a user who may
// not write there) is skipped.
void WritePowerPolicies(SettingsStore& store) {
  BackupTable& rows = store.backup;
  if (rows[kRowPowerPolicyIndex].present() && rows[kRowPolicies].present()) {
    store.powerSchemeKeyPath.SetIndex(static_cast<char>(rows[kRowPowerPolicyIndex].data[0]));
    WritePolicy(store, store.powerSchemeKeyPath.text, "Policies", rows[kRowPolicies],
                kPoliciesSize);
  }
  if (rows[kRowAcPolicy1].present()) {
    store.controlSetKeyPath.SetDigit('1');
    WritePolicy(store, store.controlSetKeyPath.text, "AcPolicy", rows[kRowAcPolicy1],
                kAcPolicySize);
  }
  if (rows[kRowAcPolicy2].present()) {
    store.controlSetKeyPath.SetDigit('2');
    WritePolicy(store, store.controlSetKeyPath.text, "AcPolicy", rows[kRowAcPolicy2],
                kAcPolicySize);
  }
  if (rows[kRowAcPolicy].present()) {
    WritePolicy(store, kCurrentControlSetPowerKeyPath, "AcPolicy", rows[kRowAcPolicy],
                kAcPolicySize);
  }
}

}  // namespace

ActivationResult ActivateSettings(SettingsStore& store, ChosenTimes& chosen,
                                  PowerSchemeReload& reload) {
  Platform& platform = store.platform;
  // A setting that could not be read would be missing from the backup (or kept there from
  // an older one) and then overwritten, so nothing is saved or changed.
  if (!ReadCurrentSettings(store)) return ActivationResult::BackupNotSaved;
  store.backup.SetFlagText(kRowFlag, '1');
  store.backup.flagOnlyWrite = false;
  // Without a complete backup a change could never be undone, so nothing is changed.
  if (!SaveBackup(platform, store.keys, store.backup)) return ActivationResult::BackupNotSaved;

  if (OpenLiveKey(platform, store.keys, kDesktopKeyPath)) {
    if (chosen.moveScreenSaver) {
      WriteText(store, "ScreenSaveActive", kOn);
      WriteText(store, "ScreenSaveTimeOut", chosen.chosenScreenSaverText);
    } else {
      chosen.chosenScreenSaverSeconds = 0;
    }
    WriteText(store, "ScreenSavePowerOffActive", kOn);
    WriteText(store, "ScreenSavePowerOffTimeOut", chosen.chosenSleepText);
    // The backup already holds the records as they were.
    WriteVideoTimeouts(store.backup, chosen.chosenSleepSeconds);
    WritePowerPolicies(store);
  }
  CloseLiveKey(platform, store.keys);

  store.toApply.screenSaverSecondsToApply =
      chosen.moveScreenSaver ? chosen.chosenScreenSaverSeconds : 0;
  store.toApply.sleepSecondsToApply = chosen.chosenSleepSeconds;
  ApplyToSystem(platform, store.os, store.toApply, reload);
  return ActivationResult::Activated;
}

}  // namespace lull
