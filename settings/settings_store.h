// The one context of the settings routines and the operations, kept for the life of the
// process: the platform, the Windows version, the thirteen rows, the key paths whose
// character is replaced in place, and the scratch buffers of the operations.
#pragma once

#include <cstdint>

#include "platform/os_class.h"
#include "platform/platform.h"
#include "settings/backup_table.h"
#include "settings/system_ini.h"

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

// The three reload command lines (their first character becomes the system's drive
// letter) and the system-directory buffer, which starts as "C:\".
struct PowerSchemeReload {
  char win9xLine[58] = "C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
  char winntLine[65] = "C:\\Winnt\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
  char windowsLine[67] = "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
  char systemDirectory[256] = "C:\\";
};

struct SettingsStore {
  explicit SettingsStore(Platform& windows, OsClass version = OsClass::Win95)
      : platform(windows), os(version) {}
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  Platform& platform;
  OsClass os;
  BackupTable backup;
  PowerSchemeKeyPath powerSchemeKeyPath;
  ControlSetKeyPath controlSetKeyPath;
  SystemIniImage systemIni;
  PowerSchemeReload reload;
};

}  // namespace lull
