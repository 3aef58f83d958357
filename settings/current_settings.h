// Reads the display and power settings in force into the rows of the backup table.
#pragma once

#include <cstdint>

#include "settings/settings_store.h"

namespace lull {

// Time-outs to tell the running system about, in seconds; 0 means nothing is announced.
struct ValuesToApply {
  std::uint32_t screenSaverSecondsToApply = 0;
  std::uint32_t sleepSecondsToApply = 0;
};

struct CurrentSettings {
  // False when a key or value that may be there could not be read (a call failed, rather
  // than finding it missing, not writable or too large): the rows then miss a setting in
  // force.
  bool complete = true;
  // The Desktop's screen-saver and monitor power-off time-outs, where they were read.
  ValuesToApply timeOuts;
};

// Fills the rows it finds and marks them present; rows it does not find keep what they held.
CurrentSettings ReadCurrentSettings(SettingsStore& store);

}  // namespace lull
