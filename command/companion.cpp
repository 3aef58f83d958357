#include "command/companion.h"

#include "command/arguments.h"
#include "command/companion_texts.h"
#include "command/log_append.h"
#include "command/log_line.h"
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

}  // namespace

int RunCompanion(Program& program, Console& console) {
  // Before any file is touched: a logon script has no one to answer Windows' box for a
  // drive that is not ready.
  console.FailCriticalErrorsQuietly();
  Report report(console);
  CompanionArguments arguments;
  ParseArguments(program.platform.GetCommandLine(), arguments);
  if (arguments.request == Request::BadInput || arguments.request == Request::Usage) {
    report.Usage();
    return arguments.request == Request::Usage ? kExitDone : kExitBadInput;
  }
  const Result& result = kResults[Run(program, arguments, report)];
  report.Wrapped(result.message);
  const bool restart = result.operationRan && program.store.os == OsClass::Win95;
  if (restart) report.Wrapped(kWin95Note);
  if (result.failureNote != nullptr) report.Wrapped(result.failureNote);
  LogFailureText failure;
  if (arguments.logFile != nullptr &&
      !Log(program, console, arguments, {result.exitCode, result.message, restart}, failure)) {
    report.Wrapped(failure.text);
  }
  return result.exitCode;
}

}  // namespace lull
