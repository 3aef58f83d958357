// Everything the settings routines work on, kept for the life of the process: the Windows
// version, the thirteen rows, and the key paths whose digit is replaced in place.
#pragma once

#include <cstdint>

#include "platform/os_class.h"
#include "platform/platform.h"
#include "settings/backup_table.h"

namespace lull {

// "Control Panel\PowerCfg\PowerPolicies\3" with the last character replaced by the
// current power scheme's index; it stays terminated whatever is put there.
struct PowerSchemeKeyPath {
  char text[39] = "Control Panel\\PowerCfg\\PowerPolicies\\3";
  static constexpr std::uint32_t kIndexPosition = sizeof text - 2;
  void SetIndex(char index) { text[kIndexPosition] = index; }
};

// "System\ControlSet000\Control\Session Manager\Power" with the last digit of "000"
// replaced, to reach control sets 001 and 002.
struct ControlSetKeyPath {
  char text[51] = "System\\ControlSet000\\Control\\Session Manager\\Power";
  static constexpr std::uint32_t kDigitPosition = sizeof "System\\ControlSet00" - 1;
  void SetDigit(char digit) { text[kDigitPosition] = digit; }
};

struct SettingsStore {
  explicit SettingsStore(Platform& windows, OsClass version = OsClass::Win95)
      : platform(windows), os(version) {}

  Platform& platform;
  OsClass os;
  BackupTable backup;
  PowerSchemeKeyPath powerSchemeKeyPath;
  ControlSetKeyPath controlSetKeyPath;
};

}  // namespace lull
