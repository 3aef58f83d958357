// The log: one line per run, its fields apart by tabs and ending in CR LF, appended to a
// file that many PCs may share, or to one file per computer in a folder.
#pragma once

#include <cstdint>

#include "command/arguments.h"
#include "platform/console.h"
#include "session/session.h"

namespace lull {

// A line as its fields are added; a control character of any field becomes a blank, so that
// the line stays one line, and a line too long is cut.
class LogLine {
 public:
  void Put(char c) { Add(static_cast<unsigned char>(c) < ' ' ? ' ' : c); }
  void Text(const char* text) {
    while (*text != '\0') Put(*text++);
  }
  // value in decimal, with at least digits digits (leading zeros).
  void Number(std::uint32_t value, std::uint32_t digits = 1);
  // Ends a field, without its trailing blanks.
  void Field();
  // The whole line into out (its capacity kLogLineCapacity): the fields so far, then the
  // count of older kept lines dropped to make room (nothing for none), then CR LF. Returns
  // its length.
  std::uint32_t Finish(std::uint32_t dropped, char* out) const;

 private:
  // Room for every field at its longest but the names: a command line of 511 characters
  // and names of the length Windows gives them (a computer's at most 15), and the count.
  static constexpr std::uint32_t kCapacity = 1024 - 32;
  void Add(char c) {
    if (length_ < kCapacity) text_[length_++] = c;
  }

  char text_[kCapacity];
  std::uint32_t length_ = 0;
};

// What the run did, as its line in the log tells it.
struct LogEntry {
  int exitCode;
  const char* message;
  bool restartNeeded;  // Windows 95 takes the settings changed at its next start
  bool status;         // the line tells the settings in force
};

// What the console says of a log that did not take the run's line.
struct LogFailureText {
  char text[768];
};

// Appends the run's line to the log that arguments.logFile names; false, with the text
// that says which file, why and whether the line is kept, when it could not.
bool Log(Session& session, Console& console, const CompanionArguments& arguments,
         const LogEntry& entry, LogFailureText& failure);

}  // namespace lull
