#include "operations/reset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

// A screen-saver program another tool kept as bytes without a terminator goes back as a text
// with one.
TEST(ResetSettings, PutsTheScreenSaverBackAsATerminatedText) {
  WizardRun r(OsClass::WinXP, true);
  SetBackup(r.windows.registry, kRowScreenSaver, TextBytes(kSavedLine, false), ValueType::Binary);
  EXPECT_EQ(r.Reset(), Outcome::Done);
  EXPECT_EQ(r.windows.registry.Get(Hive::CurrentUser, kDesktop, kScreenSaverName),
            (RegistryValue{ValueType::Text, TextBytes(kSavedLine)}));
}

}  // namespace
}  // namespace lull::testing
