#include "command/log_append.h"

#include <cstring>

#include "command/kept_lines.h"

namespace lull {
namespace {

// Room for a CR LF that ends a cut line, every kept line and the run's own.
constexpr std::uint32_t kAppendCapacity = 2 + (kKeptLineCount + 1) * kLogLineCapacity;

FileHandle OpenLog(Console& console, const char* path, FileError& error, std::uint32_t& size) {
  const std::uint32_t start = console.GetTickCount();
  for (;;) {
    const FileHandle file = console.OpenFileForAppending(path, error, size);
    if (file != 0 || error != FileError::Busy ||
        console.GetTickCount() - start >= kLogWaitMilliseconds) {
      return file;
    }
    console.Sleep(kLogRetryMilliseconds);
  }
}

// Whether the bytes stand in the file at offset.
enum class InLog { Unread, No, Yes };

InLog InFile(Console& console, FileHandle file, std::uint32_t offset, const char* bytes,
             std::uint32_t length) {
  char read[kLogLineCapacity];
  std::uint32_t count;  // set by the read, whatever its result
  if (!console.ReadFileAt(file, offset, read, length, count)) return InLog::Unread;
  return count == length && std::memcmp(read, bytes, length) == 0 ? InLog::Yes : InLog::No;
}

}  // namespace

AppendResult AppendToLog(Platform& platform, Console& console, const char* path,
                         const LogLine& line, bool keep) {
  KeptLines kept(platform);
  const bool keptKnown = keep && kept.Load();
  const KeptState state = kept.state();
  AppendResult result;
  FileError error = FileError::Other;
  std::uint32_t size = 0;
  const FileHandle file = OpenLog(console, path, error, size);
  if (file != 0) {
    std::uint32_t inLog = state.written;  // the last kept line known to be in the log
    char buffer[kAppendCapacity];
    std::uint32_t at = 0;
    // A line cut short (a PC switched off while it wrote) is ended first, or the next would
    // join it. A last byte that cannot be read counts as cut: an empty line does no harm.
    char last;
    std::uint32_t read;
    if (size != 0 && (!console.ReadFileAt(file, size - 1, &last, sizeof last, read) ||
                      read != sizeof last || last != '\n')) {
      buffer[at++] = '\r';
      buffer[at++] = '\n';
    }
    const std::uint32_t start = at;
    std::uint32_t number = keptKnown ? state.First() : state.next;
    std::uint32_t dropped = number - state.written - 1;
    // An append that may not have finished: the lines it holds are not written again (a log
    // emptied since holds none: a read past its end finds nothing).
    std::uint32_t offset = state.pendingOffset;
    bool checking = state.pendingLast > state.written;
    for (; number < state.next; ++number) {
      const std::int32_t length = kept.Read(number, buffer + at);
      if (length < 0) break;  // unread: it and those after it wait for a later run
      if (length == 0) {
        ++dropped;
        continue;
      }
      const auto bytes = static_cast<std::uint32_t>(length);
      const InLog found = checking && number <= state.pendingLast
                              ? InFile(console, file, offset, buffer + at, bytes)
                              : InLog::No;
      // A log that cannot be read may hold them: they wait, unwritten, for a later run.
      if (found == InLog::Unread) break;
      if (found == InLog::Yes) {
        offset += bytes;
        inLog = number;
        continue;
      }
      checking = false;
      at += bytes;
    }
    const std::uint32_t appended = number - 1;
    // Those found in the log count as written before the mark of a new append replaces the
    // old one.
    if (inLog != state.written) kept.Written(inLog, offset);
    // Kept lines go out only with a mark of where, so that a run cut off after the write
    // finds them there.
    if (at != start && !kept.MarkPending(size + start, appended)) at = start;
    const bool withKept = at != start;
    at += line.Finish(dropped, buffer + at);
    std::uint32_t written = 0;
    const bool whole = platform.WriteFile(file, buffer, at, written) && written == at;
    // The kept lines count as written once they are on the disk; until then the mark
    // finds them.
    const bool flushed = withKept && whole && platform.FlushFile(file);
    platform.CloseFile(file);
    if (flushed) kept.Written(appended, 0);
    if (!whole) result.fault = LogFault::NotWritten;
  } else {
    result.fault = static_cast<LogFault>(error);
  }
  if (result.fault != LogFault::None && keptKnown) {
    char own[kLogLineCapacity];
    result.kept = kept.Keep(own, line.Finish(0, own));
  }
  return result;
}

}  // namespace lull
