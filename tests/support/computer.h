// The computer the native tests run on: the registry paths and records the program reads,
// the computer of the typical activation, lull.exe's own start-up on it, and views of what
// the registry holds afterwards.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "resources/resource_ids.h"
#include "settings/backup_table.h"
#include "settings/places.h"
#include "settings/power_policy.h"
#include "settings/settings_store.h"
#include "settings/system_ini.h"
#include "tests/support/fake_windows.h"
#include "wizard/page_operation.h"
#include "wizard/program.h"
#include "wizard/startup.h"

namespace lull::testing {

inline const std::string kDesktop = kDesktopKey.path;
inline const std::string kPowerCfg = kPowerCfgKey.path;
// The scheme and control-set keys as the store's paths name them, the character replaced.
inline std::string SchemePath(char index) {
  PowerSchemeKeyPath path;
  path.SetIndex(index);
  return path.text;
}
inline std::string ControlSetPath(char digit) {
  ControlSetKeyPath path;
  path.SetDigit(digit);
  return path.text;
}
inline const std::string kScheme0 = SchemePath('0');
inline const std::string kScheme1 = SchemePath('1');
inline const std::string kControlSet1 = ControlSetPath('1');
inline const std::string kControlSet2 = ControlSetPath('2');
inline const std::string kCurrentControlSet = kCurrentControlSetKey.path;
inline const std::string kIniPath = kSystemIniPath;
inline const std::string kTmpPath = kSystemIniTempPath;
inline const std::string kStrPath = kSystemIniKeptPath;
inline const std::string kIniContent =
    "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\ndrivers=mmsystem.dll\r\n";
// The screen-saver line an activation on the 95/98/Me family leaves in the backup, and
// System.Ini once a reset has put it back.
inline const std::string kSavedLine = "SCRNSAVE.EXE=C:\\WINDOWS\\BLANK.SCR";
inline const std::string kRestoredIni =
    "[boot]\r\nshell=Explorer.exe\r\n" + kSavedLine + "\r\ndrivers=mmsystem.dll\r\n";

// A power-policy record whose bytes all differ from their neighbours, so that a record
// not carried through whole shows; the video time-out sits at its offset.
inline Bytes FilledRecord(std::uint32_t size, std::uint32_t offset, std::uint32_t videoTimeout,
                          std::uint8_t fill) {
  Bytes record(size);
  for (std::uint32_t at = 0; at < size; ++at) record[at] = static_cast<std::uint8_t>(fill + at);
  for (std::uint32_t at = 0; at < 4 && offset + at < size; ++at) {
    record[offset + at] = static_cast<std::uint8_t>(videoTimeout >> (8 * at));
  }
  return record;
}
inline Bytes PoliciesRecord(std::uint32_t videoTimeout, std::uint8_t fill = 0x10,
                            std::uint32_t size = kPoliciesSize) {
  return FilledRecord(size, kPoliciesVideoTimeoutOffset, videoTimeout, fill);
}
inline Bytes AcPolicyRecord(std::uint32_t videoTimeout, std::uint8_t fill = 0x20,
                            std::uint32_t size = kAcPolicySize) {
  return FilledRecord(size, kAcPolicyVideoTimeoutOffset, videoTimeout, fill);
}

inline constexpr std::uint32_t kPoliciesOffset = kPoliciesVideoTimeoutOffset;
inline constexpr std::uint32_t kAcPolicyOffset = kAcPolicyVideoTimeoutOffset;

// The video time-out of a record in the registry; all ones when it is not there.
inline std::uint32_t VideoTimeout(const std::optional<RegistryValue>& value, std::uint32_t offset) {
  if (!value || value->data.size() < offset + 4) return 0xFFFFFFFF;
  return ReadLittleEndian32(value->data.data() + offset);
}

// The bytes a row holds, up to its length, and its whole buffer.
inline Bytes RowBytes(const BackupEntry& row) { return Bytes(row.data, row.data + row.length); }
inline Bytes BufferBytes(const BackupEntry& row) {
  return Bytes(row.data, row.data + row.capacity);
}

// The backup key's path, and a row's value there, as an earlier run or another tool left it.
inline const std::string kBackupPath = kBackupKey.path;
inline const char* BackupName(BackupRow row) { return kBackupRowLayout[row].name; }
inline void SetBackup(FakeRegistry& registry, BackupRow row, const Bytes& data,
                      ValueType type = ValueType::None) {  // None: the row's own type
  if (type == ValueType::None) type = kBackupRowLayout[row].type;
  registry.Set(Hive::CurrentUser, kBackupPath, BackupName(row), type, data);
}
inline void SetBackup(FakeRegistry& registry, BackupRow row, const std::string& text) {
  SetBackup(registry, row, TextBytes(text), ValueType::Text);
}
inline std::optional<std::string> BackupText(const FakeRegistry& registry, BackupRow row) {
  return registry.GetText(Hive::CurrentUser, kBackupPath, BackupName(row));
}
// The rows whose values the backup key holds, in table order.
inline std::vector<BackupRow> BackupRowsOf(const FakeRegistry& registry) {
  std::vector<BackupRow> rows;
  for (int row = 0; row < kBackupRowCount; ++row) {
    const auto at = static_cast<BackupRow>(row);
    if (registry.FindValue(Hive::CurrentUser, kBackupPath, BackupName(at))) rows.push_back(at);
  }
  return rows;
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
  r.SetBinary(user, kScheme0, "Policies", PoliciesRecord(0, 0x10));
  r.SetBinary(Hive::LocalMachine, kControlSet1, "AcPolicy", AcPolicyRecord(0, 0x20));
  r.SetBinary(Hive::LocalMachine, kControlSet2, "AcPolicy", AcPolicyRecord(0, 0x30));
  r.SetBinary(Hive::LocalMachine, kCurrentControlSet, "AcPolicy", AcPolicyRecord(0, 0x40));
  if (IsWin9xFamily(os)) {
    fake.SetFile(kIniPath, kIniContent);
  } else {
    r.SetText(user, kDesktop, "SCRNSAVE.EXE", "C:\\WINDOWS\\System32\\logon.scr");
  }
}

// lull.exe on this computer up to its first page, by its own start-up: the version
// classified, the settings in force read, the backup loaded and the first page chosen.
// Its operations run as the pages run them.
struct StartedProgram {
  explicit StartedProgram(FakeWindows& windows) : program(windows) { StartUp(program); }
  bool OffersReset() const { return program.wizard.currentPage == PageId::ResetActivate; }
  // The time chosen on a page of times, then Next >> to the activation.
  Outcome Activate(std::uint32_t timeRadio, bool moveScreenSaver) {
    program.wizard.RememberedChoice(PageId::SelectTime) = timeRadio;
    RunOperation(program,
                 moveScreenSaver ? Operation::ActivationMovingScreenSaver : Operation::Activation);
    return program.outcome;
  }
  Outcome Reset() {
    RunOperation(program, Operation::Reset);
    return program.outcome;
  }

