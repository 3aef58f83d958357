// The one handler of all fourteen pages: it keeps each page's radio buttons, remembers
// choices while the user moves back and forth, and follows the page tables to the page
// that follows and the operation to run before it. It never opens a page or runs an
// operation itself: it records both in WizardState and ends the open page, and the page
// loop does the rest.
#pragma once

#include <cstdint>

#include "platform/dialogs.h"
#include "wizard/program.h"

namespace lull {

class PageHandler final : public DialogHandler {
 public:
  PageHandler(Program& program, Pages& pages)
      : program_(program), pages_(pages), state_(program.wizard) {}

  bool OnMessage(DialogWindow page, DialogMessage message, std::uint32_t controlId,
                 std::uint32_t notifyCode) override;

 private:
  bool OnOpen(DialogWindow page);
  bool OnCommand(DialogWindow page, std::uint32_t controlId);
  void OnNext(DialogWindow page);
  bool Holds(Condition condition) const;
  // The radio selected on the open page: a time on a page of times, else Yes or No.
  std::uint32_t SelectedChoice() const;
  void OnPrevious(DialogWindow page);
  void OnLicense(DialogWindow page);
  void OnLicenseOk(DialogWindow page);

  // Checks one radio of the page's kind and clears the others, since each radio of every
  // page is a group of its own.
  void CheckYesNo(DialogWindow page, std::uint32_t id);
  void CheckTime(DialogWindow page, std::uint32_t id);
  void ShowFinishNotes(DialogWindow page, const char* failureNote);

  // Leaves the open page for next; forward also records the open page for << Previous.
  void GoTo(DialogWindow page, PageId next);
  void GoForward(DialogWindow page, PageId next);
  // Asks the wizard to end, and ends the open page.
  void Quit(DialogWindow page);

  Program& program_;
  Pages& pages_;
  WizardState& state_;
};

}  // namespace lull
