#include "operations/activation.h"

#include "platform/text.h"
#include "settings/current_settings.h"
#include "settings/power_policy.h"
#include "settings/registry_key.h"

namespace lull {
namespace {

// A Desktop time-out: at most five digits and the terminator.
constexpr std::uint32_t kTimeOutTextCapacity = 6;
constexpr char kOn[] = "1";

void WriteText(RegistryKey& key, const char* name, const char* text) {
  char bounded[kTimeOutTextCapacity] = {};
  if (text != nullptr) CopyText(bounded, sizeof bounded, text);
  key.Set(name, ValueType::Text, bounded, TextLength(bounded, sizeof bounded) + 1);
}

// The record goes out whole, whatever length the row holds. A key that does not open
// (HKEY_LOCAL_MACHINE for a user who may not write there) is skipped.
void WritePolicy(Platform& platform, const char* path, const char* name, const BackupEntry& row,
                 std::uint32_t size) {
  RegistryKey key(platform);
  if (key.Open(path) == kRegSuccess) key.Set(name, ValueType::Binary, row.data, size);
}

void WriteVideoTimeouts(BackupTable& rows, std::uint32_t seconds) {
  WriteLittleEndian32(rows[kRowPolicies].data + kPoliciesVideoTimeoutOffset, seconds);
  WriteLittleEndian32(rows[kRowAcPolicy].data + kAcPolicyVideoTimeoutOffset, seconds);
  WriteLittleEndian32(rows[kRowAcPolicy1].data + kAcPolicyVideoTimeoutOffset, seconds);
  WriteLittleEndian32(rows[kRowAcPolicy2].data + kAcPolicyVideoTimeoutOffset, seconds);
}

// The user's policy of the current scheme, then the machine's of control sets 001, 002
// and the current one.
void WritePowerPolicies(SettingsStore& store) {
  Platform& platform = store.platform;
  const BackupTable& rows = store.backup;
  if (rows[kRowPowerPolicyIndex].present() && rows[kRowPolicies].present()) {
    store.powerSchemeKeyPath.SetIndex(static_cast<char>(rows[kRowPowerPolicyIndex].data[0]));
    WritePolicy(platform, store.powerSchemeKeyPath.text, "Policies", rows[kRowPolicies],
                kPoliciesSize);
  }
  if (rows[kRowAcPolicy1].present()) {
    store.controlSetKeyPath.SetDigit('1');
    WritePolicy(platform, store.controlSetKeyPath.text, "AcPolicy", rows[kRowAcPolicy1],
                kAcPolicySize);
  }
  if (rows[kRowAcPolicy2].present()) {
    store.controlSetKeyPath.SetDigit('2');
    WritePolicy(platform, store.controlSetKeyPath.text, "AcPolicy", rows[kRowAcPolicy2],
                kAcPolicySize);
  }
  if (rows[kRowAcPolicy].present()) {
    WritePolicy(platform, kCurrentControlSetPowerKeyPath, "AcPolicy", rows[kRowAcPolicy],
                kAcPolicySize);
  }
}

// The Desktop values; false when the key did not open, and then nothing else is written.
bool WriteDesktopValues(Platform& platform, const ChosenTimes& chosen) {
  RegistryKey desktop(platform);
  if (desktop.Open(kDesktopKeyPath) != kRegSuccess) return false;
  if (chosen.moveScreenSaver) {
    WriteText(desktop, "ScreenSaveActive", kOn);
    WriteText(desktop, "ScreenSaveTimeOut", chosen.chosenScreenSaverText);
  }
  WriteText(desktop, "ScreenSavePowerOffActive", kOn);
  WriteText(desktop, "ScreenSavePowerOffTimeOut", chosen.chosenSleepText);
  return true;
}

}  // namespace

ActivationResult ActivateSettings(SettingsStore& store, const ChosenTimes& chosen,
                                  PowerSchemeReload& reload) {
  Platform& platform = store.platform;
  // A setting that could not be read would be missing from the backup (or kept there from
  // an older one) and then overwritten, so nothing is saved or changed.
  if (!ReadCurrentSettings(store).complete) return ActivationResult::BackupNotSaved;
  store.backup.SetCharacter(kRowFlag, '1');
  // Without a complete backup a change could never be undone, so nothing is changed.
  if (!SaveBackup(platform, store.backup, SaveScope::PresentRows)) {
    return ActivationResult::BackupNotSaved;
  }

  if (WriteDesktopValues(platform, chosen)) {
    // The backup already holds the records as they were.
    WriteVideoTimeouts(store.backup, chosen.chosenSleepSeconds);
    WritePowerPolicies(store);
  }

  ValuesToApply announced;
  announced.screenSaverSecondsToApply =
      chosen.moveScreenSaver ? chosen.chosenScreenSaverSeconds : 0;
  announced.sleepSecondsToApply = chosen.chosenSleepSeconds;
  ApplyToSystem(platform, store.os, announced, reload);
  return ActivationResult::Activated;
}

}  // namespace lull
