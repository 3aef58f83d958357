// Runs the operation a page step names, between the page the user left and the next one:
// the page handler itself does no registry or file work. The tests and the fuzz targets
// run the operations through this same entry.
#pragma once

#include "wizard/program.h"

namespace lull {

// Runs the operation on the program's settings store with its one input (the time chosen
// on the pages of times, or the time-outs start-up found for a reset) and records what it
// did in program.outcome, for the finish page's note.
void RunOperation(Program& program, Operation operation);

}  // namespace lull
