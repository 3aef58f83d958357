// The computer the native tests run on: the registry paths and records the program reads,
// the computer of the typical activation, the one fixture that runs the program on it, and
// views of what the registry holds afterwards.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "command/companion.h"
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

// The video time-out of a record in the registry; all ones when it is not there.
inline std::uint32_t VideoTimeout(const std::optional<RegistryValue>& value, std::uint32_t offset) {
  if (!value || value->data.size() < offset + 4) return 0xFFFFFFFF;
  return ReadLittleEndian32(value->data.data() + offset);
}

// The video time-out of the user's record in a scheme, and of a control set's machine record.
inline std::uint32_t UserVideoTimeout(const FakeWindows& fake, const std::string& scheme) {
  return VideoTimeout(fake.registry.Get(Hive::CurrentUser, scheme, "Policies"),
                      kPoliciesVideoTimeoutOffset);
}
inline std::uint32_t MachineVideoTimeout(const FakeWindows& fake, const std::string& controlSet) {
  return VideoTimeout(fake.registry.Get(Hive::LocalMachine, controlSet, "AcPolicy"),
                      kAcPolicyVideoTimeoutOffset);
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

// A summary line as the wizard shows it: with the minutes of these seconds, or marked active.
inline std::string Shown(SummaryLine line, std::optional<std::uint32_t> seconds = {}) {
  SummaryLines lines;
  seconds ? lines.ShowMinutes(line, *seconds) : lines.MarkActive(line);
  return lines[line];
}

// What stays on a computer from one start of the program to the next, carried to another run.
template <typename Computer>
void CarryOver(const Computer& from, FakeWindows& to) {
  to.registry = from.registry;
  to.files = from.files;
  to.version = from.version;
}

// The one fixture: a run of the program on a computer, as lull.exe (the pages, or start-up and
// an operation as its page runs it) or as lullcmd.exe. The computer is the run's own, set up
// as the typical one or another, or one the test keeps from run to run.
struct WizardRun {
  WizardRun() : windows(own) {}
  // The typical computer, or the typical one after the typical activation.
  explicit WizardRun(OsClass os, bool activated = false);
  explicit WizardRun(FakeWindows& computer) : windows(computer) {}
  WizardRun(const WizardRun&) = delete;

  // Shows pages from the given one on, with the start-up facts as the test set them.
  void RunPagesFrom(PageId first) {
    program.wizard.currentPage = first;
    RunPages(program, windows, windows.GetModuleHandle());
  }
  // The whole program, as lull.exe runs it.
  void RunProgram() { RunWizard(program, windows); }
  // lullcmd.exe with these words after its own name; its exit code.
  int RunCommand(const std::string& arguments) {
    windows.commandLine = "lullcmd.exe " + arguments;
    exitCode = RunCompanion(program, windows);
    return exitCode;
  }
  // lull.exe's start-up, up to its first page.
  WizardRun& StartUp() {
    lull::StartUp(program);
    return *this;
  }
  bool OffersReset() const { return program.wizard.currentPage == PageId::ResetActivate; }
  // Start-up, then the operation as its page runs it, the time chosen on a page of times
  // first; only the operation's calls stay recorded, and failAt counts among them.
  Outcome Operate(Operation operation, std::optional<int> failAt = {},
                  std::uint32_t timeRadio = IDC_TIME_15) {
    StartUp();
    windows.calls.clear();
    windows.fallibleCallCount = 0;
    windows.failAt = failAt;
    program.wizard.RememberedChoice(PageId::SelectTime) = timeRadio;
    RunOperation(program, operation);
    return program.outcome;
  }
  Outcome Activate(std::uint32_t timeRadio, bool move, std::optional<int> failAt = {}) {
    return Operate(move ? Operation::ActivationMovingScreenSaver : Operation::Activation, failAt,
                   timeRadio);
  }
  Outcome Reset(std::optional<int> failAt = {}) { return Operate(Operation::Reset, failAt); }

  // The failAt number, in this run, of the nth call (from 0) whose description starts so.
  int FailAt(const std::string& start, int nth) const {
    int fallible = 0;
    for (const Call& call : windows.calls) {
      if (call.description.starts_with(start) && nth-- == 0) return fallible;
      const CallKind kind = call.kind;
      fallible += kind != CallKind::GetModuleHandle && kind != CallKind::GetVersion &&
                  kind != CallKind::GetCommandLine && kind != CallKind::Sleep &&
                  kind != CallKind::FailCriticalErrorsQuietly;
    }
    ADD_FAILURE() << "no call " << start;
    return -1;
  }
  std::optional<std::string> Desktop(const std::string& name) const {
    return windows.registry.GetText(Hive::CurrentUser, kDesktop, name);
  }
  const PageVisit& Visit(std::size_t index) const { return windows.pages.at(index); }
  const PageVisit& LastVisit() const { return windows.pages.back(); }
  // The next start on the computer this run left: a new process, with only what stays from
  // one start to the next.
  std::unique_ptr<WizardRun> Next() const { return Later(windows); }
  static std::unique_ptr<WizardRun> Later(const FakeWindows& computer) {
    auto next = std::make_unique<WizardRun>();
    CarryOver(computer, next->windows);
    return next;
  }

  FakeWindows own;
  FakeWindows& windows;
  Program program{windows};
  int exitCode = 0;  // the wizard's is always 0
};

// The typical activation (15 minutes, screen saver moved) of the computer as it is, by a run
// of its own, which leaves no record of its calls; on the 95/98/Me family the backup also
// holds a screen-saver line, as an automated activation leaves one.
inline void ActivateTypically(FakeWindows& fake) {
  const auto run = WizardRun::Later(fake);
  run->Activate(IDC_TIME_15, true);
  CarryOver(run->windows, fake);
  if (fake.Win9xFamily()) SetBackup(fake.registry, kRowScreenSaver, kSavedLine);
}
inline void ActivateComputer(FakeWindows& fake, OsClass os) {
  SetUpComputer(fake, os);
  ActivateTypically(fake);
}

inline WizardRun::WizardRun(OsClass os, bool activated) : WizardRun() {
  activated ? ActivateComputer(own, os) : SetUpComputer(own, os);
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
  WizardRun later(fake);
  return later.StartUp().OffersReset() && later.Reset() == Outcome::Done;
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
