#include "command/companion.h"

#include "command/arguments.h"
#include "command/companion_texts.h"
#include "operations/activation.h"
#include "operations/reapply.h"
#include "operations/reset.h"
#include "platform/text.h"
#include "wizard/startup.h"
#include "wizard/startup_view.h"
#include "wizard/texts.h"
#include "wizard/time_choice.h"

namespace lull {
namespace {

static_assert(kLogWaitMilliseconds == 10000, "the usage says 10 seconds");

// The minutes of the table of times as the usage names them: "10, 15 or 20".
struct TimesText {
  char text[kTimeChoiceCount * 8] = {};
};
constexpr TimesText kTimesText = [] {
  TimesText times;
  std::uint32_t at = 0;
  for (std::size_t row = 0; row < kTimeChoiceCount; ++row) {
    const char* separator = row == 0 ? "" : row + 1 == kTimeChoiceCount ? " or " : ", ";
    while (*separator != '\0') times.text[at++] = *separator++;
    const SecondsText minutes = DecimalText(kTimeChoices[row].minutes);
    for (const char* digit = minutes.text; *digit != '\0';) times.text[at++] = *digit++;
  }
  return times;
}();

// What a run did: its exit code, its line, the wizard's note of an operation that could not
// do its work, and whether an operation ran (and may have changed something).
struct Result {
  int exitCode;
  const char* message;
  const char* failureNote;
  bool operationRan;
};

enum Said : std::uint8_t {
  kActivated,
  kActivatedAgain,
  kAlreadyActive,
  kNotActivated,
  kBackupUnreadable,
  kWasReset,
  kNotReset,
  kNothingToReset,
  kStatusShown,
  kStatusWithoutBackup,
  kUnsupported,
};

constexpr const char* kNoNote = nullptr;

// Indexed by Said.
// clang-format off
constexpr Result kResults[] = {
    {kExitDone,         kActivatedText,        kNoNote,          true},
    {kExitDone,         kActivatedAgainText,   kNoNote,          true},
    {kExitNothingToDo,  kAlreadyActiveText,    kNoNote,          false},
    {kExitFailed,       kNotActivatedText,     kNotSavedNote,    true},
    {kExitFailed,       kBackupUnreadableText, kNoNote,          false},
    {kExitDone,         kResetText,            kNoNote,          true},
    {kExitFailed,       kNotResetText,         kNotRestoredNote, true},
    {kExitNothingToDo,  kNothingToResetText,   kNoNote,          false},
    {kExitDone,         kStatusText,           kNoNote,          false},
    {kExitDone,         kNothingToResetText,   kNoNote,          false},
    {kExitUnsupported,  kUnsupportedText,      kNoNote,          false},
};
// clang-format on
static_assert(sizeof kResults / sizeof kResults[0] == kUnsupported + 1, "a result for each");

// Lines on standard output, each ending in CR LF, without trailing blanks.
class Report {
 public:
  explicit Report(Console& console) : console_(console) {}

  void Write(const char* text) { console_.WriteOutput(text, TextLength(text, 0xFFFF)); }

  void Line(const char* text, std::uint32_t length) {
    while (length != 0 && text[length - 1] == ' ') --length;
    console_.WriteOutput(text, length);
    Write("\r\n");
  }
  void Line(const char* text) { Line(text, TextLength(text, 0xFFFF)); }

  // Broken at blanks into lines of at most kConsoleColumns; a word longer than that is cut.
  void Wrapped(const char* text) {
    std::uint32_t length = TextLength(text, 0xFFFF);
    while (length > kConsoleColumns) {
      std::uint32_t cut = kConsoleColumns;
      while (cut != 0 && text[cut] != ' ') --cut;
      if (cut == 0) cut = kConsoleColumns;
      Line(text, cut);
      while (text[cut] == ' ') ++cut;
      text += cut;
      length -= cut;
    }
    Line(text, length);
  }

  void Usage() {
    Write(kUsageBeforeTimes);
    Write(kTimesText.text);
    Write(kUsageAfterTimes);
  }

