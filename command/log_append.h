// Appending a run's line to the log: after the lines kept from runs that could not write
// theirs, in one write, so that lines of many PCs never mix and none is lost or doubled.
#pragma once

#include <cstdint>

#include "command/log_line.h"
#include "platform/console.h"

namespace lull {

// How long a log held by another PC is waited for, in all, and between two tries.
inline constexpr std::uint32_t kLogWaitMilliseconds = 10000;
inline constexpr std::uint32_t kLogRetryMilliseconds = 100;

// Why the run's line did not reach the log: the log's open failed so (a FileError, whose
// values it shares), or the write did.
enum class LogFault : std::uint8_t { None, Busy, NotFound, Denied, NotOpened, NotWritten };
static_assert(static_cast<int>(LogFault::NotOpened) == static_cast<int>(FileError::Other));

struct AppendResult {
  LogFault fault = LogFault::None;
  bool kept = false;  // the line is kept for a later run
};

// The lines kept before, then the run's own. A held log is tried again for
// kLogWaitMilliseconds on the clock; a line that does not reach the log is kept. Without
// keep, the kept lines are neither read nor added to (on a Windows that is not supported).
AppendResult AppendToLog(Platform& platform, Console& console, const char* path,
                         const LogLine& line, bool keep);

}  // namespace lull
