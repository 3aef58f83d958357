#include "command/commands.h"

#include "command/arguments.h"
#include "command/report.h"
#include "operations/activation.h"
#include "operations/reapply.h"
#include "operations/reset.h"
#include "session/session.h"
#include "session/time_choice.h"

namespace lull {

const Result& RunActivate(Session& session, const CompanionArguments& arguments, Report&) {
  SettingsStore& store = session.store;
  const StartupFacts& found = session.facts;
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

const Result& RunReset(Session& session, const CompanionArguments&, Report&) {
  if (!session.facts.backupFromActivation) {
    return session.store.backup.loadFailed ? kBackupUnreadable : kNothingToReset;
  }
  return ResetSettings(session.store, session.facts.PreviousTimeOuts()) == Outcome::Done
             ? kWasReset
             : kNotReset;
}

const Result& RunStatus(Session& session, const CompanionArguments&, Report& report) {
  const bool previous = session.facts.backupFromActivation;
  for (std::size_t line = 0; line < (previous ? kSummaryLineCount : kPreviousStateLine); ++line) {
    if (line == kCurrentStateLine) report.Wrapped(kCurrentHeading);
    if (line == kPreviousStateLine) report.Wrapped(kPreviousHeading);
    report.Write("  ");
    report.Wrapped(session.lines[line]);
  }
  return previous ? kStatusShown : kStatusWithoutBackup;
}

}  // namespace lull
