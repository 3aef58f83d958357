// Shared set-ups for the activation and reset tests: the computer of the typical
// activation, start-up's look at it, and snapshots of what the registry holds.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "operations/activation.h"
#include "operations/reset.h"
#include "settings/current_settings.h"
#include "settings/decimal.h"
#include "tests/support/fake_windows.h"
#include "tests/support/settings_fixtures.h"

namespace lull::testing {

inline const std::string kDesktop = "Control Panel\\Desktop";
inline const std::string kPowerCfg = "Control Panel\\PowerCfg";
inline const std::string kCorvane = "Control Panel\\Desktop\\Corvane";
inline const std::string kScheme0 = "Control Panel\\PowerCfg\\PowerPolicies\\0";
inline const std::string kScheme1 = "Control Panel\\PowerCfg\\PowerPolicies\\1";
inline const std::string kControlSet1 = "System\\ControlSet001\\Control\\Session Manager\\Power";
inline const std::string kControlSet2 = "System\\ControlSet002\\Control\\Session Manager\\Power";
inline const std::string kCurrentControlSet =
    "System\\CurrentControlSet\\Control\\Session Manager\\Power";
inline const std::string kIniPath = "C:\\Windows\\System.Ini";
inline const std::string kTmpPath = "C:\\Windows\\SysIni.Tmp";
inline const std::string kStrPath = "C:\\Windows\\SysIni.Str";
inline const std::string kIniContent =
    "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\ndrivers=mmsystem.dll\r\n";

constexpr std::size_t kPoliciesOffset = 56;
constexpr std::size_t kAcPolicyOffset = 192;

// A power-policy record whose bytes all differ from their neighbours, so that a record
// not carried through whole shows; the video time-out sits at offset.
inline Bytes PolicyRecord(std::size_t size, std::size_t offset, std::uint32_t seconds,
                          std::uint8_t seed) {
  return FilledRecord(static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(offset), seconds,
                      seed);
}

inline std::uint32_t VideoTimeout(const std::optional<RegistryValue>& value, std::size_t offset) {
  if (!value || value->data.size() < offset + 4) return 0xFFFFFFFF;
  return ReadLittleEndian32(value->data.data() + offset);
}

// The hex form the stand-in records written data in.
inline std::string Hex(const Bytes& bytes) {
  std::string out;
  char piece[4];
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::snprintf(piece, sizeof piece, "%s%02x", at ? " " : "", bytes[at]);
    out += piece;
  }
  return out;
}

// The computer of the typical activation: the screen saver starts after 20 minutes,
// monitor sleep is off, power scheme 0; on the 95/98/Me family a System.Ini.
inline void SetUpComputer(FakeWindows& fake, OsClass os = OsClass::WinXP) {
  fake.version = VersionOf(os);
  FakeRegistry& r = fake.registry;
  const Hive user = Hive::CurrentUser;
  r.SetText(user, kDesktop, "ScreenSaveActive", "1");
  r.SetText(user, kDesktop, "ScreenSaveTimeOut", "1200");
  r.SetText(user, kDesktop, "ScreenSaveLowPowerActive", "0");
  r.SetText(user, kDesktop, "ScreenSaveLowPowerTimeOut", "0");
  r.SetText(user, kDesktop, "ScreenSavePowerOffActive", "0");
  r.SetText(user, kDesktop, "ScreenSavePowerOffTimeOut", "0");
  r.SetText(user, kPowerCfg, "CurrentPowerPolicy", "0");
  r.SetBinary(user, kScheme0, "Policies", PolicyRecord(80, kPoliciesOffset, 0, 0x10));
  r.SetBinary(Hive::LocalMachine, kControlSet1, "AcPolicy",
              PolicyRecord(232, kAcPolicyOffset, 0, 0x20));
  r.SetBinary(Hive::LocalMachine, kControlSet2, "AcPolicy",
              PolicyRecord(232, kAcPolicyOffset, 0, 0x30));
  r.SetBinary(Hive::LocalMachine, kCurrentControlSet, "AcPolicy",
              PolicyRecord(232, kAcPolicyOffset, 0, 0x40));
  if (IsWin9xFamily(os)) {
    fake.SetFile(kIniPath, kIniContent);
  } else {
    r.SetText(user, kDesktop, "SCRNSAVE.EXE", "C:\\WINDOWS\\System32\\logon.scr");
  }
}

