// Faults the fuzz targets in tests/fuzz found, each pinned down by the plainest case that
// shows it. The inputs that found them are in tests/fuzz/regressions/.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/operation_fixtures.h"

namespace lull::testing {
namespace {

// The computer just before the activation under test.
enum class Before {
  // An earlier reset left the backup key with the flag "2" alone, so every row starts
  // the activation absent.
  AReset,
  // An earlier activation left its backup, and the user has since changed the screen
  // saver and the power policies: the rows start the activation with older values.
  AnActivation,
};

void PrepareComputer(FakeWindows& fake, Before before) {
  SetUpComputer(fake, OsClass::WinXP);
  if (before == Before::AReset) {
    fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetFlag", "2");
    return;
  }
  ActivateComputer(fake, OsClass::WinXP);
  FakeRegistry& r = fake.registry;
  r.SetText(Hive::CurrentUser, kDesktop, "ScreenSaveTimeOut", "300");
  r.SetText(Hive::CurrentUser, kDesktop, "ScreenSavePowerOffTimeOut", "1800");
  r.SetBinary(Hive::CurrentUser, kScheme0, "Policies",
              PolicyRecord(80, kPoliciesOffset, 1800, 0x50));
  r.SetBinary(Hive::LocalMachine, kCurrentControlSet, "AcPolicy",
              PolicyRecord(232, kAcPolicyOffset, 1800, 0x60));
}

// Every read of the live settings that the activation makes, failing in turn, must leave
// either nothing changed or a backup that a later reset turns back into what was there.
TEST(FuzzRegressions, AnActivationThatCannotReadASettingLosesNothing) {
  const char* const reads[] = {
      "OpenKey HKCU\\Control Panel\\PowerCfg",
      "QueryValue HKCU\\Control Panel\\PowerCfg CurrentPowerPolicy",
      "OpenKey HKCU\\Control Panel\\PowerCfg\\PowerPolicies\\0",
      "QueryValue HKCU\\Control Panel\\PowerCfg\\PowerPolicies\\0 Policies",
      "OpenKey HKLM\\System\\ControlSet001\\Control\\Session Manager\\Power",
      "QueryValue HKLM\\System\\ControlSet001\\Control\\Session Manager\\Power AcPolicy",
      "QueryValue HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Power AcPolicy",
      "OpenKey HKCU\\Control Panel\\Desktop",
      "QueryValue HKCU\\Control Panel\\Desktop ScreenSaveLowPowerActive",
      "QueryValue HKCU\\Control Panel\\Desktop ScreenSavePowerOffActive",
      "QueryValue HKCU\\Control Panel\\Desktop ScreenSavePowerOffTimeOut",
      "QueryValue HKCU\\Control Panel\\Desktop ScreenSaveActive",
      "QueryValue HKCU\\Control Panel\\Desktop ScreenSaveTimeOut",
  };
  for (const Before before : {Before::AReset, Before::AnActivation}) {
    for (const char* read : reads) {
      const std::string where =
          std::string(before == Before::AReset ? "after a reset" : "again") + ", failing " + read;
      FakeWindows fake;
      PrepareComputer(fake, before);
      const auto original = LiveRegistry(fake.registry);
      SettingsStore store(fake, OsClass::WinXP);
      StartUp(store);
      fake.calls.clear();
      fake.fallibleCallCount = 0;
      // The first call of the activation that is this read.
      {
        FakeWindows probe;
        PrepareComputer(probe, before);
        SettingsStore probeStore(probe, OsClass::WinXP);
        StartUp(probeStore);
        probe.calls.clear();
        ChosenTimes chosen = Chosen(15, true);
        PowerSchemeReload reload;
        ActivateSettings(probeStore, chosen, reload);
        for (std::size_t at = 0; at < probe.calls.size() && !fake.failAt; ++at) {
          if (probe.calls[at].description.rfind(read, 0) == 0) fake.failAt = static_cast<int>(at);
        }
      }
      ASSERT_TRUE(fake.failAt) << where;
      ChosenTimes chosen = Chosen(15, true);
      PowerSchemeReload reload;
      const bool activated = ActivateSettings(store, chosen, reload) == ActivationResult::Activated;
      fake.failAt.reset();
      if (activated) {
        EXPECT_TRUE(ResetLater(fake, OsClass::WinXP)) << where;
      }
      EXPECT_EQ(LiveRegistry(fake.registry), original) << where;
    }
  }
}

// A reset whose power scheme is not there (deleted since the activation, or a backup that
// names a scheme that never was) has nothing to put that policy into, and no later try
// would: it puts back everything else and ends, rather than keep its backup forever.
TEST(FuzzRegressions, AResetWhosePowerSchemeIsGoneStillEnds) {
  for (const bool deleted : {true, false}) {
    SCOPED_TRACE(deleted ? "scheme deleted" : "backup names a missing scheme");
    FakeWindows fake;
    ActivateComputer(fake, OsClass::WinXP);
    if (deleted) {
      fake.registry.DeleteKey(Hive::CurrentUser, kScheme0);
    } else {
      fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetPowerPolicy", "7");
    }
    EXPECT_TRUE(ResetLater(fake, OsClass::WinXP));
    EXPECT_EQ(fake.registry.ValueNames(Hive::CurrentUser, kCorvane),
              std::vector<std::string>{"lullresetflag"});
    EXPECT_EQ(fake.registry.GetText(Hive::CurrentUser, kDesktop, "ScreenSavePowerOffTimeOut"), "0");
    // Nothing is made up in its place.
    EXPECT_FALSE(fake.registry.HasKey(
        Hive::CurrentUser, deleted ? kScheme0 : kScheme0.substr(0, kScheme0.size() - 1) + "7"));
  }
}

// The same for a profile whose Desktop key is gone: its values cannot go back, the rest does.
TEST(FuzzRegressions, AResetWhoseDesktopKeyIsGoneStillEnds) {
  for (const OsClass os : {OsClass::WinXP, OsClass::Win98}) {
    FakeWindows fake;
    ActivateComputer(fake, os);
    fake.registry.DeleteKey(Hive::CurrentUser, kDesktop);
    EXPECT_TRUE(ResetLater(fake, os));
    EXPECT_FALSE(fake.registry.HasKey(Hive::CurrentUser, kDesktop));
    EXPECT_EQ(
        VideoTimeout(fake.registry.Get(Hive::CurrentUser, kScheme0, "Policies"), kPoliciesOffset),
        0u);
  }
}

}  // namespace
}  // namespace lull::testing
