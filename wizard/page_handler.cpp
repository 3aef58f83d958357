#include "wizard/page_handler.h"

#include "platform/text.h"
#include "resources/resource_ids.h"
#include "session/texts.h"
#include "session/time_choice.h"

namespace lull {
namespace {

constexpr int kEndResult = 2;
constexpr int kExitCode = 0;

constexpr std::uint32_t kYes = IDC_YES;
constexpr std::uint32_t kNo = IDC_NO;
static_assert(IDC_CANCEL == kCancelCommand, "Escape and the close box must work as Cancel");

// The restart note and an operation's failure note share one text control.
constexpr std::uint32_t kNoteCapacity = sizeof kWin95Note + kFailureNoteCapacity;

}  // namespace

bool PageHandler::OnMessage(DialogWindow page, DialogMessage message, std::uint32_t controlId,
                            std::uint32_t notifyCode) {
  switch (message) {
    case DialogMessage::Init:
      return OnOpen(page);
    case DialogMessage::Command:
      // Only clicks count; other notifications go to the dialog manager.
      return notifyCode == 0 && OnCommand(page, controlId);
    case DialogMessage::Destroy:
      // A page left for another one must not end the wizard.
      if (!state_.transitionPending) pages_.PostQuitMessage(kExitCode);
      return true;
    case DialogMessage::Other:
      break;
  }
  return false;
}

bool PageHandler::OnOpen(DialogWindow page) {
  const PageId current = state_.currentPage;
  const PageInfo& info = InfoOf(current);
  if (current == PageId::ShowCurrent) {
    for (std::uint32_t line = 0; line < kSummaryLineCount; ++line) {
      pages_.SetControlText(page, static_cast<int>(IDC_CURRENT_STATE + line), program_.lines[line]);
    }
  }
  switch (info.choice) {
    case ChoiceKind::YesNo:
      CheckYesNo(page, state_.RememberedChoice(current));
      break;
    case ChoiceKind::Time:
      CheckTime(page, state_.RememberedChoice(current));
      break;
    case ChoiceKind::None:
      break;
  }
  if (info.failureNote != nullptr) ShowFinishNotes(page, info.failureNote);
  // The About page leaves the focus to the dialog manager.
  return current != PageId::AboutDisplay;
}

bool PageHandler::OnCommand(DialogWindow page, std::uint32_t controlId) {
  switch (controlId) {
    case IDC_CANCEL:
    case IDC_FINISH:
      Quit(page);
      break;
    case IDC_YES:
    case IDC_NO:
      CheckYesNo(page, controlId);
      break;
    case IDC_LICENSE:
      OnLicense(page);
      break;
    case IDC_LICENSE_OK:
      OnLicenseOk(page);
      break;
    case IDC_NEXT:
      OnNext(page);
      break;
    case IDC_PREVIOUS:
      OnPrevious(page);
      break;
    default:
      if (!IsTimeRadio(controlId)) return false;
      CheckTime(page, controlId);
  }
  return true;
}

void PageHandler::OnNext(DialogWindow page) {
  const PageId current = state_.currentPage;
  for (const NextStep& step : NextSteps()) {
    if (step.page != current || !Holds(step.when)) continue;
    state_.RememberedChoice(InfoOf(current).remembersIn) = SelectedChoice();
    state_.pendingOperation = step.run;
    GoForward(page, step.next);
    return;
  }
  // A page without Next >>.
  Quit(page);
}

bool PageHandler::Holds(Condition condition) const {
  const StartupFacts& found = program_.facts;
  switch (condition) {
    case Condition::Always:
      break;
    case Condition::Yes:
      return state_.yesNoChoice == kYes;
    case Condition::No:
      return state_.yesNoChoice != kYes;
    case Condition::SleepAlreadyActive:
      return found.sleepAlreadyActive;
    case Condition::ScreenSaverNotBeforeSleep:
      return found.ScreenSaverNotBefore(TimeChoice(state_.timeChoice).sleepSeconds);
  }
  return true;
}

std::uint32_t PageHandler::SelectedChoice() const {
  return InfoOf(state_.currentPage).choice == ChoiceKind::Time ? state_.timeChoice
                                                               : state_.yesNoChoice;
}

void PageHandler::OnPrevious(DialogWindow page) {
  const PageId current = state_.currentPage;
  const PageInfo& info = InfoOf(current);
  if (!info.hasPrevious) {
    Quit(page);
    return;
  }
  state_.RememberedChoice(current) = SelectedChoice();
  const PageId back = state_.history.Pop();
  if (back == PageId::None) {
    Quit(page);
    return;
  }
  GoTo(page, back);
}

void PageHandler::OnLicense(DialogWindow page) {
  state_.pageBeforeLicence = state_.currentPage;
  state_.savedTime = state_.timeChoice;
  state_.savedYesNo = state_.yesNoChoice;
  GoTo(page, PageId::LicenseDisplay);
}

void PageHandler::OnLicenseOk(DialogWindow page) {
  const PageId back = state_.pageBeforeLicence;
  switch (InfoOf(back).choice) {
    case ChoiceKind::YesNo:
      state_.RememberedChoice(back) = state_.savedYesNo;
      break;
    case ChoiceKind::Time:
      state_.RememberedChoice(back) = state_.savedTime;
      break;
    case ChoiceKind::None:
      break;
  }
  if (back == PageId::None) {
    Quit(page);
    return;
  }
  GoTo(page, back);
}

// Each radio of the page shows whether it is the choice now made.
void PageHandler::CheckYesNo(DialogWindow page, std::uint32_t id) {
  state_.yesNoChoice = id;
  for (const std::uint32_t radio : {kYes, kNo}) {
    pages_.SetCheck(page, static_cast<int>(radio), radio == state_.yesNoChoice);
  }
}

void PageHandler::CheckTime(DialogWindow page, std::uint32_t id) {
  state_.timeChoice = id;
  for (const TimeChoiceRow& row : kTimeChoices) {
    pages_.SetCheck(page, static_cast<int>(row.radioId), row.radioId == state_.timeChoice);
  }
}

void PageHandler::ShowFinishNotes(DialogWindow page, const char* failureNote) {
  char note[kNoteCapacity];
  CopyText(note, kNoteCapacity, program_.store.os == OsClass::Win95 ? kWin95Note : "");
  if (program_.outcome == Outcome::Failed) {
    std::uint32_t at = TextLength(note, kNoteCapacity);
    if (at != 0) note[at++] = ' ';
    CopyText(note + at, kNoteCapacity - at, failureNote);
  }
  if (note[0] != '\0') pages_.SetControlText(page, IDC_FINISH_NOTE, note);
}

void PageHandler::GoTo(DialogWindow page, PageId next) {
  state_.currentPage = next;
  state_.transitionPending = true;
  pages_.EndDialog(page, kEndResult);
}

void PageHandler::GoForward(DialogWindow page, PageId next) {
  state_.history.Push(state_.currentPage);
  GoTo(page, next);
}

// The quit request ends the page's modal loop on Windows NT and in Wine; nothing says the
// dialog loop of Windows 95, 98 and Me does the same, so the page is ended as well, and the
// page loop opens no other page.
void PageHandler::Quit(DialogWindow page) {
  pages_.PostQuitMessage(kExitCode);
  pages_.EndDialog(page, kEndResult);
}

}  // namespace lull
