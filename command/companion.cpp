#include "command/companion.h"

#include "command/arguments.h"
#include "command/commands.h"
#include "command/companion_texts.h"
#include "command/log_append.h"
#include "command/log_line.h"
#include "command/report.h"
#include "command/usage.h"
#include "session/start_on_windows.h"
#include "session/startup_view.h"
#include "session/texts.h"

namespace lull {
namespace {

static_assert(kLogWaitMilliseconds == 10000, "the usage says 10 seconds");

const Result& Run(Session& session, const CompanionArguments& arguments, Report& report) {
  if (!StartOnThisWindows(session)) return kUnsupported;
  RunStartupView(session);
  return arguments.command->run(session, arguments, report);
}

}  // namespace

int RunCompanion(Session& session, Console& console) {
  // Before any file is touched: a logon script has no one to answer Windows' box for a
  // drive that is not ready.
  console.FailCriticalErrorsQuietly();
  Report report(console);
  CompanionArguments arguments;
  ParseArguments(session.platform.GetCommandLine(), arguments);
  if (arguments.request != Request::Command) {
    report.Write(kUsageText.text);
    return arguments.request == Request::Usage ? kExitDone : kExitBadInput;
  }
  const Result& result = Run(session, arguments, report);
  report.Wrapped(result.message);
  const bool restart = result.operationRan && session.store.os == OsClass::Win95;
  if (restart) report.Wrapped(kWin95Note);
  if (result.failureNote != nullptr) report.Wrapped(result.failureNote);
  if (session.facts.backupFromActivation && session.store.backup.fromAnotherComputer) {
    report.Wrapped(kOtherComputerNote);
  }
  LogFailureText failure;
  if (arguments.logFile != nullptr &&
      !Log(session, console, arguments,
           {result.exitCode, result.message, restart, arguments.command->run == RunStatus},
           failure)) {
    report.Wrapped(failure.text);
  }
  return result.exitCode;
}

}  // namespace lull
