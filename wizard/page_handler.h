// The one handler of all fourteen pages: it keeps each page's radio buttons, remembers
// choices while the user moves back and forth, runs Activation and Reset, and chooses
// the page that follows. It never opens a page itself: it records the next page in
// WizardState and ends the open one, and the start-up loop opens the next.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "wizard/program.h"

namespace lull {

class PageHandler final : public DialogHandler {
 public:
  explicit PageHandler(Program& program) : program_(program), state_(program.wizard) {}

  bool OnMessage(DialogWindow page, DialogMessage message, std::uint32_t controlId,
                 std::uint32_t notifyCode) override;

 private:
  bool OnOpen(DialogWindow page);
  bool OnCommand(DialogWindow page, std::uint32_t controlId);
  void OnNext(DialogWindow page);
  void OnPrevious(DialogWindow page);
  void OnLicense(DialogWindow page);
  void OnLicenseOk(DialogWindow page);

  void SelectYesNo(DialogWindow page, std::uint32_t id);
  void SelectTime(DialogWindow page, std::uint32_t id);
  void ShowFinishNotes(DialogWindow page);

  // Leaves the open page for next; forward also records the open page for << Previous.
  void GoTo(DialogWindow page, PageId next);
  void GoForward(DialogWindow page, PageId next);
  // Asks the wizard to end, and ends the open page.
  void Quit(DialogWindow page);

  Program& program_;
  WizardState& state_;
};

}  // namespace lull
