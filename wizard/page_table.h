// The fourteen pages: their template names, what kind of choice each offers, and where
// Next >> leads from each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lull {

// A page, named by its dialog template. None means "no page": the wizard ends.
enum class PageId : std::uint8_t {
  None,
  AboutDisplay,
  LicenseDisplay,
  ResetActivate,
  ShowCurrent,
  ActivateYesNo,
  ActivateYesNoPrev,
  SelectTime,
  SelectCompliant,
  AdjustScreenSave,
  NormalFinish,
  NoActivateFinish,
  ResetFinish,
  NoResetFinish,
  NTFinish,
};
inline constexpr std::size_t kPageCount = static_cast<std::size_t>(PageId::NTFinish) + 1;

enum class ChoiceKind : std::uint8_t { None, YesNo, Time };

struct PageInfo {
  PageId id;
  // The page first shows Yes, or ten minutes.
  ChoiceKind choice;
  // The page whose remembered choice Next >> sets: the page itself, but SelectTime for
  // SelectCompliant. None on a page without Next >>.
  PageId remembersIn;
  // << Previous keeps the page's choice before going back; other pages end the wizard.
  bool hasPrevious;
  // A finish page after an operation: its control 3000 tells of the Windows 95 restart,
  // and says this when the operation could not do its work. Null on every other page.
  const char* failureNote;
  const char* templateName;
};

// What runs after the page is left and before the next one opens.
enum class Operation : std::uint8_t { None, Activation, ActivationMovingScreenSaver, Reset };

// When a step of Next >> is taken.
enum class Condition : std::uint8_t {
  Always,
  Yes,  // the Yes radio is selected
  No,   // any other
  // The monitor already sleeps.
  SleepAlreadyActive,
  // A screen saver is on and starts no earlier than the sleep time selected.
  ScreenSaverNotBeforeSleep,
};

// One way Next >> leads from a page: the page's first step whose condition holds is taken.
struct NextStep {
  PageId page;
  Condition when;
  PageId next;
  Operation run;
};

const PageInfo& InfoOf(PageId page);

// Every step, grouped by page; a page without steps has no Next >>.
std::span<const NextStep> NextSteps();

}  // namespace lull
