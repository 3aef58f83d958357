// The one context of the settings routines and the operations, kept for the life of the
// process: the platform, the Windows version, the setting rows, the key paths whose
// character is replaced in place, and the scratch buffers of the operations.
#pragma once

#include <cstdint>

#include "platform/os_class.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "settings/backup_table.h"
#include "settings/system_ini.h"

namespace lull {

// "Control Panel\PowerCfg\PowerPolicies\3" with the last character replaced by the
// current power scheme's index; it stays terminated whatever is put there.
inline constexpr auto kPowerSchemeKeyPath = Joined("Control Panel\\PowerCfg\\PowerPolicies\\3");

struct PowerSchemeKeyPath : TextBuffer<sizeof kPowerSchemeKeyPath.text> {
  PowerSchemeKeyPath() : TextBuffer(kPowerSchemeKeyPath) {}
  static constexpr std::uint32_t kIndexPosition = sizeof text - 2;
  void SetIndex(char index) { text[kIndexPosition] = index; }
};

// "System\ControlSet000\Control\Session Manager\Power" with the last digit of "000"
// replaced, to reach control sets 001 and 002.
inline constexpr char kControlSetKeyHead[] = "System\\ControlSet00";
inline constexpr auto kControlSetKeyPath =
    Joined(kControlSetKeyHead, "0\\Control\\Session Manager\\Power");

struct ControlSetKeyPath : TextBuffer<sizeof kControlSetKeyPath.text> {
  ControlSetKeyPath() : TextBuffer(kControlSetKeyPath) {}
  static constexpr std::uint32_t kDigitPosition = sizeof kControlSetKeyHead - 1;
  void SetDigit(char digit) { text[kDigitPosition] = digit; }
};

// The three reload command lines: Rundll32 in the system's directory of each family, the
// first character of each becoming the system's drive letter.
inline constexpr char kReloadCommand[] = "\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
inline constexpr auto kWin9xReloadLine = Joined("C:\\Windows", kReloadCommand);
inline constexpr auto kWinntReloadLine = Joined("C:\\Winnt\\System32", kReloadCommand);
inline constexpr auto kWindowsReloadLine = Joined("C:\\Windows\\System32", kReloadCommand);

// The reload command lines and the system-directory buffer, which starts as "C:\".
struct PowerSchemeReload {
  TextBuffer<sizeof kWin9xReloadLine.text> win9xLine = kWin9xReloadLine;
  TextBuffer<sizeof kWinntReloadLine.text> winntLine = kWinntReloadLine;
  TextBuffer<sizeof kWindowsReloadLine.text> windowsLine = kWindowsReloadLine;
  char systemDirectory[256] = "C:\\";
};

struct SettingsStore {
  explicit SettingsStore(Platform& windows, OsClass version = OsClass::Win95)
      : platform(windows), os(version) {}
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  Platform& platform;
  OsClass os;
  // The setting rows. Named after the backup, which is what they hold between the
  // operations: the backup loaded at start-up, for a reset. An activation first reads the
  // settings in force into them and saves those as the backup, then lets them take the new
  // settings it writes. One table serves both, on purpose: once saved, the old settings
  // are not needed again, and the program keeps one table of rows rather than two.
  BackupTable backup;
  PowerSchemeKeyPath powerSchemeKeyPath;
  ControlSetKeyPath controlSetKeyPath;
  SystemIniImage systemIni;
  PowerSchemeReload reload;
};

}  // namespace lull