  Program program;
};

// The typical activation (15 minutes, screen saver moved) of the computer as it is; on the
// 95/98/Me family the backup also holds a screen-saver line, as an automated activation
// leaves one.
inline void ActivateTypically(FakeWindows& fake) {
  StartedProgram(fake).Activate(IDC_TIME_15, true);
  if (fake.Win9xFamily()) SetBackup(fake.registry, kRowScreenSaver, kSavedLine);
}
inline void ActivateComputer(FakeWindows& fake, OsClass os) {
  SetUpComputer(fake, os);
  ActivateTypically(fake);
}

// A Desktop that never held the monitor's values, as on most Windows 95 PCs: Windows writes
// them only when someone changes them.
inline void DropMonitorValues(FakeWindows& fake) {
  auto& desktop = fake.registry.Find(Hive::CurrentUser, kDesktop)->values;
  for (const char* name : {"ScreenSavePowerOffActive", "ScreenSavePowerOffTimeOut"}) {
    desktop.erase(name);
  }
}

// A later start of the program, with nothing failing, and the reset it offers; false when
// it offers none or the reset does not finish.
inline bool ResetLater(FakeWindows& fake) {
  fake.failAt.reset();
  StartedProgram later(fake);
  return later.OffersReset() && later.Reset() == Outcome::Done;
}

// The user's hive of one computer on another, as a roaming profile carries it there: the
// backup goes with it, the machine's own keys stay.
inline void RoamTo(const FakeWindows& from, FakeWindows& to) {
  for (const auto& [key, values] : from.registry.keys) {
    if (key.first == Hive::CurrentUser) to.registry.keys[key] = values;
  }
}

// Every key but the backup's.
inline FakeRegistry::Keys LiveRegistry(const FakeRegistry& registry) {
  auto keys = registry.keys;
  keys.erase({Hive::CurrentUser, kBackupPath});
  return keys;
}

inline FakeRegistry::Key BackupKeyOf(const FakeRegistry& registry) {
  auto key = registry.keys.find({Hive::CurrentUser, kBackupPath});
  return key == registry.keys.end() ? FakeRegistry::Key{} : key->second;
}

// Values by name, readable in a failure message.
inline void PrintTo(const FakeRegistry::Key& key, std::ostream* out) {
  for (const auto& [name, value] : key.values) *out << " " << name << "=" << Hex(value.data);
  if (key.readOnly) *out << " (read-only)";
}

}  // namespace lull::testing
