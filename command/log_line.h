// The log: one line per run (date and time, computer, user, the command, exit code and
// message, apart by tabs) appended to a file that many PCs may share.
#pragma once

#include <cstdint>

#include "command/arguments.h"
#include "platform/console.h"
#include "session/session.h"

namespace lull {

// How long a log held by another PC is waited for, in all, and between two tries.
inline constexpr std::uint32_t kLogWaitMilliseconds = 10000;
inline constexpr std::uint32_t kLogRetryMilliseconds = 100;

// Appends the run's line to the log arguments.logFile names; false when it could not be
// written.
bool Log(Session& session, Console& console, const CompanionArguments& arguments, int exitCode,
         const char* message);

}  // namespace lull
