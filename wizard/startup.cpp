#include "wizard/startup.h"

#include "session/start_on_windows.h"
#include "session/startup_view.h"
#include "wizard/command_line.h"
#include "wizard/page_handler.h"
#include "wizard/page_operation.h"

namespace lull {

PageId FirstPage(const StartupFacts& found) {
  if (found.unsupportedWindows) return PageId::NTFinish;
  if (found.asksForAbout) return PageId::AboutDisplay;
  if (found.backupFromActivation) return PageId::ResetActivate;
  if (found.sleepAlreadyActive) return PageId::SelectCompliant;
  return PageId::ActivateYesNo;
}

void StartUp(Program& program) {
  StartupFacts& found = program.facts;
  found.unsupportedWindows = !StartOnThisWindows(program);
  // Nothing else is read or written on a Windows the wizard does not support, nor for "/?".
  if (!found.unsupportedWindows) {
    Platform& platform = program.platform;
    NormalizeCommandLine(platform.GetCommandLine(), program.commandLine);
    found.asksForAbout = AsksForAbout(platform, program.commandLine);
    if (!found.asksForAbout) RunStartupView(program);
  }
  program.wizard.currentPage = FirstPage(found);
}

void RunPages(Program& program, Pages& pages, ModuleHandle module) {
  // One page at a time: the handler names the next page and the operation to run before
  // it, and ends the open one. A quit request (Cancel, Finish, Escape, the close box) ends
  // the page with none pending.
  PageHandler handler(program, pages);
  WizardState& state = program.wizard;
  do {
    state.transitionPending = false;
    state.pendingOperation = Operation::None;
    pages.ShowPage(module, InfoOf(state.currentPage).templateName, handler);
    if (state.transitionPending) RunOperation(program, state.pendingOperation);
  } while (state.transitionPending);
}

void RunWizard(Program& program, Pages& pages) {
  pages.InitCommonControls();
  const ModuleHandle module = pages.GetModuleHandle();
  StartUp(program);
  RunPages(program, pages, module);
}

}  // namespace lull
