// What a run of either program has, owned by one object made at entry: the settings store,
// what start-up found and the summary lines that show it.
#pragma once

#include "platform/platform.h"
#include "session/startup_facts.h"
#include "session/summary_lines.h"
#include "settings/settings_store.h"

namespace lull {

struct Session {
  explicit Session(Platform& windows) : platform(windows), store(windows) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Platform& platform;
  // The operations' context: the OsClass, the rows, the key paths and scratch buffers.
  SettingsStore store;
  SummaryLines lines;
  StartupFacts facts;
};

}  // namespace lull
