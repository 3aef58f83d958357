#include "wizard/page_operation.h"

#include "operations/activation.h"
#include "operations/reset.h"
#include "session/time_choice.h"

namespace lull {

void RunOperation(Program& program, Operation operation) {
  switch (operation) {
    case Operation::None:
      return;
    case Operation::Activation:
    case Operation::ActivationMovingScreenSaver: {
      // Both pages of times keep the time chosen as SelectTime's choice.
      ChosenTimes chosen =
          ChosenTimesOf(TimeChoice(program.wizard.RememberedChoice(PageId::SelectTime)));
      chosen.moveScreenSaver = operation == Operation::ActivationMovingScreenSaver;
      program.outcome = ActivateSettings(program.store, chosen);
      return;
    }
    case Operation::Reset:
      program.outcome = ResetSettings(program.store, program.facts.PreviousTimeOuts());
      break;
  }
}

}  // namespace lull
