// The page handler's tables, walked by a scripted user on the in-memory Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "session/texts.h"
#include "settings/backup_table.h"
#include "tests/support/computer.h"
#include "wizard/page_handler.h"

namespace lull {
namespace {

using testing::Click;
using testing::CloseBox;
using testing::PressEscape;
using testing::UserAction;
using testing::WizardRun;
using Pages = std::vector<std::string>;
using Actions = std::vector<UserAction>;
using Checks = std::vector<std::set<int>>;

constexpr int kYes = IDC_YES;
constexpr int kNo = IDC_NO;
constexpr int kNext = IDC_NEXT;
constexpr int kPrevious = IDC_PREVIOUS;
constexpr int kCancel = IDC_CANCEL;
constexpr int kFinish = IDC_FINISH;
constexpr int kLicense = IDC_LICENSE;
constexpr int kLicenseOk = IDC_LICENSE_OK;
constexpr int k10 = IDC_TIME_10;
constexpr int k15 = IDC_TIME_15;
constexpr int k20 = IDC_TIME_20;

struct Facts {
  bool sleepActive = false;
  std::uint32_t screenSaverSeconds = 0;
};

struct FlowCase {
  const char* name;
  PageId first;
  Facts facts;
  Actions user;
  Pages pages;
  bool movesScreenSaver = false;
};

// Every path ends the wizard with exit code 0 exactly when the last action is taken,
// one page at a time.
TEST(PageFlow, VisitsThePagesInOrderAndEndsWithExitCodeZero) {
  const FlowCase cases[] = {
      {"TwentyMinutesPassAScreenSaverOfFifteen", PageId::SelectCompliant, Facts{true, 900},
       Actions{Click(k20), Click(kNext), Click(kFinish)}, Pages{"SelectCompliant", "NormalFinish"}},
      // << Previous, which a finish page does not have, ends the wizard there too.
      {"DeclineToMoveTheScreenSaverStillActivates", PageId::SelectTime, Facts{false, 1200},
       Actions{Click(kNext), Click(kNo), Click(kNext), Click(kPrevious)},
       Pages{"SelectTime", "AdjustScreenSave", "NormalFinish"}},
      // Only Next >> with Yes moves the screen saver, not a Yes left by << Previous.
      {"YesThenPreviousThenATimeThatNeedsNoQuestion", PageId::SelectTime, Facts{false, 900},
       Actions{Click(kNext), Click(kYes), Click(kPrevious), Click(k20), Click(kNext),
               Click(kFinish)},
       Pages{"SelectTime", "AdjustScreenSave", "SelectTime", "NormalFinish"}},
      {"TheLongestChain", PageId::ResetActivate, Facts{false, 1200},
       Actions{Click(kNext), Click(kNext), Click(kNext), Click(kNext), Click(kFinish)},
       Pages{"ResetActivate", "ActivateYesNoPrev", "SelectTime", "AdjustScreenSave",
             "NormalFinish"},
       true},
      {"ResetYesThenNoActivation", PageId::ResetActivate, Facts{},
       Actions{Click(kNext), Click(kNo), Click(kNext), Click(kFinish)},
       Pages{"ResetActivate", "ActivateYesNoPrev", "NoActivateFinish"}},
      {"ResetNo", PageId::ResetActivate, Facts{},
       Actions{Click(kNo), Click(kNext), Click(kNo), Click(kNext), Click(kFinish)},
       Pages{"ResetActivate", "ShowCurrent", "NoResetFinish"}},
      {"BackAndForthThroughEveryPreviousButton", PageId::ResetActivate, Facts{false, 1200},
       Actions{Click(kNo), Click(kNext), Click(kPrevious), Click(kYes), Click(kNext), Click(kNext),
               Click(kNext), Click(kPrevious), Click(kPrevious), Click(kPrevious), Click(kCancel)},
       Pages{"ResetActivate", "ShowCurrent", "ResetActivate", "ActivateYesNoPrev", "SelectTime",
             "AdjustScreenSave", "SelectTime", "ActivateYesNoPrev", "ResetActivate"}},
      // Each page keeps its own choice: the licence's way back restores ActivateYesNo's.
      {"LicenseThenYesThenPreviousKeepsYes", PageId::ActivateYesNo, Facts{},
       Actions{Click(kNo), Click(kLicense), Click(kLicenseOk), Click(kYes), Click(kNext),
               Click(kPrevious), Click(kNext), Click(kCancel)},
       Pages{"ActivateYesNo", "LicenseDisplay", "ActivateYesNo", "SelectTime", "ActivateYesNo",
             "SelectTime"}},
      {"AboutLicenseAndBack", PageId::AboutDisplay, Facts{},
       Actions{Click(kLicense), Click(kLicenseOk), Click(kFinish)},
       Pages{"AboutDisplay", "LicenseDisplay", "AboutDisplay"}},
      {"CloseBoxOnAFinishPage", PageId::ActivateYesNo, Facts{},
       Actions{Click(kNo), Click(kNext), CloseBox()}, Pages{"ActivateYesNo", "NoActivateFinish"}},
      // Buttons a page does not have end the wizard quietly when they arrive anyway.
      {"NextOnAFinishPageEnds", PageId::NormalFinish, Facts{}, Actions{Click(kNext)},
       Pages{"NormalFinish"}},
      {"PreviousWithNothingToGoBackToEnds", PageId::SelectTime, Facts{}, Actions{Click(kPrevious)},
       Pages{"SelectTime"}}};
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRun run;
    run.program.store.os = OsClass::WinXP;
    run.program.facts.sleepAlreadyActive = c.facts.sleepActive;
    run.program.facts.currentScreenSaverSeconds = c.facts.screenSaverSeconds;
    run.windows.user.assign(c.user.begin(), c.user.end());
    run.RunPagesFrom(c.first);
    EXPECT_EQ(run.windows.PageNames(), c.pages);
    EXPECT_TRUE(run.windows.quitPosted);
    EXPECT_EQ(run.windows.quitCode, 0);
    EXPECT_FALSE(run.windows.userRanOut) << "the wizard ended before the user was done";
    EXPECT_TRUE(run.windows.user.empty()) << "the wizard ended before the user was done";
    EXPECT_EQ(run.windows.MaxPageDepth(), 1);
    EXPECT_EQ(std::ranges::count(run.windows.CallsOf({testing::CallKind::SetSystemParameter}),
                                 "SetSystemParameter ScreenSaverActive 1"),
              c.movesScreenSaver ? 1 : 0);
    // Every way into NormalFinish runs the activation, which always announces the sleep time.
    EXPECT_EQ(std::ranges::count(run.windows.CallsOf({testing::CallKind::SetSystemParameter}),
                                 "SetSystemParameter PowerOffActive 1"),
              c.pages.size() > 1 && c.pages.back() == "NormalFinish" ? 1 : 0);
  }
}

// Cancel, Escape and the close box end the wizard on every page, with nothing written, on
// either family. The quit request ends the open page too, so the wizard ends on a Windows
// whose dialog loop does not return for that request alone. The restart note shows on
// Windows 95 only, on the two pages that end an operation.
// A page that goes away without a click (Windows ending the session) ends the wizard too.
TEST(EndingTheWizard, APageDestroyedFromOutsideEndsIt) {
  WizardRun run;
  run.RunPagesFrom(PageId::ActivateYesNo);
  EXPECT_TRUE(run.windows.userRanOut);
  EXPECT_EQ(run.windows.quitCode, 0);
}

TEST(EndingTheWizard, CancelEscapeAndTheCloseBoxEndEveryPage) {
  for (const OsClass os :
       {OsClass::Win95, OsClass::Win98, OsClass::WinMe, OsClass::Win2000, OsClass::WinXP}) {
    for (std::size_t index = 1; index < kPageCount; ++index) {
      const auto page = static_cast<PageId>(index);
      for (const UserAction action : {Click(kCancel), PressEscape(), CloseBox()}) {
        WizardRun run;
        run.windows.version = testing::VersionOf(os);
        run.program.store.os = os;
        run.windows.user = {action};
        run.RunPagesFrom(page);
        EXPECT_EQ(run.windows.PageNames(), Pages{InfoOf(page).templateName});
        EXPECT_FALSE(run.windows.userRanOut);
        EXPECT_TRUE(run.windows.quitPosted);
        EXPECT_EQ(run.windows.quitCode, 0);
        EXPECT_TRUE(run.windows.CallsOf({testing::CallKind::SetValue}).empty());
        const auto& texts = run.LastVisit().texts;
        const bool note =
            os == OsClass::Win95 && (page == PageId::NormalFinish || page == PageId::ResetFinish);
        ASSERT_EQ(texts.count(IDC_FINISH_NOTE), note ? 1u : 0u);
        if (note) {
          EXPECT_EQ(texts.at(IDC_FINISH_NOTE), kWin95Note);
        }
      }
    }
  }
}

// The check marks each page shows when it opens, after the user's earlier choices.
struct ChecksCase {
  const char* name;
  PageId first;
  Facts facts;
  Actions user;
  Checks checkedOnOpen;
};

TEST(RememberedChoices, EachPageOpensWithItsRememberedChoice) {
  const ChecksCase cases[] = {
      {"FirstOpeningShowsTheInitialChoices", PageId::ResetActivate, Facts{false, 1200},
       Actions{Click(kNext), Click(kNext), Click(kNext), Click(kCancel)},
       Checks{{kYes}, {kYes}, {k10}, {kYes}}},
      {"FifteenMinutesSurviveTheLicensePage", PageId::SelectTime, Facts{},
       Actions{Click(k15), Click(kLicense), Click(kLicenseOk), Click(kCancel)},
       Checks{{k10}, {}, {k15}}},
      {"ANoSurvivesTheLicensePage", PageId::ActivateYesNo, Facts{},
       Actions{Click(kNo), Click(kLicense), Click(kLicenseOk), Click(kCancel)},
       Checks{{kYes}, {}, {kNo}}},
      {"PreviousReturnsToTheChoiceMadeThere", PageId::ResetActivate, Facts{true, 0},
       Actions{Click(kNo), Click(kNext), Click(kPrevious), Click(kYes), Click(kNext), Click(k20),
               Click(kPrevious), Click(kNext), Click(kCancel)},
       Checks{{kYes}, {kYes}, {kNo}, {k10}, {kYes}, {k20}}},
      // SelectCompliant's time is remembered for SelectTime, not for itself.
      {"SelectCompliantOpensWithItsInitialChoiceAgain", PageId::SelectCompliant, Facts{true, 1200},
       Actions{Click(k15), Click(kNext), Click(kPrevious), Click(kCancel)},
       Checks{{k10}, {kYes}, {k10}}}};
  for (const ChecksCase& c : cases) {
    SCOPED_TRACE(c.name);
    WizardRun run;
    run.program.facts.sleepAlreadyActive = c.facts.sleepActive;
    run.program.facts.currentScreenSaverSeconds = c.facts.screenSaverSeconds;
    run.windows.user.assign(c.user.begin(), c.user.end());
    run.RunPagesFrom(c.first);
    ASSERT_EQ(run.windows.pages.size(), c.checkedOnOpen.size())
        << ::testing::PrintToString(run.windows.PageNames());
    for (std::size_t i = 0; i < c.checkedOnOpen.size(); ++i) {
      EXPECT_EQ(run.Visit(i).checkedOnOpen, c.checkedOnOpen[i])
          << "page " << i << " " << run.Visit(i).name;
      EXPECT_LE(run.Visit(i).checkedOnClose.size(), 1u) << "page " << i;  // one choice a page
    }
  }
}

TEST(History, LicenseDetoursPushAndPopNothingAndNeverNestPages) {
  WizardRun run;
  for (int i = 0; i < 1000; ++i) {
    run.windows.user.push_back(Click(kLicense));
    run.windows.user.push_back(Click(kLicenseOk));
  }
  run.windows.user.push_back(Click(kCancel));
  run.RunPagesFrom(PageId::SelectTime);
  EXPECT_EQ(run.windows.pages.size(), 2001u);
  EXPECT_EQ(run.program.wizard.history.size(), 0u);
  EXPECT_EQ(run.windows.MaxPageDepth(), 1);
}

// When an operation cannot do its work, its finish page says so, after the restart note: the
// backup key may be read but not written, and nothing can be kept; or the Desktop key, and
// the backup stays for another try.
TEST(FinishNotes, AFailedOperationIsNotReportedAsSuccess) {
  for (const OsClass os : {OsClass::WinXP, OsClass::Win95}) {
    const std::string prefix = os == OsClass::Win95 ? std::string(kWin95Note) + " " : "";
    for (const bool reset : {false, true}) {
      WizardRun run;
      run.program.store.os = os;
      run.windows.registry.SetReadOnly(Hive::CurrentUser,
                                       reset ? testing::kDesktop : testing::kBackupPath);
      if (reset) {
        SetBackup(run.windows.registry, kRowFlag, "1");
        SetBackup(run.windows.registry, kRowScreenSaveTimeOut, "600");
        LoadBackup(run.program.store);
      }
      run.windows.user = {Click(kNext), Click(kFinish)};
      run.RunPagesFrom(reset ? PageId::ShowCurrent : PageId::SelectTime);
      EXPECT_EQ(run.LastVisit().name, reset ? "ResetFinish" : "NormalFinish");
      EXPECT_EQ(run.LastVisit().texts.at(IDC_FINISH_NOTE),
                prefix + (reset ? kNotRestoredNote : kNotSavedNote));
    }
  }
}

TEST(ShowCurrent, ShowsTheSixSummaryLinesInOrder) {
  WizardRun run;
  run.program.lines.MarkActive(kCurrentStateLine);
  run.program.lines.ShowMinutes(kCurrentSleepLine, 900);
  run.program.lines.ShowMinutes(kPreviousScreenSaverLine, 120);
  const auto& lines = run.program.lines;
  const std::map<int, std::string> expected = {
      {IDC_CURRENT_STATE, lines[kCurrentStateLine]},
      {IDC_CURRENT_SLEEP, lines[kCurrentSleepLine]},
      {IDC_CURRENT_SAVER, lines[kCurrentScreenSaverLine]},
      {IDC_PREVIOUS_STATE, lines[kPreviousStateLine]},
      {IDC_PREVIOUS_SLEEP, lines[kPreviousSleepLine]},
      {IDC_PREVIOUS_SAVER, lines[kPreviousScreenSaverLine]}};
  run.windows.user = {Click(kCancel)};
  run.RunPagesFrom(PageId::ShowCurrent);
  EXPECT_EQ(run.LastVisit().texts, expected);
  EXPECT_EQ(
      run.windows.CallsOf({testing::CallKind::SetControlText}).front(),
      "SetControlText " + std::to_string(IDC_CURRENT_STATE) + " " + expected.at(IDC_CURRENT_STATE));
}

TEST(Handler, LeavesUnknownCommandsAndOtherNotificationsToTheDialogManager) {
  WizardRun run;
  run.program.wizard.currentPage = PageId::SelectTime;
  PageHandler handler(run.program, run.windows);
  const std::size_t callsBefore = run.windows.calls.size();
  EXPECT_FALSE(handler.OnMessage(1, DialogMessage::Command, 12345, 0));
  EXPECT_FALSE(handler.OnMessage(1, DialogMessage::Command, IDC_NEXT, 1));
  EXPECT_FALSE(handler.OnMessage(1, DialogMessage::Other, 0, 0));
  EXPECT_EQ(run.windows.calls.size(), callsBefore);
  EXPECT_TRUE(handler.OnMessage(1, DialogMessage::Init, 0, 0));
  run.program.wizard.currentPage = PageId::AboutDisplay;
  EXPECT_FALSE(handler.OnMessage(1, DialogMessage::Init, 0, 0));
}

}  // namespace
}  // namespace lull