// What start-up does before the first page: the live read, then the backup over it;
// with a backup from an activation, the previous time-outs a reset announces.
inline void StartUp(SettingsStore& store) {
  ReadCurrentSettings(store);
  LoadBackup(store.platform, store.keys, store.backup);
  const BackupTable& rows = store.backup;
  if (!rows[kRowFlag].present() || rows[kRowFlag].text()[0] != '1') return;
  const BackupEntry& timeOut = rows[kRowScreenSaveTimeOut];
  store.toApply.screenSaverSecondsToApply =
      timeOut.present() ? ParseDecimal(timeOut.text(), timeOut.capacity) : 0;
  store.toApply.sleepSecondsToApply =
      ReadLittleEndian32(rows[kRowPolicies].data + kPoliciesVideoTimeoutOffset);
}

// The choice the wizard hands over for a sleep time of 10, 15 or 20 minutes.
inline ChosenTimes Chosen(std::uint32_t minutes, bool moveScreenSaver) {
  static const char* const kScreenSaverTexts[] = {"540", "840", "1140"};
  ChosenTimes chosen;
  chosen.chosenSleepSeconds = minutes * 60;
  std::snprintf(chosen.chosenSleepText, sizeof chosen.chosenSleepText, "%u", minutes * 60);
  chosen.chosenScreenSaverSeconds = minutes * 60 - 60;
  chosen.chosenScreenSaverText = kScreenSaverTexts[(minutes - 10) / 5];
  chosen.moveScreenSaver = moveScreenSaver;
  return chosen;
}

// Every key but the backup's.
inline FakeRegistry::Keys LiveRegistry(const FakeRegistry& registry) {
  auto keys = registry.keys;
  keys.erase({Hive::CurrentUser, "control panel\\desktop\\corvane"});
  return keys;
}

inline FakeRegistry::Key BackupKeyOf(const FakeRegistry& registry) {
  auto key = registry.keys.find({Hive::CurrentUser, "control panel\\desktop\\corvane"});
  return key == registry.keys.end() ? FakeRegistry::Key{} : key->second;
}

// A computer after the typical activation (15 minutes, screen saver moved); on the
// 95/98/Me family the backup also holds a screen-saver line, as an automated
// activation leaves one.
inline void ActivateComputer(FakeWindows& fake, OsClass os) {
  SetUpComputer(fake, os);
  SettingsStore store(fake, os);
  StartUp(store);
  ChosenTimes chosen = Chosen(15, true);
  PowerSchemeReload reload;
  ActivateSettings(store, chosen, reload);
  if (IsWin9xFamily(os)) {
    fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetScrnSave",
                          "SCRNSAVE.EXE=C:\\WINDOWS\\BLANK.SCR");
  }
}

// Values by name, readable in a failure message.
inline void PrintTo(const FakeRegistry::Key& key, std::ostream* out) {
  for (const auto& [name, value] : key.values) *out << " " << name << "=" << Hex(value.data);
  if (key.readOnly) *out << " (read-only)";
}

// The number failAt gives the nth call (from 0) of a kind in a run of an operation, where
// every call made counts as fallible.
inline int FallibleIndexOf(const FakeWindows& fake, CallKind kind, int nth) {
  for (std::size_t at = 0; at < fake.calls.size(); ++at) {
    if (fake.calls[at].kind == kind && nth-- == 0) return static_cast<int>(at);
  }
  return -1;
}

// A later start of the program, with nothing failing, and the reset it offers; false when
// it offers none or the reset does not finish.
inline bool ResetLater(FakeWindows& fake, OsClass os) {
  fake.failAt.reset();
  SettingsStore store(fake, os);
  StartUp(store);
  const BackupEntry& flag = store.backup[kRowFlag];
  if (!flag.present() || flag.text()[0] != '1') return false;
  auto image = std::make_unique<SystemIniImage>();
  PowerSchemeReload reload;
  return ResetSettings(store, *image, reload) == ResetResult::Reset;
}

}  // namespace lull::testing
