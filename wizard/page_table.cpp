#include "wizard/page_table.h"

#include "session/texts.h"

namespace lull {
namespace {

using enum PageId;
constexpr ChoiceKind kNoChoice = ChoiceKind::None;
constexpr ChoiceKind kYesNo = ChoiceKind::YesNo;
constexpr ChoiceKind kTime = ChoiceKind::Time;
constexpr const char* kNoNote = nullptr;

// Indexed by PageId.
// clang-format off
constexpr PageInfo kPages[kPageCount] = {
    // page              choice     remembers in       previous failure note      template
    {None,               kNoChoice, None,              false,   kNoNote,          ""},
    {AboutDisplay,       kNoChoice, None,              false,   kNoNote,          "AboutDisplay"},
    {LicenseDisplay,     kNoChoice, None,              false,   kNoNote,          "LicenseDisplay"},
    {ResetActivate,      kYesNo,    ResetActivate,     true,    kNoNote,          "ResetActivate"},
    {ShowCurrent,        kYesNo,    ShowCurrent,       true,    kNoNote,          "ShowCurrent"},
    {ActivateYesNo,      kYesNo,    ActivateYesNo,     false,   kNoNote,          "ActivateYesNo"},
    {ActivateYesNoPrev,  kYesNo,    ActivateYesNoPrev, true,    kNoNote,          "ActivateYesNoPrev"},
    {SelectTime,         kTime,     SelectTime,        true,    kNoNote,          "SelectTime"},
    {SelectCompliant,    kTime,     SelectTime,        false,   kNoNote,          "SelectCompliant"},
    {AdjustScreenSave,   kYesNo,    AdjustScreenSave,  true,    kNoNote,          "AdjustScreenSave"},
    {NormalFinish,       kNoChoice, None,              false,   kNotSavedNote,    "NormalFinish"},
    {NoActivateFinish,   kNoChoice, None,              false,   kNoNote,          "NoActivateFinish"},
    {ResetFinish,        kNoChoice, None,              false,   kNotRestoredNote, "ResetFinish"},
    {NoResetFinish,      kNoChoice, None,              false,   kNoNote,          "NoResetFinish"},
    {NTFinish,           kNoChoice, None,              false,   kNoNote,          "NTFinish"},
};

constexpr Operation kNothing = Operation::None;
constexpr Operation kActivate = Operation::Activation;
constexpr Operation kActivateMoving = Operation::ActivationMovingScreenSaver;
constexpr Operation kReset = Operation::Reset;

// Next >> on each page that has it: the page's first step whose condition holds is taken.
constexpr NextStep kNextSteps[] = {
    // page             when                                    next               runs
    {ResetActivate,     Condition::No,                          ShowCurrent,       kNothing},
    {ResetActivate,     Condition::SleepAlreadyActive,          SelectTime,        kNothing},
    {ResetActivate,     Condition::Always,                      ActivateYesNoPrev, kNothing},
    {ShowCurrent,       Condition::Yes,                         ResetFinish,       kReset},
    {ShowCurrent,       Condition::Always,                      NoResetFinish,     kNothing},
    {ActivateYesNo,     Condition::Yes,                         SelectTime,        kNothing},
    {ActivateYesNo,     Condition::Always,                      NoActivateFinish,  kNothing},
    {ActivateYesNoPrev, Condition::Yes,                         SelectTime,        kNothing},
    {ActivateYesNoPrev, Condition::Always,                      NoActivateFinish,  kNothing},
    {SelectTime,        Condition::ScreenSaverNotBeforeSleep,   AdjustScreenSave,  kNothing},
    {SelectTime,        Condition::Always,                      NormalFinish,      kActivate},
    {SelectCompliant,   Condition::ScreenSaverNotBeforeSleep,   AdjustScreenSave,  kNothing},
    {SelectCompliant,   Condition::Always,                      NormalFinish,      kActivate},
    {AdjustScreenSave,  Condition::Yes,                         NormalFinish,      kActivateMoving},
    {AdjustScreenSave,  Condition::Always,                      NormalFinish,      kActivate},
};
// clang-format on

// Each page's steps end with one that is always taken, and the pages that have steps are
// those that remember a choice on Next >>.
constexpr bool TablesAgree() {
  for (std::size_t i = 0; i < kPageCount; ++i) {
    if (static_cast<std::size_t>(kPages[i].id) != i) return false;
    bool hasSteps = false;
    bool endsAlways = false;
    for (const NextStep& step : kNextSteps) {
      if (step.page != kPages[i].id) continue;
      hasSteps = true;
      endsAlways = step.when == Condition::Always;
    }
    if (hasSteps != (kPages[i].remembersIn != None) || hasSteps != endsAlways) return false;
  }
  return true;
}
static_assert(TablesAgree(), "the page table is indexed by PageId and agrees with the steps");
// None only stands for no page: its row is never shown.
constexpr const PageInfo& kNoPage = kPages[static_cast<std::size_t>(None)];
static_assert(kNoPage.choice == kNoChoice && kNoPage.remembersIn == None && !kNoPage.hasPrevious &&
                  kNoPage.failureNote == kNoNote && kNoPage.templateName[0] == '\0',
              "the row of no page is empty");

}  // namespace

// Every page the program names is a row of the table (PageId's own values).
const PageInfo& InfoOf(PageId page) { return kPages[static_cast<std::size_t>(page)]; }

std::span<const NextStep> NextSteps() { return kNextSteps; }

}  // namespace lull
