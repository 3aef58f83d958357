// The fourteen pages: their template names and what kind of choice each one offers.
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
inline constexpr std::size_t kPageCount = 15;

enum class ChoiceKind : std::uint8_t { None, YesNo, Time };

struct PageInfo {
  PageId id;
  const char* templateName;
  ChoiceKind choice;
  // The choice the page shows the first time it opens.
  std::uint32_t initialChoice;
  // << Previous keeps the page's choice before going back; other pages end the wizard.
  bool hasPrevious;
  // The finish pages that carry the Windows 95 restart note in control 3000.
  bool hasRestartNote;
};

const PageInfo& InfoOf(PageId page);

}  // namespace lull
