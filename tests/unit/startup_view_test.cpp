// The look at the settings before the first page: which page opens first, what the
// ShowCurrent lines say, and the facts the page handler and a reset rely on.
#include "session/startup_view.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "resources/resource_ids.h"
#include "session/texts.h"
#include "tests/support/computer.h"

namespace lull {
namespace {

using testing::AcPolicyRecord;
using testing::Click;
using testing::FakeWindows;
using testing::PoliciesRecord;
using testing::WizardRun;

const Hive kUser = Hive::CurrentUser;
const Hive kMachine = Hive::LocalMachine;
using testing::kCurrentControlSet;
using testing::kDesktop;
using testing::kPowerCfg;

using Lines = std::array<std::string, kSummaryLineCount>;

const std::string kInactive = kStateLineText;
const std::string kActive = testing::Shown(kCurrentStateLine);
const std::string kNoSleep = kSleepLineText;
const std::string kNoScreenSaver = kScreenSaverLineText;
std::string Sleep(std::uint32_t seconds) { return testing::Shown(kCurrentSleepLine, seconds); }
std::string Saver(std::uint32_t seconds) {
  return testing::Shown(kCurrentScreenSaverLine, seconds);
}

// A computer described by what its registry holds.
struct Computer {
  OsClass os = OsClass::WinXP;
  const char* schemeIndex = "0";
  std::uint32_t userVideoTimeout = 0;  // seconds in the current scheme's "Policies"
  bool machinePolicy = true;           // the current control set's "AcPolicy", alike
  const char* screenSaveActive = nullptr;
  const char* screenSaveTimeOut = nullptr;
  const char* powerOffActive = nullptr;
  const char* powerOffTimeOut = nullptr;
  // The backup.
  const char* flag = nullptr;
  const char* backupTimeOut = nullptr;
  const char* backupPowerOff = nullptr;
  std::uint32_t backupVideoTimeout = 0;
  bool backupHasPolicies = false;
  const char* backupAbsent = nullptr;  // the Desktop values that were not there
};

void Install(FakeWindows& windows, const Computer& c) {
  windows.version = testing::VersionOf(c.os);
  auto& registry = windows.registry;
  registry.CreateKey(kUser, kDesktop);
  if (c.schemeIndex) {
    registry.SetText(kUser, kPowerCfg, "CurrentPowerPolicy", c.schemeIndex);
    registry.SetBinary(kUser, testing::SchemePath(c.schemeIndex[0]), "Policies",
                       PoliciesRecord(c.userVideoTimeout));
  }
  if (c.machinePolicy) {
    registry.SetBinary(kMachine, kCurrentControlSet, "AcPolicy",
                       AcPolicyRecord(c.userVideoTimeout));
  }
  const std::pair<const char*, const char*> desktop[] = {
      {"ScreenSaveActive", c.screenSaveActive},
      {"ScreenSaveTimeOut", c.screenSaveTimeOut},
      {"ScreenSavePowerOffActive", c.powerOffActive},
      {"ScreenSavePowerOffTimeOut", c.powerOffTimeOut}};
  for (const auto& [name, text] : desktop) {
    if (text) registry.SetText(kUser, kDesktop, name, text);
  }
  if (c.flag) SetBackup(registry, kRowFlag, c.flag);
  if (c.backupTimeOut) SetBackup(registry, kRowScreenSaveTimeOut, c.backupTimeOut);
  if (c.backupPowerOff) SetBackup(registry, kRowPowerOffTimeOut, c.backupPowerOff);
  if (c.backupAbsent) SetBackup(registry, kRowAbsent, c.backupAbsent);
  if (c.backupHasPolicies) {
    SetBackup(registry, kRowPolicies, PoliciesRecord(c.backupVideoTimeout));
  }
}

// What start-up concludes besides the page and the lines.
struct Facts {
  bool sleepActive;
  std::uint32_t currentScreenSaver;
  std::uint32_t previousScreenSaver;
  std::uint32_t sleepToApply;
};

struct ViewCase {
  const char* name;
  Computer computer;
  PageId firstPage;
  Lines lines;
  Facts facts;
};

const Lines kNothingFound = {kInactive, kNoSleep, kNoScreenSaver,
                             kInactive, kNoSleep, kNoScreenSaver};

TEST(StartupView, ChoosesTheFirstPageAndFillsTheLines) {
  const ViewCase cases[] = {
      // Scheme 9, the last of one digit, is followed.
      {"NoBackupAndFifteenMinutesOfSleep", Computer{.schemeIndex = "9", .userVideoTimeout = 900},
       PageId::SelectCompliant,
       Lines{kActive, Sleep(900), kNoScreenSaver, kInactive, kNoSleep, kNoScreenSaver},
       Facts{true, 0, 0, 900}},
      // The user's policy says whether the monitor sleeps, not the machine's.
      {"SleepOfTheUserPolicyWithoutAMachinePolicy",
       Computer{.userVideoTimeout = 900, .machinePolicy = false}, PageId::SelectCompliant,
       Lines{kActive, Sleep(900), kNoScreenSaver, kInactive, kNoSleep, kNoScreenSaver},
       Facts{true, 0, 0, 900}},
      {"FlagOneOpensResetActivateWhileTheMonitorSleeps",
       Computer{.userVideoTimeout = 600,
                .screenSaveActive = "1",
                .screenSaveTimeOut = "540",
                .flag = "1",
                .backupTimeOut = "1200",
                .backupVideoTimeout = 0,
                .backupHasPolicies = true},
       PageId::ResetActivate,
       Lines{kActive, Sleep(600), Saver(540), kInactive, kNoSleep, Saver(1200)},
       Facts{true, 540, 1200, 0}},
      {"AnyFlagButTwoCountsAsAnActivation", Computer{.flag = "x"}, PageId::ResetActivate,
       kNothingFound, Facts{false, 0, 0, 0}},
      {"AnActiveScreenSaverOfZeroShowsNever",
       Computer{.screenSaveActive = "1", .screenSaveTimeOut = "0"}, PageId::ActivateYesNo,
       kNothingFound, Facts{false, 0, 0, 0}},
      {"ThirtySecondsOfScreenSaverShowNoNumber",
       Computer{.screenSaveActive = "1", .screenSaveTimeOut = "30"}, PageId::ActivateYesNo,
       Lines{kInactive, kNoSleep, Saver(30), kInactive, kNoSleep, kNoScreenSaver},
       Facts{false, 30, 0, 0}},
      // Without a power scheme, the Desktop's time-out is what a reset would announce.
      {"NoPowerSchemeLeavesTheDesktopTimeOut",
       Computer{.schemeIndex = nullptr, .powerOffTimeOut = "900"}, PageId::ActivateYesNo,
       kNothingFound, Facts{false, 0, 0, 900}},
      // Windows 95 has no power schemes: the Desktop values say whether the monitor sleeps.
      {"Windows95SleepsFromTheDesktopValues",
       Computer{.os = OsClass::Win95,
                .userVideoTimeout = 1200,
                .powerOffActive = "1",
                .powerOffTimeOut = "900"},
       PageId::SelectCompliant,
       Lines{kActive, Sleep(900), kNoScreenSaver, kInactive, kNoSleep, kNoScreenSaver},
       Facts{true, 0, 0, 900}},
      {"Windows95TakesThePreviousSleepFromTheBackedUpText",
       Computer{.os = OsClass::Win95,
                .flag = "1",
                .backupPowerOff = "600",
                .backupVideoTimeout = 1200,
                .backupHasPolicies = true},
       PageId::ResetActivate,
       Lines{kInactive, kNoSleep, kNoScreenSaver, kActive, Sleep(600), kNoScreenSaver},
       Facts{false, 0, 0, 600}},
      // A time-out beside no power-off switch is not in force, and a reset announces it, as the
      // backup holds no sleep time.
      {"Windows95WithoutABackedUpSleepTime",
       Computer{.os = OsClass::Win95,
                .powerOffTimeOut = "900",
                .flag = "1",
                .backupVideoTimeout = 1200,
                .backupHasPolicies = true},
       PageId::ResetActivate, kNothingFound, Facts{false, 0, 0, 900}},
      // A time-out that was not there before the activation meant no sleep.
      {"Windows95WithoutASleepTimeBeforeTheActivation",
       Computer{.os = OsClass::Win95,
                .powerOffTimeOut = "900",
                .flag = "1",
                .backupAbsent = "ScreenSavePowerOffTimeOut"},
       PageId::ResetActivate, kNothingFound, Facts{false, 0, 0, 0}}};
  for (const ViewCase& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRun run;
    Install(run.windows, c.computer);
    StartUp(run.program);
    EXPECT_EQ(run.program.wizard.currentPage, c.firstPage);
    for (std::size_t line = 0; line < kSummaryLineCount; ++line) {
      EXPECT_EQ(run.program.lines[line], c.lines[line]) << "line " << line;
    }
    EXPECT_EQ(run.program.facts.sleepAlreadyActive, c.facts.sleepActive);
    EXPECT_EQ(run.program.facts.currentScreenSaverSeconds, c.facts.currentScreenSaver);
    EXPECT_EQ(run.program.facts.previousScreenSaverSeconds, c.facts.previousScreenSaver);
    EXPECT_EQ(run.program.facts.previousSleepSeconds, c.facts.sleepToApply);
    // Without a backup the rows keep the live values, but no time-out of a screen saver that
    // never starts.
    if (!c.computer.flag) {
      EXPECT_EQ(run.program.store.backup[kRowScreenSaveTimeOut].present(),
                c.facts.currentScreenSaver != 0);
    }
  }
}

// The whole start, as lull.exe makes it: version, command line, settings, first page.
struct StartCase {
  const char* name;
  VersionInfo version;
  const char* commandLine;
  const char* firstPage;
  bool readsSettings;
};

TEST(Start, OpensTheFirstPageAndReadsSettingsOnlyOnTheWizardPath) {
  const StartCase cases[] = {
      {"WindowsXp", VersionInfo{5, 1, 2}, "lull.exe", "ActivateYesNo", true},
      {"TheVersionComesBeforeTheSwitch", VersionInfo{6, 1, 2}, "lull.exe /?", "NTFinish", false},
      {"AboutWithTheSwitch", VersionInfo{4, 10, 1}, "\"C:\\Lull\\lull.exe\" /?", "AboutDisplay",
       false}};
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRun run(OsClass::WinXP);
    run.windows.version = c.version;
    run.windows.commandLine = c.commandLine;
    run.windows.user = {Click(IDC_CANCEL)};
    run.RunProgram();
    ASSERT_EQ(run.windows.pages.size(), 1u);
    EXPECT_EQ(run.windows.pages[0].name, c.firstPage);
    EXPECT_EQ(run.windows.CallsOf({testing::CallKind::OpenKey}).empty(), !c.readsSettings);
    EXPECT_TRUE(
        run.windows.CallsOf({testing::CallKind::SetValue, testing::CallKind::CreateKey}).empty());
    EXPECT_EQ(run.windows.quitCode, 0);
  }
}

}  // namespace
}  // namespace lull
