#include "wizard/pages.h"

#include "resources/resource_ids.h"

namespace lull {
namespace {

constexpr std::uint16_t kYes = IDC_YES;
constexpr std::uint16_t kTenMinutes = IDC_TIME_10;

using enum PageId;
constexpr ChoiceKind kNoChoice = ChoiceKind::None;
constexpr ChoiceKind kYesNo = ChoiceKind::YesNo;
constexpr ChoiceKind kTime = ChoiceKind::Time;

// Indexed by PageId.
// clang-format off
constexpr PageInfo kPages[kPageCount] = {
    // page               choice     initial      previous note   template
    {None,                kNoChoice, 0,           false,   false, ""},
    {AboutDisplay,        kNoChoice, 0,           false,   false, "AboutDisplay"},
    {LicenseDisplay,      kNoChoice, 0,           false,   false, "LicenseDisplay"},
    {ResetActivate,       kYesNo,    kYes,        true,    false, "ResetActivate"},
    {ShowCurrent,         kYesNo,    kYes,        true,    false, "ShowCurrent"},
    {ActivateYesNo,       kYesNo,    kYes,        false,   false, "ActivateYesNo"},
    {ActivateYesNoPrev,   kYesNo,    kYes,        true,    false, "ActivateYesNoPrev"},
    {SelectTime,          kTime,     kTenMinutes, true,    false, "SelectTime"},
    {SelectCompliant,     kTime,     kTenMinutes, false,   false, "SelectCompliant"},
    {AdjustScreenSave,    kYesNo,    kYes,        true,    false, "AdjustScreenSave"},
    {NormalFinish,        kNoChoice, 0,           false,   true,  "NormalFinish"},
    {NoActivateFinish,    kNoChoice, 0,           false,   false, "NoActivateFinish"},
    {ResetFinish,         kNoChoice, 0,           false,   true,  "ResetFinish"},
    {NoResetFinish,       kNoChoice, 0,           false,   false, "NoResetFinish"},
    {NTFinish,            kNoChoice, 0,           false,   false, "NTFinish"},
};

constexpr Operation kNothing = Operation::None;
constexpr Operation kActivate = Operation::Activation;
constexpr Operation kActivateMoving = Operation::ActivationMovingScreenSaver;
constexpr Operation kReset = Operation::Reset;
constexpr Fact kNever = Fact::Never;
// Indexed by PageId. Both pages of times remember the time for SelectTime, the page
// << Previous returns to.
constexpr NextStep kNextSteps[kPageCount] = {
    // page             remembered in      Yes, or a time                    No                            unless                           instead
    {None,              None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {AboutDisplay,      None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {LicenseDisplay,    None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {ResetActivate,     ResetActivate,     {ActivateYesNoPrev, kNothing},    {ShowCurrent, kNothing},      Fact::SleepAlreadyActive,        SelectTime},
    {ShowCurrent,       ShowCurrent,       {ResetFinish, kReset},            {NoResetFinish, kNothing},    kNever,                          None},
    {ActivateYesNo,     ActivateYesNo,     {SelectTime, kNothing},           {NoActivateFinish, kNothing}, kNever,                          None},
    {ActivateYesNoPrev, ActivateYesNoPrev, {SelectTime, kNothing},           {NoActivateFinish, kNothing}, kNever,                          None},
    {SelectTime,        SelectTime,        {NormalFinish, kActivate},        {None, kNothing},             Fact::ScreenSaverNotBeforeSleep, AdjustScreenSave},
    {SelectCompliant,   SelectTime,        {NormalFinish, kActivate},        {None, kNothing},             Fact::ScreenSaverNotBeforeSleep, AdjustScreenSave},
    {AdjustScreenSave,  AdjustScreenSave,  {NormalFinish, kActivateMoving},  {NormalFinish, kActivate},    kNever,                          None},
    {NormalFinish,      None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {NoActivateFinish,  None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {ResetFinish,       None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {NoResetFinish,     None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
    {NTFinish,          None,              {None, kNothing},                 {None, kNothing},             kNever,                          None},
};
// clang-format on

constexpr bool TablesAreInPageOrder() {
  for (std::size_t i = 0; i < kPageCount; ++i) {
    if (static_cast<std::size_t>(kPages[i].id) != i) return false;
    if (static_cast<std::size_t>(kNextSteps[i].page) != i) return false;
  }
  return true;
}
static_assert(TablesAreInPageOrder(), "the page tables are indexed by PageId");

constexpr std::size_t IndexOf(PageId page) {
  const auto index = static_cast<std::size_t>(page);
  return index < kPageCount ? index : 0;
}

}  // namespace

const PageInfo& InfoOf(PageId page) { return kPages[IndexOf(page)]; }

const NextStep& NextStepOf(PageId page) { return kNextSteps[IndexOf(page)]; }

}  // namespace lull
