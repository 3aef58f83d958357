// Tells the running system about new time-outs and has it reload the power scheme.
#pragma once

#include <cstdint>

#include "settings/settings_store.h"

namespace lull {

// Time-outs to tell the running system about, in seconds; 0 means nothing is announced.
struct ValuesToApply {
  std::uint32_t screenSaverSecondsToApply = 0;
  std::uint32_t sleepSecondsToApply = 0;
};

// Announces each non-zero time-out (switching its feature on), then ReloadPowerScheme.
void ApplyToSystem(SettingsStore& store, const ValuesToApply& values);

// Starts Rundll32 on powrprof.dll's LoadCurrentPwrScheme on Windows 98, Me, 2000 and XP,
// without waiting for it.
void ReloadPowerScheme(SettingsStore& store);

}  // namespace lull
