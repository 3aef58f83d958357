// Everything the settings routines work on, kept for the life of the process:
// the key slots, the thirteen rows, the two time-outs to announce and the key paths
// whose digit is replaced in place.
#pragma once

#include <cstdint>

#include "platform/os_class.h"
#include "platform/platform.h"
#include "settings/backup_table.h"
#include "settings/registry_keys.h"

namespace lull {

// The time-outs the running system is told about; 0 means nothing is announced.
struct ValuesToApply {
  std::uint32_t screenSaverSecondsToApply = 0;
  std::uint32_t sleepSecondsToApply = 0;
};

// "Control Panel\PowerCfg\PowerPolicies\3" with the last character replaced by the
// current power scheme's index; it stays terminated whatever is put there.
struct PowerSchemeKeyPath {
  static constexpr std::uint32_t kIndexPosition = 37;
  char text[39] = "Control Panel\\PowerCfg\\PowerPolicies\\3";
  void SetIndex(char index) { text[kIndexPosition] = index; }
};

// "System\ControlSet000\Control\Session Manager\Power" with the last digit of "000"
// replaced, to reach control sets 001 and 002.
struct ControlSetKeyPath {
  static constexpr std::uint32_t kDigitPosition = 19;
  char text[51] = "System\\ControlSet000\\Control\\Session Manager\\Power";
  void SetDigit(char digit) { text[kDigitPosition] = digit; }
};

struct SettingsStore {
  explicit SettingsStore(Platform& windows, OsClass version = OsClass::Win95)
      : platform(windows), os(version) {}

  Platform& platform;
  OsClass os;
  RegistryKeys keys;
  BackupTable backup;
  ValuesToApply toApply;
  PowerSchemeKeyPath powerSchemeKeyPath;
  ControlSetKeyPath controlSetKeyPath;
};

}  // namespace lull
