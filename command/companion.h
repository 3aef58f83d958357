// lullcmd.exe, the wizard's console companion for logon scripts: the wizard's start-up
// view and its two operations without pages, with exit codes a script can test and one
// line per run in a log that many PCs may share.
#pragma once

#include <cstdint>

#include "command/report.h"
#include "command/results.h"
#include "platform/console.h"
#include "session/session.h"

namespace lull {

// Runs lullcmd on the program's command line and returns the process's exit code.
int RunCompanion(Session& session, Console& console);

}  // namespace lull
