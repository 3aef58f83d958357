// Faults the fuzz targets in tests/fuzz found, each pinned down by the plainest case that
// shows it. The inputs that found them are in tests/fuzz/regressions/.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/operation_fixtures.h"

namespace lull::testing {
namespace {

// A later start of the program, and the reset it offers; false when it offers none.
bool ResetLater(FakeWindows& fake, OsClass os) {
  SettingsStore store(fake, os);
  StartUp(store);
  const BackupEntry& flag = store.backup[kRowFlag];
  if (!flag.present() || flag.text()[0] != '1') return false;
  auto image = std::make_unique<SystemIniImage>();
  PowerSchemeReload reload;
  return ResetSettings(store, *image, reload) == ResetResult::Reset;
}

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
  r.SetBinary(Hive::CurrentUser, kScheme0, "Policies", PolicyRecord(80, kPoliciesOffset, 1800, 0x50));
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
      const std::string where = std::string(before == Before::AReset ? "after a reset" : "again") +
                                ", failing " + read;
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

}  // namespace
}  // namespace lull::testing
