#include "operations/apply_to_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/fake_windows.h"

namespace lull::testing {
namespace {

using ::testing::ElementsAreArray;

constexpr char kReloadEntry[] = " powrprof.dll,LoadCurrentPwrScheme";

std::string Started(const std::string& program) { return "StartProcess " + program + kReloadEntry; }

TEST(ApplyToSystem, AnnouncesEachNonZeroTimeOutThenReloadsWhereThereIsAScheme) {
  const std::string xpReload = Started("C:\\Windows\\System32\\Rundll32.Exe");
  const struct {
    ValuesToApply values;  // screen saver, sleep
    OsClass os;
    std::vector<std::string> calls;
  } cases[] = {
      {{840, 900},
       OsClass::WinXP,
       {"SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 840",
        "SetSystemParameter PowerOffActive 1", "SetSystemParameter PowerOffTimeout 900", xpReload}},
      // "No, do not move": only monitor power-off is announced.
      {{0, 1200},
       OsClass::WinXP,
       {"SetSystemParameter PowerOffActive 1", "SetSystemParameter PowerOffTimeout 1200",
        xpReload}},
      // A reset to a computer without monitor sleep.
      {{600, 0},
       OsClass::Win2000,
       {"SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 600",
        xpReload}},
      {{0, 0}, OsClass::Win98, {Started("C:\\Windows\\Rundll32.Exe")}},
      // Windows 95 has no power schemes; it takes the new settings at its next start. It
      // refuses the power-off pair from a 32-bit program, and the calls go on regardless.
      {{540, 600},
       OsClass::Win95,
       {"SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 540",
        "SetSystemParameter PowerOffActive 1 (failed)",
        "SetSystemParameter PowerOffTimeout 600 (failed)"}},
      {{0, 0}, OsClass::UnsupportedNt, {}},
  };
  for (const auto& c : cases) {
    FakeWindows fake;
    fake.version = VersionOf(c.os);
    SettingsStore store(fake, c.os);
    ApplyToSystem(store, c.values);
    EXPECT_THAT(fake.CallsOf({CallKind::SetSystemParameter, CallKind::StartProcess}),
                ElementsAreArray(c.calls))
        << c.values.screenSaverSecondsToApply << "/" << c.values.sleepSecondsToApply;
  }
}

TEST(ReloadPowerScheme, ChoosesTheCommandLineByVersionAndSystemDirectory) {
  const struct {
    OsClass os;
    const char* directory;  // null: the query fails
    std::string program;
  } cases[] = {
      {OsClass::Win2000, "C:\\WINNT\\system32", "C:\\Winnt\\System32\\Rundll32.Exe"},
      {OsClass::Win2000, "c:\\winnt\\SYSTEM32", "c:\\Winnt\\System32\\Rundll32.Exe"},
      {OsClass::Win2000, "E:\\WiNnT\\System32", "E:\\Winnt\\System32\\Rundll32.Exe"},
      {OsClass::Win2000, "D:\\WINDOWS\\system32", "D:\\Windows\\System32\\Rundll32.Exe"},
      // Only an N there means \Winnt, not the letter next to it.
      {OsClass::Win2000, "C:\\WINOLD\\system32", "C:\\Windows\\System32\\Rundll32.Exe"},
      {OsClass::Win2000, "F:\\W", "F:\\Windows\\System32\\Rundll32.Exe"},
      {OsClass::Win2000, nullptr, "C:\\Windows\\System32\\Rundll32.Exe"},
      {OsClass::WinXP, "D:\\WINNT\\system32", "D:\\Windows\\System32\\Rundll32.Exe"},
      {OsClass::WinXP, nullptr, "C:\\Windows\\System32\\Rundll32.Exe"},
      {OsClass::Win98, "D:\\WINDOWS\\SYSTEM", "D:\\Windows\\Rundll32.Exe"},
      {OsClass::WinMe, "C:\\WINDOWS\\SYSTEM", "C:\\Windows\\Rundll32.Exe"},
      {OsClass::Win98, nullptr, "C:\\Windows\\Rundll32.Exe"},
  };
  for (const auto& c : cases) {
    FakeWindows fake;
    fake.systemDirectoryFails = c.directory == nullptr;
    if (c.directory) fake.systemDirectory = c.directory;
    SettingsStore store(fake, c.os);
    ReloadPowerScheme(store);
    EXPECT_THAT(fake.startedProcesses, ElementsAreArray({c.program + kReloadEntry}))
        << (c.directory ? c.directory : "(fails)");
  }
}

}  // namespace
}  // namespace lull::testing
