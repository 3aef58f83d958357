#include "operations/activation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/current_settings.h"
#include "tests/support/computer.h"

namespace lull::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::string SetValue(Hive hive, const std::string& path, const std::string& name, const Bytes& data,
                     const char* type = "text") {
  return "SetValue " + std::string(hive == Hive::CurrentUser ? "HKCU\\" : "HKLM\\") + path + " " +
         name + " " + type + " " + Hex(data);
}

// What the typical activation (15 minutes, screen saver moved) announces.
const std::vector<std::string> kAnnounced = {
    "SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 840",
    "SetSystemParameter PowerOffActive 1", "SetSystemParameter PowerOffTimeout 900"};

TEST(ActivateSettings, TheTypicalActivationSavesTheBackupThenWritesAndAnnounces) {
  WizardRun a(OsClass::WinXP);
  const Hive user = Hive::CurrentUser, machine = Hive::LocalMachine;
  // The backup holds each row the reader takes from this computer, in table order, and the
  // monitor's values it did not find; a row it does not take leaves no value of an older
  // backup.
  DropMonitorValues(a.windows);
  FakeWindows unchanged;
  SetUpComputer(unchanged);
  DropMonitorValues(unchanged);
  SettingsStore read(unchanged, OsClass::WinXP);
  ASSERT_TRUE(ReadCurrentSettings(read));
  TakeComputerName(read);
  std::vector<std::string> expected;
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    const BackupEntry& entry = read.backup[row];
    // The rows of the power-policy records hold records; the rest texts.
    const Place* place = FindPlace(static_cast<BackupRow>(row));
    const char* type = place && place->kind == PlaceKind::Record ? "binary" : "text";
    expected.push_back(entry.present()
                           ? SetValue(user, kBackupPath, entry.name, RowBytes(entry), type)
                           : "DeleteValue HKCU\\" + kBackupPath + " " + entry.name + " (failed)");
  }
  // The flag goes last, as the backup's commit mark, and the backup is on the disk before
  // the first live value changes.
  expected.insert(
      expected.end(),
      {SetValue(user, kBackupPath, BackupName(kRowFlag), TextBytes("1")),
       "FlushKey HKCU\\" + kBackupPath,
       SetValue(user, kDesktop, "ScreenSaveActive", TextBytes("1")),
       SetValue(user, kDesktop, "ScreenSaveTimeOut", TextBytes("840")),
       SetValue(user, kDesktop, "ScreenSavePowerOffActive", TextBytes("1")),
       SetValue(user, kDesktop, "ScreenSavePowerOffTimeOut", TextBytes("900")),
       SetValue(user, kScheme0, "Policies", PoliciesRecord(900, 0x10), "binary"),
       SetValue(machine, kControlSet1, "AcPolicy", AcPolicyRecord(900, 0x20), "binary"),
       SetValue(machine, kControlSet2, "AcPolicy", AcPolicyRecord(900, 0x30), "binary"),
       SetValue(machine, kCurrentControlSet, "AcPolicy", AcPolicyRecord(900, 0x40), "binary")});
  expected.insert(expected.end(), kAnnounced.begin(), kAnnounced.end());
  expected.push_back(
      "StartProcess C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme");

  EXPECT_EQ(a.Activate(IDC_TIME_15, true), Outcome::Done);
  EXPECT_THAT(a.windows.CallsOf({CallKind::SetValue, CallKind::DeleteValue, CallKind::FlushKey,
                                 CallKind::SetSystemParameter, CallKind::StartProcess}),
              ElementsAreArray(expected));
  EXPECT_EQ(a.windows.MaxOpenKeys(), 1);
}

TEST(ActivateSettings, ADesktopKeyThatDoesNotOpenLeavesEveryLiveValueButStillAnnounces) {
  WizardRun a(OsClass::WinXP);
  a.windows.registry.SetReadOnly(Hive::CurrentUser, kDesktop);
  const auto before = LiveRegistry(a.windows.registry);
  EXPECT_EQ(a.Activate(IDC_TIME_15, true), Outcome::Done);
  EXPECT_EQ(LiveRegistry(a.windows.registry), before);
  EXPECT_THAT(a.windows.CallsOf({CallKind::SetSystemParameter}), ElementsAreArray(kAnnounced));
}

TEST(ActivateSettings, OnWindows95WritesPowerPoliciesOnlyWhenTheBackupHeldThem) {
  for (const bool backupHeldThem : {false, true}) {
    WizardRun a(OsClass::Win95);
    if (backupHeldThem) {
      SetBackup(a.windows.registry, kRowFlag, "2");
      SetBackup(a.windows.registry, kRowPowerPolicyIndex, "0");
      // A record shorter than its row still goes out whole, with the chosen time-out.
      SetBackup(a.windows.registry, kRowPolicies,
                PoliciesRecord(0, 0x10, kPoliciesVideoTimeoutOffset));
    }
    a.Activate(IDC_TIME_15, true);
    EXPECT_EQ(UserVideoTimeout(a.windows, kScheme0), backupHeldThem ? 900u : 0u);
    EXPECT_EQ(a.Desktop("ScreenSavePowerOffTimeOut"), "900");
    EXPECT_THAT(a.windows.startedProcesses, IsEmpty());
  }
}

}  // namespace
}  // namespace lull::testing
