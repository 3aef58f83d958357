// Where the wizard is: the open page, the pages left by Next >>, and the choice each page
// remembers while the user moves back and forth; SelectTime's is the sleep time chosen on
// either page of times.
#pragma once

#include <cstdint>

#include "resources/resource_ids.h"
#include "wizard/page_table.h"

namespace lull {

class PageHistory {
 public:
  static constexpr std::uint32_t kSlots = 9;
  // A full history drops nothing it holds; the page simply is not recorded.
  void Push(PageId page) {
    if (top_ < kSlots) slots_[top_++] = page;
  }
  // None when the history is empty.
  PageId Pop() { return top_ == 0 ? PageId::None : slots_[--top_]; }
  std::uint32_t size() const { return top_; }

 private:
  PageId slots_[kSlots] = {};
  std::uint32_t top_ = 0;
};

// The choice a page shows the first time it opens: Yes, or ten minutes.
inline std::uint32_t FirstChoice(PageId page) {
  const ChoiceKind choice = InfoOf(page).choice;
  return choice == ChoiceKind::Time ? IDC_TIME_10 : choice == ChoiceKind::YesNo ? IDC_YES : 0;
}

struct WizardState {
  WizardState() {
    for (std::size_t page = 0; page < kPageCount; ++page) {
      rememberedChoice[page] = FirstChoice(static_cast<PageId>(page));
    }
  }

  std::uint32_t& RememberedChoice(PageId page) {
    return rememberedChoice[static_cast<std::size_t>(page)];
  }

  PageId currentPage = PageId::AboutDisplay;
  PageId pageBeforeLicence = PageId::None;
  PageHistory history;
  std::uint32_t rememberedChoice[kPageCount] = {};
  // The radios selected on the open page.
  std::uint32_t yesNoChoice = 0;
  std::uint32_t timeChoice = 0;
  // Both choices as they were when the licence page opened.
  std::uint32_t savedYesNo = 0;
  std::uint32_t savedTime = 0;
  // Set while the open page is being left for currentPage.
  bool transitionPending = false;
  // What runs once the open page has been left and before currentPage opens.
  Operation pendingOperation = Operation::None;
};

}  // namespace lull
