#include "wizard/page_operation.h"

namespace lull {

void RunOperation(Program& program, Operation operation) {
  switch (operation) {
    case Operation::None:
      return;
    case Operation::Activation:
    case Operation::ActivationMovingScreenSaver: {
      ChosenTimes chosen = program.wizard.chosen;
      chosen.moveScreenSaver = operation == Operation::ActivationMovingScreenSaver;
      program.activationNotSaved =
          ActivateSettings(program.store, chosen, program.reload) != ActivationResult::Activated;
      return;
    }
    case Operation::Reset:
      program.resetNotRestored =
          ResetSettings(program.store, program.facts.PreviousTimeOuts(), program.systemIni,
                        program.reload) != ResetResult::Reset;
      return;
  }
}

}  // namespace lull
