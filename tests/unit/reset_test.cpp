#include "operations/reset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/operation_fixtures.h"

namespace lull::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::string kSavedLine = "SCRNSAVE.EXE=C:\\WINDOWS\\BLANK.SCR";
const std::string kRewrittenIni =
    "[boot]\r\nshell=Explorer.exe\r\n" + kSavedLine + "\r\ndrivers=mmsystem.dll\r\n";

// A computer after the typical activation, and what it held before it.
struct Reset {
  explicit Reset(OsClass os) : store(fake, os) {
    FakeWindows before;
    SetUpComputer(before, os);
    originals = LiveRegistry(before.registry);
    ActivateComputer(fake, os);
  }
  ResetResult Run(std::optional<int> failAt = {}) {
    StartUp(store);
    fake.calls.clear();
    fake.fallibleCallCount = 0;
    fake.failAt = failAt;
    return ResetSettings(store, *image, reload);
  }
  void SetDesktop(const std::string& name, const std::string& text) {
    fake.registry.SetText(Hive::CurrentUser, kDesktop, name, text);
  }
  void DropFromBackup(const std::string& lowerCaseName) {
    fake.registry.keys[{Hive::CurrentUser, "control panel\\desktop\\corvane"}].values.erase(
        lowerCaseName);
  }
  std::optional<std::string> Desktop(const std::string& name) const {
    return fake.registry.GetText(Hive::CurrentUser, kDesktop, name);
  }
  std::vector<std::string> Announced() const {
    return fake.CallsOf({CallKind::SetSystemParameter, CallKind::StartProcess});
  }

  FakeWindows fake;
  SettingsStore store;
  std::unique_ptr<SystemIniImage> image = std::make_unique<SystemIniImage>();
  PowerSchemeReload reload;
  FakeRegistry::Keys originals;
};

const char* const kXpReload =
    "StartProcess C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
const char* const k98Reload =
    "StartProcess C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";

TEST(ResetSettings, PutsEverythingBackAndLeavesOnlyTheFlagTwo) {
  for (const OsClass os : {OsClass::WinXP, OsClass::Win98}) {
    Reset r(os);
    if (os == OsClass::WinXP) {
      r.fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetScrnSave", "C:\\OLD.SCR");
      r.originals[{Hive::CurrentUser, "control panel\\desktop"}].values["scrnsave.exe"] =
          RegistryValue{ValueType::Text, TextBytes("C:\\OLD.SCR")};
    }
    EXPECT_EQ(r.Run(), ResetResult::Reset);
    EXPECT_EQ(LiveRegistry(r.fake.registry), r.originals);
    EXPECT_THAT(r.fake.registry.ValueNames(Hive::CurrentUser, kCorvane),
                ElementsAre("lullresetflag"));
    EXPECT_EQ(r.fake.registry.GetText(Hive::CurrentUser, kCorvane, "LullResetFlag"), "2");
    EXPECT_THAT(r.Announced(), ElementsAre("SetSystemParameter ScreenSaverActive 1",
                                           "SetSystemParameter ScreenSaverTimeout 1200",
                                           os == OsClass::WinXP ? kXpReload : k98Reload));
    if (os == OsClass::Win98) {
      EXPECT_EQ(r.fake.GetFile(kIniPath), kRewrittenIni);
      EXPECT_EQ(r.fake.GetFile(kStrPath), kIniContent);
    }
  }
}

TEST(ResetSettings, RestoresWhatTheBackupHoldsAndLeavesTheRestAlone) {
  const struct {
    const char* what;
    void (*change)(Reset&);  // what the backup lacks or holds
    const char* desktopValue;
    std::optional<std::string> expected;  // of desktopValue after the reset
    std::vector<std::string> announcedScreenSaver;
  } cases[] = {
      {"no screen-saver program",
       [](Reset& r) { r.DropFromBackup("lullresetscrnsave"); },
       "SCRNSAVE.EXE",
       "C:\\CHANGED.SCR",
       {"SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 1200"}},
      {"no monitor power-off switch",
       [](Reset& r) { r.DropFromBackup("lullresetpoweroffact"); },
       "ScreenSavePowerOffActive",
       "1",
       {"SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 1200"}},
      {"no screen-saver time-out",
       [](Reset& r) { r.DropFromBackup("lullresettimeout"); },
       "ScreenSaveTimeOut",
       "840",
       {}},
      {"a screen-saver time-out of 0",
       [](Reset& r) {
         r.fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetTimeOut", "0");
       },
       "ScreenSaveTimeOut",
       "0",
       {}},
  };
  for (const OsClass os : {OsClass::WinXP, OsClass::Win98}) {
    for (const auto& c : cases) {
      Reset r(os);
      r.fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetScrnSave", kSavedLine);
      r.SetDesktop("SCRNSAVE.EXE", "C:\\CHANGED.SCR");
      c.change(r);
      EXPECT_EQ(r.Run(), ResetResult::Reset) << c.what;
      EXPECT_EQ(r.Desktop(c.desktopValue), c.expected) << c.what;
      // Everything else is as before the activation.
      EXPECT_EQ(r.Desktop("ScreenSavePowerOffTimeOut"), "0") << c.what;
      EXPECT_EQ(VideoTimeout(r.fake.registry.Get(Hive::CurrentUser, kScheme0, "Policies"),
                             kPoliciesOffset),
                0u)
          << c.what;
      const bool lineRestored = c.desktopValue != std::string("SCRNSAVE.EXE");
      if (os == OsClass::Win98) {
        EXPECT_EQ(r.fake.GetFile(kIniPath), lineRestored ? kRewrittenIni : kIniContent) << c.what;
      } else if (lineRestored) {
        EXPECT_EQ(r.Desktop("SCRNSAVE.EXE"), kSavedLine) << c.what;
      }
      auto announced = c.announcedScreenSaver;
      announced.push_back(os == OsClass::WinXP ? kXpReload : k98Reload);
      EXPECT_THAT(r.Announced(), ElementsAreArray(announced)) << c.what;
    }
  }
}

