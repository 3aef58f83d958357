#include "command/log_line.h"

#include "command/companion_texts.h"
#include "command/kept_lines.h"
#include "command/log_append.h"
#include "platform/text.h"

namespace lull {
namespace {

static_assert(sizeof kLogFaultTexts / sizeof kLogFaultTexts[0] ==
                  static_cast<int>(LogFault::NotWritten) + 1,
              "a text for each fault");
static_assert(sizeof kWindowsNames / sizeof kWindowsNames[0] ==
                  static_cast<int>(OsClass::UnsupportedNt) + 1,
              "a name for each class");

// The changing part of a summary line, as status prints it ("15 mins.", "(never)").
const char* ValueOf(const char* summaryLine) { return summaryLine + LabelEnd(summaryLine); }

// The log's file: FILE, or FOLDER\COMPUTERNAME.LOG for a FOLDER\ that ends in a backslash,
// so that each PC has a file of its own and none waits for another.
void LogPath(const char* given, const char* computer, char* path, std::uint32_t capacity) {
  CopyText(path, capacity, given);
  const std::uint32_t length = TextLength(path, capacity);
  if (length == 0 || path[length - 1] != '\\') return;
  CopyText(path + length, capacity - length, computer);
  const std::uint32_t named = TextLength(path, capacity);
  CopyText(path + named, capacity - named, kComputerLogExtension);
}

// Appends text at at, within capacity (terminator included).
void Append(char* out, std::uint32_t capacity, std::uint32_t& at, const char* text) {
  CopyText(out + at, capacity - at, text);
  at = TextLength(out, capacity);
}

}  // namespace

void LogLine::Number(std::uint32_t value, std::uint32_t digits) {
  // The power of ten of the first digit: no higher than a 32-bit number's own.
  std::uint32_t power = 1;
  for (std::uint32_t count = 1; count < digits || value / power >= 10; ++count) power *= 10;
  for (; power != 0; power /= 10) Put(static_cast<char>('0' + value / power % 10));
}

void LogLine::Field() {
  while (length_ != 0 && text_[length_ - 1] == ' ') --length_;
  Add('\t');
}

std::uint32_t LogLine::Finish(std::uint32_t dropped, char* out) const {
  LogLine line = *this;
  if (dropped != 0) {
    line.Text(kLinesDroppedText);
    line.Number(dropped);
  }
  std::uint32_t length = 0;
  for (; length < line.length_; ++length) out[length] = line.text_[length];
  out[length++] = '\r';
  out[length++] = '\n';
  return length;
}

// The run's record: every run with a command logs, on a Windows that is not supported too;
// bad input and "/?" do not, as they run nothing.
bool Log(Session& session, Console& console, const CompanionArguments& arguments,
         const LogEntry& entry, LogFailureText& failure) {
  LogLine line;
  // YYYY-MM-DD HH:MM:SS
  const LocalTime now = console.GetLocalTime();
  const std::uint16_t fields[] = {now.year, now.month, now.day, now.hour, now.minute, now.second};
  for (std::uint32_t field = 0; field < 6; ++field) {
    if (field != 0) line.Put("-- ::"[field - 1]);
    line.Number(fields[field], field == 0 ? 4 : 2);
  }
  line.Field();
  // Windows 95 knows a user's name up to 256 characters, and a computer's up to 15.
  char computer[257];
  if (!session.platform.GetComputerName(computer, sizeof computer))
    CopyText(computer, sizeof computer, kUnnamedComputer);
  line.Text(computer);
  line.Field();
  char user[257];
  const OsClass os = session.store.os;
  line.Text(console.GetUserName(user, sizeof user) ? user
            : IsWin9xFamily(os)                    ? kUserNotKnownYetText
                                                   : kNameNotKnownText);
  line.Field();
  line.Text(arguments.given);
  line.Field();
  line.Number(static_cast<std::uint32_t>(entry.exitCode));
  line.Field();
  line.Text(entry.message);
  line.Field();
  // The inventory: the Windows version, and with status the settings in force and whether
  // a reset is possible.
  line.Text(kWindowsNames[static_cast<int>(os)]);
  line.Field();
  const bool status = entry.status && os != OsClass::UnsupportedNt;
  for (std::size_t shown = kCurrentStateLine; shown <= kCurrentScreenSaverLine; ++shown) {
    if (status) line.Text(ValueOf(session.lines[shown]));
    line.Field();
  }
  if (status) line.Text(session.facts.backupFromActivation ? kResetPossibleText : kNoResetText);
  line.Field();
  if (entry.restartNeeded) line.Text(kRestartNeededText);
  line.Field();

  char path[kCommandLineCapacity + 32];
  LogPath(arguments.logFile, computer, path, sizeof path);
  const AppendResult result =
      AppendToLog(session.platform, console, path, line, os != OsClass::UnsupportedNt);
  if (result.fault == LogFault::None) return true;
  const char* const pieces[] = {kLogNotWrittenBefore, path, kLogNotWrittenAfter,
                                kLogFaultTexts[static_cast<int>(result.fault)],
                                result.kept ? kLineKeptText : kLineNotKeptText};
  std::uint32_t at = 0;
  for (const char* piece : pieces) Append(failure.text, sizeof failure.text, at, piece);
  return false;
}

}  // namespace lull
