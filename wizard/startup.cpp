#include "wizard/startup.h"

#include "platform/os_class.h"
#include "wizard/command_line.h"
#include "wizard/page_handler.h"
#include "wizard/page_operation.h"
#include "wizard/startup_view.h"

namespace lull {

void ChooseFirstPage(Program& program) {
  Platform& platform = program.platform;
  program.store.os = ClassifyVersion(platform.GetVersion());
  if (program.store.os == OsClass::UnsupportedNt) {
    // Nothing is read or written on a Windows the wizard does not support.
    program.wizard.currentPage = PageId::NTFinish;
    return;
  }
  NormalizeCommandLine(platform.GetCommandLine(), program.commandLine);
  if (AsksForAbout(platform, program.commandLine)) {
    program.wizard.currentPage = PageId::AboutDisplay;
    return;
  }
  program.wizard.currentPage = PageId::ActivateYesNo;
  RunStartupView(program);
}

void RunPages(Program& program) {
  // One page at a time: the handler names the next page and the operation to run before
  // it, and ends the open one. A quit request (Cancel, Finish, Escape, the close box) ends
  // the page with none pending.
  PageHandler handler(program);
  WizardState& state = program.wizard;
  do {
    state.transitionPending = false;
    state.pendingOperation = Operation::None;
    program.platform.ShowPage(program.module, InfoOf(state.currentPage).templateName, handler);
    if (state.transitionPending) RunOperation(program, state.pendingOperation);
  } while (state.transitionPending);
}

void RunWizard(Program& program) {
  Platform& platform = program.platform;
  platform.InitCommonControls();
  program.module = platform.GetModuleHandle();
  ChooseFirstPage(program);
  RunPages(program);
}

}  // namespace lull
