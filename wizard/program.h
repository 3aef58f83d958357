// The records the program keeps for its whole life, owned by one object made at entry.
#pragma once

#include "operations/outcome.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "wizard/command_line.h"
#include "wizard/startup_facts.h"
#include "wizard/summary_lines.h"
#include "wizard/wizard_state.h"

namespace lull {

struct Program {
  explicit Program(Platform& windows) : platform(windows), store(windows) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Platform& platform;
  // The operations' context: the OsClass, the rows, the key paths and scratch buffers.
  SettingsStore store;
  WizardState wizard;
  SummaryLines lines;
  StartupFacts facts;
  NormalizedCommandLine commandLine;
  // What the latest operation did; its finish page says so when it could not do its work.
  Outcome outcome = Outcome::Done;
};

}  // namespace lull
