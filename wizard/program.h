// The records the program keeps for its whole life, owned by one object made at entry.
#pragma once

#include "operations/activation.h"
#include "operations/apply_to_system.h"
#include "operations/reset.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "settings/system_ini.h"
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
  ModuleHandle module = 0;
  SettingsStore store;  // holds the OsClass too
  WizardState wizard;
  SummaryLines lines;
  StartupFacts facts;
  NormalizedCommandLine commandLine;
  SystemIniImage systemIni;
  PowerSchemeReload reload;
  // Set when an operation could not do its work and the finish page has to say so.
  bool activationNotSaved = false;
  bool resetNotRestored = false;
};

}  // namespace lull
