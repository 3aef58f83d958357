// Tells the running system about new time-outs and has it reload the power scheme.
#pragma once

#include "platform/os_class.h"
#include "platform/platform.h"
#include "settings/current_settings.h"

namespace lull {

// The three reload command lines (their first character becomes the system's drive
// letter) and the system-directory buffer, which starts as "C:\".
struct PowerSchemeReload {
  char win9xLine[58] = "C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
  char winntLine[65] = "C:\\Winnt\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
  char windowsLine[67] = "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
  char systemDirectory[256] = "C:\\";
};

// Announces each non-zero time-out (switching its feature on), then ReloadPowerScheme.
void ApplyToSystem(Platform& platform, OsClass os, const ValuesToApply& values,
                   PowerSchemeReload& reload);

// Starts Rundll32 on powrprof.dll's LoadCurrentPwrScheme on Windows 98, Me, 2000 and XP,
// without waiting for it.
void ReloadPowerScheme(Platform& platform, OsClass os, PowerSchemeReload& reload);

}  // namespace lull
