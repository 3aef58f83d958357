// Runs the operation a page step names, between the page the user left and the next one:
// the page handler itself does no registry or file work.
#pragma once

#include "wizard/program.h"

namespace lull {

// Records the outcome for the finish page's note.
void RunOperation(Program& program, Operation operation);

}  // namespace lull