TEST(ResetSettings, OnWindows95RewritesSystemIniButNeitherRestoresNorReloadsPowerPolicies) {
  Reset r(OsClass::Win95);
  r.fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetPowerPolicy", "0");
  r.fake.registry.SetBinary(Hive::CurrentUser, kCorvane, "LullResetPolicies",
                            PolicyRecord(80, kPoliciesOffset, 300, 0x10));
  r.fake.registry.SetBinary(Hive::CurrentUser, kCorvane, "LullResetAcPolicy",
                            PolicyRecord(232, kAcPolicyOffset, 300, 0x40));
  EXPECT_EQ(r.Run(), ResetResult::Reset);
  EXPECT_EQ(LiveRegistry(r.fake.registry), r.originals);
  EXPECT_EQ(r.fake.GetFile(kIniPath), kRewrittenIni);
  EXPECT_THAT(r.fake.startedProcesses, IsEmpty());
}

TEST(ResetSettings, KeepsTheBackupWhenTheDesktopValuesCannotBeRestored) {
  for (const OsClass os : {OsClass::WinXP, OsClass::Win98}) {
    for (const bool keyFails : {true, false}) {
      // Windows 95/98/Me open every key for writing: there only a write can fail.
      if (keyFails && IsWin9xFamily(os)) continue;
      Reset r(os);
      std::optional<int> failAt;
      if (keyFails) {
        r.fake.registry.SetReadOnly(Hive::CurrentUser, kDesktop);
      } else {
        Reset probe(os);
        probe.Run();
        failAt = FallibleIndexOf(probe.fake, CallKind::SetValue, 2);
      }
      const auto backup = BackupKeyOf(r.fake.registry);
      EXPECT_EQ(r.Run(failAt), ResetResult::NotRestored);
      EXPECT_EQ(BackupKeyOf(r.fake.registry), backup);
      // The rest goes back, and the running system is told nothing the registry lacks.
      EXPECT_EQ(VideoTimeout(r.fake.registry.Get(Hive::CurrentUser, kScheme0, "Policies"),
                             kPoliciesOffset),
                0u);
      if (os == OsClass::Win98) {
        EXPECT_EQ(r.fake.GetFile(kIniPath), kRewrittenIni);
      }
      EXPECT_THAT(r.Announced(), ElementsAre(os == OsClass::WinXP ? kXpReload : k98Reload));
    }
  }
}

// A reset whose write of a user's setting fails keeps the backup, and the next try puts
// everything back.
TEST(ResetSettings, KeepsTheBackupWhenAnyUserSettingCannotBeRestored) {
  struct FailingCase {
    OsClass os;
    const char* call;
  };
  const FailingCase cases[] = {
      {OsClass::WinXP, "SetValue HKCU\\Control Panel\\Desktop SCRNSAVE.EXE"},
      {OsClass::WinXP, "OpenKey HKCU\\Control Panel\\PowerCfg\\PowerPolicies\\0"},
      {OsClass::WinXP, "SetValue HKCU\\Control Panel\\PowerCfg\\PowerPolicies\\0 Policies"},
      {OsClass::Win98, "SetValue HKCU\\Control Panel\\PowerCfg\\PowerPolicies\\0 Policies"},
      {OsClass::Win98, "WriteFile"},
      {OsClass::Win98, "MoveFile C:\\Windows\\SysIni.Tmp"},
  };
  for (const FailingCase& c : cases) {
    SCOPED_TRACE(c.call);
    Reset probe(c.os);
    if (c.os == OsClass::WinXP) {
      probe.fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetScrnSave", "C:\\A.SCR");
    }
    probe.Run();
    int failAt = -1;
    for (std::size_t at = 0; at < probe.fake.calls.size() && failAt < 0; ++at) {
      if (probe.fake.calls[at].description.rfind(c.call, 0) == 0) failAt = static_cast<int>(at);
    }
    ASSERT_GE(failAt, 0);

    Reset r(c.os);
    if (c.os == OsClass::WinXP) {
      r.fake.registry.SetText(Hive::CurrentUser, kCorvane, "LullResetScrnSave", "C:\\A.SCR");
      r.originals[{Hive::CurrentUser, "control panel\\desktop"}].values["scrnsave.exe"] =
          RegistryValue{ValueType::Text, TextBytes("C:\\A.SCR")};
    }
    const auto backup = BackupKeyOf(r.fake.registry);
    EXPECT_EQ(r.Run(failAt), ResetResult::NotRestored);
    EXPECT_EQ(BackupKeyOf(r.fake.registry), backup);
    EXPECT_THAT(r.Announced(), ElementsAre(c.os == OsClass::WinXP ? kXpReload : k98Reload));

    // The next run of the program tries again from the kept backup.
    Reset again(c.os);
    again.fake.registry = r.fake.registry;
    again.fake.files = r.fake.files;
    EXPECT_EQ(again.Run(), ResetResult::Reset);
    EXPECT_EQ(LiveRegistry(again.fake.registry), r.originals);
  }
}

}  // namespace
}  // namespace lull::testing
