// The look at the computer's settings before the first page: what is set now, what the
// backup says was set before the latest activation, and which page opens first.
#pragma once

#include "wizard/program.h"

namespace lull {

// Fills the summary lines and the start-up facts, prepares the time-outs a reset will
// announce, and may make ResetActivate or SelectCompliant the first page.
void RunStartupView(Program& program);

}  // namespace lull
