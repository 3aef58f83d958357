#include "operations/reset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/places.h"
#include "tests/support/computer.h"

namespace lull::testing {
namespace {

using ::testing::ElementsAre;

// A Desktop key the user may read but not write (on NT; Windows 95/98/Me open every key for
// writing): the backup stays for another try, the rest goes back, and the running system is
// told nothing the registry lacks.
TEST(ResetSettings, KeepsTheBackupWhenTheDesktopValuesCannotBeRestored) {
  WizardRun r(OsClass::WinXP, true);
  r.windows.registry.SetReadOnly(Hive::CurrentUser, kDesktop);
  const auto backup = BackupKeyOf(r.windows.registry);
  EXPECT_EQ(r.Reset(), Outcome::Failed);
  EXPECT_EQ(BackupKeyOf(r.windows.registry), backup);
  EXPECT_EQ(UserVideoTimeout(r.windows, kScheme0), 0u);
  EXPECT_THAT(
      r.windows.CallsOf({CallKind::SetSystemParameter, CallKind::StartProcess}),
      ElementsAre(
          "StartProcess C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme"));
}

// A key that is gone since the activation (a power scheme deleted, a profile without its
// Desktop key) or that a damaged backup names has nothing to take its values, and no later
// try would: the reset puts back everything else and ends, rather than keep its backup
// forever, and makes up no key in its place.
TEST(ResetSettings, AResetWhoseKeyIsGoneStillEnds) {
  const struct {
    const char* what;
    OsClass os;
    void (*change)(FakeRegistry&);
    std::string absentKey;
  } cases[] = {
      {"scheme deleted", OsClass::WinXP,
       [](FakeRegistry& r) { r.DeleteKey(Hive::CurrentUser, kScheme0); }, kScheme0},
      {"backup names a missing scheme", OsClass::WinXP,
       [](FakeRegistry& r) { SetBackup(r, kRowPowerPolicyIndex, "7"); },
       kScheme0.substr(0, kScheme0.size() - 1) + "7"},
      {"Desktop gone on XP", OsClass::WinXP,
       [](FakeRegistry& r) { r.DeleteKey(Hive::CurrentUser, kDesktop); }, kDesktop},
      {"Desktop gone on 98", OsClass::Win98,
       [](FakeRegistry& r) { r.DeleteKey(Hive::CurrentUser, kDesktop); }, kDesktop},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows fake;
    ActivateComputer(fake, c.os);
    c.change(fake.registry);
    EXPECT_TRUE(ResetLater(fake));
    EXPECT_EQ(BackupRowsOf(fake.registry), std::vector<BackupRow>{kRowFlag});
    EXPECT_FALSE(fake.registry.HasKey(Hive::CurrentUser, c.absentKey));
    if (c.absentKey == kDesktop) {
      EXPECT_EQ(UserVideoTimeout(fake, kScheme0), 0u);
    }
  }
}

// The live name of a row's value.
const char* LiveName(BackupRow row) {
  for (const Place& place : kPlaces) {
    if (place.row == row) return place.name;
  }
  return nullptr;
}

// The Policies record goes back into the scheme the backup names, and only beside its index;
// the scheme chosen since stays the one in force, and its record as it is.
TEST(ResetSettings, PutsPoliciesBackIntoTheSchemeTheBackupNamesOnly) {
  const char* const index = LiveName(kRowPowerPolicyIndex);
  const char* const policies = LiveName(kRowPolicies);
  for (const bool backupNamesScheme : {true, false}) {
    SCOPED_TRACE(backupNamesScheme);
    WizardRun r(OsClass::WinXP, true);
    r.windows.registry.SetText(Hive::CurrentUser, kPowerCfg, index, "1");
    r.windows.registry.SetBinary(Hive::CurrentUser, kScheme1, policies, PoliciesRecord(600, 0x50));
    if (!backupNamesScheme) DropFromBackup(r.windows.registry, kRowPowerPolicyIndex);
    EXPECT_EQ(r.Reset(), Outcome::Done);
    EXPECT_EQ(UserVideoTimeout(r.windows, kScheme0), backupNamesScheme ? 0u : 900u);
    EXPECT_EQ(r.windows.registry.Get(Hive::CurrentUser, kScheme1, policies)->data,
              PoliciesRecord(600, 0x50));
    EXPECT_EQ(r.windows.registry.GetText(Hive::CurrentUser, kPowerCfg, index), "1");
  }
}

// Most Desktops never held the monitor's values: an activation creates them, and a reset
// deletes them again, so that on Windows 95, where they are the monitor's sleep, the monitor
// no longer sleeps and the next start offers the activation. A backup that lacks the list,
// as another tool's does, leaves them.
TEST(ResetSettings, DeletesTheDesktopValuesThatDidNotExistBeforeTheActivation) {
  for (const OsClass os : {OsClass::WinXP, OsClass::Win98, OsClass::Win95}) {
    for (const bool listed : {true, false}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(os)) + (listed ? " listed" : " not listed"));
      FakeWindows fake;
      SetUpComputer(fake, os);
      DropMonitorValues(fake);
      const auto before = LiveRegistry(fake.registry);
      WizardRun(fake).Activate(IDC_TIME_15, true);
      // The list of names is a text, as any other tool reads it.
      EXPECT_EQ(fake.registry.Get(Hive::CurrentUser, kBackupPath, BackupName(kRowAbsent))->type,
                ValueType::Text);
      if (!listed) DropFromBackup(fake.registry, kRowAbsent);
      ASSERT_TRUE(ResetLater(fake));
      if (listed) {
        EXPECT_EQ(LiveRegistry(fake.registry), before);
      } else {
        EXPECT_EQ(fake.registry.GetText(Hive::CurrentUser, kDesktop, "ScreenSavePowerOffTimeOut"),
                  "900");
      }
      const bool stillAsleep = !listed && os == OsClass::Win95;
      EXPECT_EQ(WizardRun(fake).StartUp().program.wizard.currentPage,
                stillAsleep ? PageId::SelectCompliant : PageId::ActivateYesNo);
    }
  }
}

}  // namespace
}  // namespace lull::testing
