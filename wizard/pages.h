// The fourteen pages: their template names, what kind of choice each offers, and where
// Next >> leads from each.
#pragma once

#include <cstddef>
#include <cstdint>

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

// The fields are ordered so that a row takes 12 bytes.
struct PageInfo {
  PageId id;
  ChoiceKind choice;
  // The choice the page shows the first time it opens.
  std::uint16_t initialChoice;
  // << Previous keeps the page's choice before going back; other pages end the wizard.
  bool hasPrevious;
  // The finish pages whose control 3000 tells of the Windows 95 restart or of an
  // operation that could not do its work.
  bool hasNote;
  const char* templateName;
};

// What runs after the page is left and before the next one opens.
enum class Operation : std::uint8_t { None, Activation, ActivationMovingScreenSaver, Reset };

// What start-up found or the user chose that can turn Next >> elsewhere.
enum class Fact : std::uint8_t {
  Never,
  // The monitor already sleeps.
  SleepAlreadyActive,
  // A screen saver is on and starts no earlier than the chosen sleep time.
  ScreenSaverNotBeforeSleep,
};

struct Branch {
  PageId page;
  Operation run;
};

// Where Next >> leads from a page. The open page always has one of its radios selected.
struct NextStep {
  PageId page;
  // The page whose remembered choice takes the open page's; None: Next >> ends the wizard.
  PageId remembersIn;
  // Yes, or any time on a page of times.
  Branch onYes;
  Branch onNo;
  // When it holds, Yes or a time leads to `instead` and nothing runs.
  Fact unless;
  PageId instead;
};

const PageInfo& InfoOf(PageId page);
const NextStep& NextStepOf(PageId page);

}  // namespace lull
