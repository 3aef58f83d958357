#include "command/log_line.h"

#include "platform/text.h"

namespace lull {
namespace {

// The log line: date and time, computer, user, the command as given, exit code and message,
// apart by tabs (a user's name and the command hold blanks), ending in CR LF. A control
// character of any field becomes a blank, so that the line stays one line.
class LogLine {
 public:
  void Put(char c) { Add(static_cast<unsigned char>(c) < ' ' ? ' ' : c); }
  void Text(const char* text) {
    while (*text != '\0') Put(*text++);
  }
  // The last digits digits of value, with leading zeros.
  void Number(std::uint32_t value, std::uint32_t digits) {
    char decimal[4];
    for (std::uint32_t at = digits; at != 0; --at, value /= 10) {
      decimal[at - 1] = static_cast<char>('0' + value % 10);
    }
    for (std::uint32_t at = 0; at < digits; ++at) Put(decimal[at]);
  }
  void Field() {
    while (length_ != 0 && text_[length_ - 1] == ' ') --length_;
    Add('\t');
  }
  void Name(bool known, const char* name) {
    Text(known ? name : "?");
    Field();
  }
  std::uint32_t End() {
    text_[length_++] = '\r';
    text_[length_++] = '\n';
    return length_;
  }
  const char* text() const { return text_; }

 private:
  // A line too long is cut, and still ends in CR LF.
  void Add(char c) {
    if (length_ < kCapacity - 2) text_[length_++] = c;
  }

  // Room for every field at its longest but the names: a command line of 511 characters
  // and names of the length Windows gives them (a computer's at most 15).
  static constexpr std::uint32_t kCapacity = 1024;
  char text_[kCapacity];
  std::uint32_t length_ = 0;
};

// One WriteFile of the whole line, so that lines of many PCs never mix; while another PC
// holds the file, it is tried again for kLogWaitMilliseconds in all.
bool AppendToLog(Session& session, Console& console, const char* path, const LogLine& line,
                 std::uint32_t length) {
  bool busy = false;
  FileHandle file = 0;
  for (std::uint32_t waited = 0;; waited += kLogRetryMilliseconds) {
    file = session.platform.OpenFileForAppending(path, busy);
    if (file != 0 || !busy || waited >= kLogWaitMilliseconds) break;
    console.Sleep(kLogRetryMilliseconds);
  }
  if (file == 0) return false;
  std::uint32_t written = 0;
  const bool whole =
      session.platform.WriteFile(file, line.text(), length, written) && written == length;
  return session.platform.CloseFile(file) && whole;
}

}  // namespace

// The run's record: every run with a command logs, on a Windows that is not supported too;
// bad input and "/?" do not, as they run nothing.
bool Log(Session& session, Console& console, const CompanionArguments& arguments, int exitCode,
         const char* message) {
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
  char name[257];
  line.Name(session.platform.GetComputerName(name, sizeof name), name);
  line.Name(console.GetUserName(name, sizeof name), name);
  line.Text(arguments.given);
  line.Field();
  line.Number(static_cast<std::uint32_t>(exitCode), 1);
  line.Field();
  line.Text(message);
  const std::uint32_t length = line.End();
  return AppendToLog(session, console, arguments.logFile, line, length);
}

}  // namespace lull
