// The look at the computer's settings before the first page: what is set now, and what the
// backup says was set before the latest activation.
#pragma once

#include "session/session.h"

namespace lull {

// Fills the summary lines and the start-up facts about the settings, and leaves the rows
// holding the backup for a reset.
void RunStartupView(Session& session);

}  // namespace lull
