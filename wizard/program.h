// The wizard's records for its whole life, owned by one object made at entry: what a run
// of either program has, and the pages' own state.
#pragma once

#include "operations/outcome.h"
#include "platform/platform.h"
#include "session/session.h"
#include "wizard/command_line.h"
#include "wizard/wizard_state.h"

namespace lull {

struct Program : Session {
  explicit Program(Platform& windows) : Session(windows) {}

  WizardState wizard;
  NormalizedCommandLine commandLine;
  // What the latest operation did; its finish page says so when it could not do its work.
  Outcome outcome = Outcome::Done;
};

}  // namespace lull
