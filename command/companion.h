// lullcmd.exe, the wizard's console companion for logon scripts: the wizard's start-up
// view and its two operations without pages, with exit codes a script can test and one
// line per run in a log that many PCs may share.
#pragma once

#include <cstdint>

#include "platform/console.h"
#include "session/session.h"

namespace lull {

inline constexpr int kExitDone = 0;
// A rerun that finds every time in force already; a reset without a backup from an
// activation.
inline constexpr int kExitNothingToDo = 1;
inline constexpr int kExitBadInput = 2;
// The backup could not be saved or read (nothing was changed), or a reset could not put
// everything back (the backup is kept for another try).
inline constexpr int kExitFailed = 3;
// A Windows the wizard does not support either: no setting is read or written.
inline constexpr int kExitUnsupported = 4;

// The widest line printed, for an 80-column console.
inline constexpr std::uint32_t kConsoleColumns = 79;

// Runs lullcmd on the program's command line and returns the process's exit code.
int RunCompanion(Session& session, Console& console);

}  // namespace lull