 private:
  Console& console_;
};

void ShowStatus(const Program& program, Report& report) {
  const bool previous = program.facts.backupFromActivation;
  for (std::size_t line = 0; line < (previous ? kSummaryLineCount : kPreviousStateLine); ++line) {
    if (line == kCurrentStateLine) report.Line(kCurrentHeading);
    if (line == kPreviousStateLine) report.Line(kPreviousHeading);
    report.Write("  ");
    report.Line(program.lines[line]);
  }
}

Said Activate(Program& program, const CompanionArguments& arguments) {
  SettingsStore& store = program.store;
  const StartupFacts& found = program.facts;
  // The times of a page of times; AdjustScreenSave comes up only where the wizard shows
  // it, and /move answers Yes there.
  ChosenTimes chosen = ChosenTimesOf(*arguments.time);
  chosen.moveScreenSaver = arguments.move && found.ScreenSaverNotBefore(chosen.chosenSleepSeconds);
  if (found.backupFromActivation) {
    const Outcome outcome = ReapplySettings(store, chosen);
    return outcome == Outcome::Done        ? kActivatedAgain
           : outcome == Outcome::Unchanged ? kAlreadyActive
                                           : kNotActivated;
  }
  // A backup that could not be read may hold an activation, whose settings from before an
  // activation would save over.
  if (store.backup.loadFailed) return kBackupUnreadable;
  return ActivateSettings(store, chosen) == Outcome::Done ? kActivated : kNotActivated;
}

Said Reset(Program& program) {
  if (!program.facts.backupFromActivation) {
    return program.store.backup.loadFailed ? kBackupUnreadable : kNothingToReset;
  }
  return ResetSettings(program.store, program.facts.PreviousTimeOuts()) == Outcome::Done
             ? kWasReset
             : kNotReset;
}

Said Run(Program& program, const CompanionArguments& arguments, Report& report) {
  if (!StartOnThisWindows(program)) return kUnsupported;
  RunStartupView(program);
  switch (arguments.request) {
    case Request::Activate:
      return Activate(program, arguments);
    case Request::Reset:
      return Reset(program);
    case Request::Status:
    case Request::BadInput:
    case Request::Usage:
      break;
  }
  ShowStatus(program, report);
  return program.facts.backupFromActivation ? kStatusShown : kStatusWithoutBackup;
}

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
bool AppendToLog(Program& program, Console& console, const char* path, const LogLine& line,
                 std::uint32_t length) {
  bool busy = false;
  FileHandle file = 0;
  for (std::uint32_t waited = 0;; waited += kLogRetryMilliseconds) {
    file = console.OpenFileForAppending(path, busy);
    if (file != 0 || !busy || waited >= kLogWaitMilliseconds) break;
    console.Sleep(kLogRetryMilliseconds);
  }
  if (file == 0) return false;
  std::uint32_t written = 0;
  const bool whole =
      program.platform.WriteFile(file, line.text(), length, written) && written == length;
  return program.platform.CloseFile(file) && whole;
}

// The run's record: every run with a command logs, on a Windows that is not supported too;
// bad input and "/?" do not, as they run nothing.
void Log(Program& program, Console& console, const CompanionArguments& arguments,
         const Result& result, Report& report) {
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
  line.Name(program.platform.GetComputerName(name, sizeof name), name);
  line.Name(console.GetUserName(name, sizeof name), name);
  line.Text(arguments.given);
  line.Field();
  line.Number(static_cast<std::uint32_t>(result.exitCode), 1);
  line.Field();
  line.Text(result.message);
  const std::uint32_t length = line.End();
  if (!AppendToLog(program, console, arguments.logFile, line, length)) {
    report.Line(kLogNotWrittenText);
  }
}

}  // namespace

int RunCompanion(Program& program, Console& console) {
  Report report(console);
  CompanionArguments arguments;
  ParseArguments(program.platform.GetCommandLine(), arguments);
  if (arguments.request == Request::BadInput || arguments.request == Request::Usage) {
    report.Usage();
    return arguments.request == Request::Usage ? kExitDone : kExitBadInput;
  }
  const Result& result = kResults[Run(program, arguments, report)];
  report.Wrapped(result.message);
  if (result.operationRan && program.store.os == OsClass::Win95) report.Wrapped(kWin95Note);
  if (result.failureNote != nullptr) report.Wrapped(result.failureNote);
  if (program.facts.backupFromActivation && program.store.backup.fromAnotherComputer) {
    report.Wrapped(kOtherComputerNote);
  }
  if (arguments.logFile != nullptr) Log(program, console, arguments, result, report);
  return result.exitCode;
}

}  // namespace lull
