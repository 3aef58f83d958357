#include "wizard/pages.h"

#include "resources/resource_ids.h"

namespace lull {
namespace {

constexpr std::uint32_t kYes = IDC_YES;
constexpr std::uint32_t kTenMinutes = IDC_TIME_10;

using enum PageId;
constexpr ChoiceKind kNoChoice = ChoiceKind::None;
constexpr ChoiceKind kYesNo = ChoiceKind::YesNo;
constexpr ChoiceKind kTime = ChoiceKind::Time;

// Indexed by PageId.
// clang-format off
constexpr PageInfo kPages[kPageCount] = {
    // page               template             choice     initial      previous note
    {None,                "",                  kNoChoice, 0,           false,   false},
    {AboutDisplay,        "AboutDisplay",      kNoChoice, 0,           false,   false},
    {LicenseDisplay,      "LicenseDisplay",    kNoChoice, 0,           false,   false},
    {ResetActivate,       "ResetActivate",     kYesNo,    kYes,        true,    false},
    {ShowCurrent,         "ShowCurrent",       kYesNo,    kYes,        true,    false},
    {ActivateYesNo,       "ActivateYesNo",     kYesNo,    kYes,        false,   false},
    {ActivateYesNoPrev,   "ActivateYesNoPrev", kYesNo,    kYes,        true,    false},
    {SelectTime,          "SelectTime",        kTime,     kTenMinutes, true,    false},
    {SelectCompliant,     "SelectCompliant",   kTime,     kTenMinutes, false,   false},
    {AdjustScreenSave,    "AdjustScreenSave",  kYesNo,    kYes,        true,    false},
    {NormalFinish,        "NormalFinish",      kNoChoice, 0,           false,   true},
    {NoActivateFinish,    "NoActivateFinish",  kNoChoice, 0,           false,   false},
    {ResetFinish,         "ResetFinish",       kNoChoice, 0,           false,   true},
    {NoResetFinish,       "NoResetFinish",     kNoChoice, 0,           false,   false},
    {NTFinish,            "NTFinish",          kNoChoice, 0,           false,   false},
};
// clang-format on

constexpr bool TableIsInPageOrder() {
  for (std::size_t i = 0; i < kPageCount; ++i) {
    if (static_cast<std::size_t>(kPages[i].id) != i) return false;
  }
  return true;
}
static_assert(TableIsInPageOrder(), "the page table is indexed by PageId");

}  // namespace

const PageInfo& InfoOf(PageId page) {
  const auto index = static_cast<std::size_t>(page);
  return kPages[index < kPageCount ? index : 0];
}

}  // namespace lull
