// Runs three operations of the wizard and lullcmd's rerun over an activation, the one
// operation only lullcmd has (its activation and reset are the wizard's, call for call),
// each on Windows XP, 98 and 95, through the whole program as lull.exe or lullcmd.exe runs
// them (start-up, the pages or the command line, the operation), in two ways. The failure sweep
// fails every platform call of each run in turn, start-up's reads included, file writes also cut
// short, reported as failed or as done. The crash sweep stops the program after each of its
// changes, as a killed process or a power cut does. After each run nothing may be lost: the
// registry holds the settings from before, or new ones with a backup that a reset turns back into
// them; the previous settings the next start shows were in force together; System.Ini is
// there after the next start, and its content from before the reset stays in it or in
// SysIni.Str; every key and file is closed; no text went to the 9x registry without its
// terminator; the next start opens the page that matches what is stored; and no row of an
// older backup reaches a later activation. The sweep's runs stand for the faults it found.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command/kept_lines.h"
#include "resources/resource_ids.h"
#include "session/time_choice.h"
#include "tests/support/computer.h"
#include "wizard/page_table.h"
#include "wizard/startup.h"

namespace lull::testing {
namespace {

using Registry = FakeRegistry::Keys;
using Pages = std::vector<std::string>;

// A user with one aim, who answers the page in front of them; a page the aim has no answer
// for (one that start-up chose because a read failed, say) is cancelled.
using Answers = std::map<std::string, std::vector<UserAction>>;

// Activates for the time of this radio button and moves the screen saver, from whichever page
// start-up opens.
Answers Activating(int time) {
  const std::vector<UserAction> yes = {Click(IDC_YES), Click(IDC_NEXT)};
  const std::vector<UserAction> chosen = {Click(time), Click(IDC_NEXT)};
  return {{"ResetActivate", yes},
          {"ActivateYesNo", yes},
          {"ActivateYesNoPrev", yes},
          {"SelectTime", chosen},
          {"SelectCompliant", chosen},
          {"AdjustScreenSave", yes},
          {"NormalFinish", {Click(IDC_FINISH)}}};
}
const Answers kActivateFor15Minutes = Activating(IDC_TIME_15);
const Answers kReactivateFor10Minutes = Activating(IDC_TIME_10);

const Answers kReset = {
    {"ResetActivate", {Click(IDC_NO), Click(IDC_NEXT)}},
    {"ShowCurrent", {Click(IDC_YES), Click(IDC_NEXT)}},
    {"ResetFinish", {Click(IDC_FINISH)}},
};

// Looks at the first page and cancels it.
const Answers kLookOnly = {};

struct Failure {
  std::optional<int> at;
  FailureMode mode = FailureMode::Error;
};

// The program run on the computer by the user. The script grows one page at a time: each run
// shows the page after those answered so far, and the user's answer to it is added, until a
// run ends by itself. The runs are alike up to the page where the previous one stopped, the
// failing call included, so the last run is the one a user who reads the pages would make.
// With cutAfter, the program stops after that many changes (see FakeWindows::cutAfter).
std::unique_ptr<WizardRun> Fresh(const FakeWindows& computer, const Failure& failure,
                                 std::optional<int> cutAfter) {
  auto run = WizardRun::Later(computer);
  FakeWindows& windows = run->windows;
  windows.failAt = failure.at;
  windows.failureMode = failure.mode;
  windows.cutAfter = cutAfter;
  return run;
}

std::unique_ptr<WizardRun> RunAs(const FakeWindows& computer, const Answers& user,
                                 const Failure& failure = {},
                                 std::optional<int> cutAfter = std::nullopt) {
  constexpr int kMostPages = 12;
  std::vector<UserAction> script;
  for (int page = 0; page < kMostPages; ++page) {
    auto run = Fresh(computer, failure, cutAfter);
    FakeWindows& windows = run->windows;
    windows.user.assign(script.begin(), script.end());
    run->RunProgram();
    if (!windows.userRanOut) return run;
    if (windows.pages.empty()) return run;
    const auto answer = user.find(windows.pages.back().name);
    if (answer == user.end()) {
      script.push_back(Click(IDC_CANCEL));
    } else {
      script.insert(script.end(), answer->second.begin(), answer->second.end());
    }
  }
  ADD_FAILURE() << "the user never reached the end of the wizard";
  return nullptr;
}

// The call a run's injected failure hit: the first that fails where the run without one
// did not. Null when it hit a call that fails anyway.
const Call* FirstNewFailure(const FakeWindows& probe, const FakeWindows& run) {
  for (std::size_t at = 0; at < run.calls.size() && at < probe.calls.size(); ++at) {
    if (run.calls[at].failed && !probe.calls[at].failed) return &run.calls[at];
  }
  return nullptr;
}

// The wizard's reactivation saves the settings in force as the new backup; lullcmd's rerun
// keeps the backup of the first activation.
enum class Operation { Activation, Reactivation, Rerun, Reset };

// The previous settings a start shows: the three lines of the ShowCurrent page.
std::string PreviousShown(const Program& program) {
  return std::string(program.lines[kPreviousStateLine]) + " / " +
         program.lines[kPreviousSleepLine] + " / " + program.lines[kPreviousScreenSaverLine];
}

struct Sweep {
  std::string name;
  OsClass os;
  Operation operation;
  const Answers* user;
  Pages pages;          // what the user goes through when nothing fails
  std::string command;  // lullcmd's words, for a run of lullcmd; empty for the wizard

  FakeWindows computer{};
  Registry before{};                   // the live settings when the program starts
  std::optional<Registry> original{};  // what a reset would put back at that moment
  std::optional<std::string> iniBefore{};
  std::optional<std::string> iniRestored{};
  // The previous settings a start shows when the backup holds the settings from before, and
  // when it holds what a reset would put back at the start.
  std::string shownBefore{};
  std::string shownOriginal{};
};

// The computer a cut left on the disk.
FakeWindows Left(const FakeWindows::Disk& disk, const FakeWindows& on) {
  FakeWindows left;
  CarryOver(on, left);
  left.registry = disk.registry;
  left.files = disk.files;
  return left;
}

// The run of a sweep: the wizard with its user, or lullcmd with its command.
std::unique_ptr<WizardRun> RunSweep(const Sweep& s, const FakeWindows& computer,
                                    const Failure& failure = {},
                                    std::optional<int> cutAfter = std::nullopt) {
  if (s.command.empty()) return RunAs(computer, *s.user, failure, cutAfter);
  auto run = Fresh(computer, failure, cutAfter);
  run->RunCommand(s.command);
  return run;
}

// Where the computer before the run differs from the typical one: on Windows 95 its Desktop
// never held the monitor's values; a roaming user's backup may come from another computer,
// which activated its own machine policies and left this one's, set otherwise, as they are.
enum class Shape { Typical, RoamedFromAnotherComputer };

// The computer before the run: the typical one, or one after the typical activation. A
// screen-saver program given goes into the backup, and a reset puts it back.
Sweep Prepare(std::string name, OsClass os, Operation operation, const Answers& user, Pages pages,
              const char* savedScreenSaver = nullptr, std::string command = "",
              Shape shape = Shape::Typical) {
  Sweep s{std::move(name), os, operation, &user, std::move(pages), std::move(command)};
  FakeWindows& setUp = s.computer;
  SetUpComputer(setUp, os);
  if (os == OsClass::Win95) DropMonitorValues(setUp);
  if (operation != Operation::Activation) {
    s.original = LiveRegistry(setUp.registry);
    ActivateTypically(setUp);
  }
  if (shape == Shape::RoamedFromAnotherComputer) {
    SetBackup(setUp.registry, kRowComputer, "PC041");
    for (const std::string& path : {kControlSet1, kControlSet2, kCurrentControlSet}) {
      setUp.registry.SetBinary(Hive::LocalMachine, path, "AcPolicy", AcPolicyRecord(300));
      (*s.original)[{Hive::LocalMachine, path}] = *setUp.registry.Find(Hive::LocalMachine, path);
    }
  } else if (s.original) {
    SetBackup(setUp.registry, kRowComputer, "pc042");  // this computer, its name in another case
  }
  if (savedScreenSaver != nullptr) {
    SetBackup(setUp.registry, kRowScreenSaver, savedScreenSaver);
    (*s.original)[{Hive::CurrentUser, kDesktop}].values[kScreenSaverName] =
        RegistryValue{ValueType::Text, TextBytes(savedScreenSaver)};
  }
  s.before = LiveRegistry(setUp.registry);
  s.iniBefore = setUp.GetFile(kIniPath);
  if (operation == Operation::Reset && s.iniBefore) s.iniRestored = kRestoredIni;
  if (const auto look = RunAs(s.computer, kLookOnly))
    s.shownOriginal = PreviousShown(look->program);
  s.shownBefore = s.shownOriginal;
  if (operation != Operation::Reset) {
    const auto probe = RunSweep(s, s.computer);
    const auto look = probe ? RunAs(probe->windows, kLookOnly) : nullptr;
    if (look) s.shownBefore = PreviousShown(look->program);
  }
  return s;
}

// Each operation on a Windows of each registry family: XP, whose registry keeps access rights
// and the sizes given, and 98 and 95, whose registry does neither; 95 has no power schemes
// either, and announces no monitor power-off.
const std::vector<Sweep>& Sweeps() {
  static const std::vector<Sweep> sweeps = [] {
    const Pages activation = {"ActivateYesNo", "SelectTime", "AdjustScreenSave", "NormalFinish"};
    const Pages reactivation = {"ResetActivate", "SelectTime", "AdjustScreenSave", "NormalFinish"};
    const Pages reset = {"ResetActivate", "ShowCurrent", "ResetFinish"};
    const std::string minutes10 = std::to_string(kTimeChoices[0].minutes);
    std::vector<Sweep> all;
    for (const auto& [os, name] :
         {std::pair{OsClass::WinXP, "Windows XP"}, std::pair{OsClass::Win98, "Windows 98"},
          std::pair{OsClass::Win95, "Windows 95"}}) {
      const char* saved = IsWin9xFamily(os) ? nullptr : "C:\\WINDOWS\\System32\\ssmyst.scr";
      all.push_back(Prepare(std::string("typical activation on ") + name, os, Operation::Activation,
                            kActivateFor15Minutes, activation));
      all.push_back(Prepare(std::string("reactivation on ") + name, os, Operation::Reactivation,
                            kReactivateFor10Minutes, reactivation));
      all.push_back(
          Prepare(std::string("reset on ") + name, os, Operation::Reset, kReset, reset, saved));
      all.push_back(Prepare(std::string("lullcmd rerun on ") + name, os, Operation::Rerun,
                            kLookOnly, {}, nullptr, "activate " + minutes10 + " /move"));
    }
    all.push_back(Prepare("reset of a roaming user on another computer", OsClass::WinXP,
                          Operation::Reset, kReset, reset, nullptr, "",
                          Shape::RoamedFromAnotherComputer));
    all.push_back(Prepare("lullcmd rerun of a roaming user on another computer", OsClass::WinXP,
                          Operation::Rerun, kLookOnly, {}, nullptr, "activate " + minutes10,
                          Shape::RoamedFromAnotherComputer));
    return all;
  }();
  return sweeps;
}

// The next start of the program, which looks at its first page, and the reset it offers.
struct NextStart {
  std::unique_ptr<WizardRun> look;
  std::unique_ptr<WizardRun> reset;  // when the first page offers one
  std::string firstPage;
  bool resetWentThrough = false;
  std::optional<Registry> resetGives;  // what that reset puts back
};

NextStart StartAgain(const FakeWindows& computer) {
  NextStart next;
  next.look = RunAs(computer, kLookOnly);
  if (!next.look || next.look->windows.pages.empty()) return next;
  next.firstPage = next.look->windows.pages.front().name;
  if (next.firstPage != "ResetActivate" || !(next.reset = RunAs(computer, kReset))) return next;
  const FakeWindows& reset = next.reset->windows;
  next.resetWentThrough =
      reset.PageNames() == Pages{"ResetActivate", "ShowCurrent", "ResetFinish"} &&
      next.reset->program.outcome == Outcome::Done;
  next.resetGives = LiveRegistry(reset.registry);
  return next;
}

// The user chooses a screen saver of their own, then activates and resets: that reset must put
// back what was in force just before, whatever rows an older backup left behind. Only where no
// backup is offered: a reactivation keeps the backup's screen saver on purpose.
bool LaterActivationIsItsOwn(const FakeWindows& computer) {
  const auto run = WizardRun::Later(computer);
  FakeWindows& windows = run->windows;
  if (windows.Win9xFamily()) {
    windows.SetFile(kIniPath, "[boot]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OWN.SCR\r\n");
  } else {
    windows.registry.SetText(Hive::CurrentUser, kDesktop, "SCRNSAVE.EXE", "C:\\OWN.SCR");
  }
  const Registry live = LiveRegistry(windows.registry);
  const auto ini = windows.GetFile(kIniPath);
  if (WizardRun(windows).StartUp().OffersReset()) return true;
  WizardRun(windows).Activate(IDC_TIME_10, true);
  return ResetLater(windows) && LiveRegistry(windows.registry) == live &&
         windows.GetFile(kIniPath) == ini;
}

bool SystemIniUnreadable(const FakeWindows& windows) {
  return std::ranges::any_of(windows.calls, [](const Call& call) {
    return call.failed &&
           (call.kind == CallKind::OpenFileForReading || call.kind == CallKind::ReadFile);
  });
}

// The Desktop values that a backup names as absent ("A, B") and that are there all the same.
std::vector<std::string> NamedAbsentButThere(const FakeRegistry& backup, const FakeWindows& after) {
  std::vector<std::string> there;
  const auto flag = BackupText(backup, kRowFlag);
  const auto names = BackupText(backup, kRowAbsent);
  if (!flag || !flag->starts_with("1") || !names) return there;
  for (std::size_t at = 0; at < names->size();) {
    std::size_t end = names->find(", ", at);
    if (end == std::string::npos) end = names->size();
    const std::string name = names->substr(at, end - at);
    if (after.registry.FindValue(Hive::CurrentUser, kDesktop, name)) {
      there.push_back("a reset that went through left " + name + ", which was not there before");
    }
    at = end + 2;
  }
  return there;
}

// The invariants of what a run left on the computer, each broken one as a line. A reset whose
// System.Ini could not be read is not tried again, as a missing file could never be.
std::vector<std::string> Broken(const Sweep& s, const FakeWindows& after, bool iniUnreadable) {
  std::vector<std::string> broken;
  const NextStart next = StartAgain(after);
  if (!next.look) return {"the next start does not end"};
  // The backup's flag is its commit mark: the next start offers a reset exactly beside an
  // activation's.
  const bool offered = next.firstPage == "ResetActivate";
  const auto flag = BackupText(after.registry, kRowFlag);
  if (offered != (flag && flag->starts_with("1"))) {
    broken.push_back("the next start opens " + next.firstPage + " beside the flag " +
                     flag.value_or("(none)"));
  }
  if (offered && !next.resetWentThrough) {
    broken.push_back("the reset the next start offers does not go through");
  }
  // What the computer holds after the next start, and once the reset it offers is done.
  const FakeWindows& started = next.look->windows;
  const FakeWindows& done = next.reset ? next.reset->windows : started;
  for (const std::string& violation : done.violations) {
    broken.push_back("the next start or the reset it offers: " + violation);
  }
  if (next.resetWentThrough) {
    const auto there = NamedAbsentButThere(after.registry, done);
    broken.insert(broken.end(), there.begin(), there.end());
  }

  if (s.iniBefore) {
    const auto ini = started.GetFile(kIniPath);
    if (!ini) broken.push_back("System.Ini is missing after the next start");
    if (ini != s.iniBefore && started.GetFile(kStrPath) != s.iniBefore) {
      broken.push_back(
          "after the next start, neither System.Ini nor SysIni.Str holds it as it was");
    }
    if (ini && ini != s.iniBefore && ini != s.iniRestored) {
      broken.push_back("System.Ini holds neither its old content nor the restored one");
    }
    if (done.GetFile(kIniPath) != s.iniBefore && done.GetFile(kStrPath) != s.iniBefore) {
      broken.push_back(
          "after the reset that follows, SysIni.Str does not hold System.Ini as it was");
    }
    if (s.iniRestored && done.GetFile(kIniPath) != s.iniRestored && (offered || !iniUnreadable)) {
      broken.push_back(offered ? "a later reset does not put the screen-saver line back"
                               : "the reset let its backup go without putting the saved line back");
    }
  } else if (after.files != s.computer.files) {
    broken.push_back("files changed on a Windows that keeps no System.Ini");
  }

  // A reset may consume the backup, and a rerun keeps the one it found; any other operation
  // must leave the settings from before in force, or in a backup.
  const Registry live = LiveRegistry(after.registry);
  const bool keepsOriginal = s.operation == Operation::Reset || s.operation == Operation::Rerun;
  const Registry& target = keepsOriginal ? *s.original : s.before;
  if (live != target && next.resetGives != target) {
    broken.push_back(s.operation == Operation::Reset
                         ? "the previous settings were neither put back nor kept"
                     : s.operation == Operation::Rerun
                         ? "the backup of the first activation was not kept"
                         : "the settings from before are neither in force nor in the backup");
  }
  // What a later reset puts back, and what the start shows as the previous settings, must be
  // settings that were in force together: those from before, or, while nothing changed, those
  // of the backup as it was.
  if (offered) {
    const bool oldBackup = live == s.before && s.original && next.resetGives == s.original;
    if (next.resetGives != target && !oldBackup) {
      broken.push_back("a later reset puts back settings that were never in force together");
    }
    const std::string& shown = next.resetGives == target ? s.shownBefore : s.shownOriginal;
    if (PreviousShown(next.look->program) != shown) {
      broken.push_back("the next start shows as previous settings \"" +
                       PreviousShown(next.look->program) + "\", not \"" + shown + "\"");
    }
  }
  if (!LaterActivationIsItsOwn(done)) {
    broken.push_back("a later activation and reset are touched by rows of an older backup");
  }
  return broken;
}

// The invariants of the run itself: how it ended and what it told the running system.
std::vector<std::string> RunBroken(const Sweep& s, const WizardRun& run) {
  std::vector<std::string> broken;
  const FakeWindows& windows = run.windows;
  if (s.command.empty() && (!windows.quitPosted || windows.quitCode != 0)) {
    broken.push_back("the wizard did not end with exit code 0");
  }
  // lullcmd's failures say so: a failed call may find nothing to do only where nothing is.
  if (!s.command.empty() && run.exitCode != kExitDone && run.exitCode != kExitFailed) {
    broken.push_back("lullcmd ended with exit code " + std::to_string(run.exitCode));
  }
  if (windows.OpenKeyCount() != 0) broken.push_back("a registry key was left open");
  // The running system is told only time-outs the registry holds.
  const bool failed =
      s.command.empty() ? run.program.outcome == Outcome::Failed : run.exitCode == kExitFailed;
  if (failed && !windows.CallsOf({CallKind::SetSystemParameter}).empty()) {
    broken.push_back("an operation that could not do its work announced time-outs");
  }
  if (s.operation == Operation::Reset && !failed && windows.PageNames().back() == "ResetFinish") {
    const auto there = NamedAbsentButThere(s.computer.registry, windows);
    broken.insert(broken.end(), there.begin(), there.end());
  }
  if (windows.OpenFileCount() != 0) broken.push_back("a file was left open");
  // On Windows 95/98/Me, a text written without its terminator within its size.
  broken.insert(broken.end(), windows.violations.begin(), windows.violations.end());
  return broken;
}

std::vector<std::string> Broken(const Sweep& s, const WizardRun& run) {
  std::vector<std::string> broken = RunBroken(s, run);
  const std::vector<std::string> left = Broken(s, run.windows, SystemIniUnreadable(run.windows));
  broken.insert(broken.end(), left.begin(), left.end());
  return broken;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += "\n    " + line;
  return out;
}

// By FailureMode.
const char* const kModeNames[] = {"", " (half written, then failing)",
                                  " (half written, reported as done)"};

TEST(FailureSweep, NoFailingCallLosesSettingsOrSystemIni) {
  int points[2] = {};  // NT, 9x
  int companionPoints = 0;
  int losses = 0;
  for (const Sweep& s : Sweeps()) {
    SCOPED_TRACE(s.name);
    // Without a failure: the pages as planned, no failure note, and a run that passes every
    // check (on Windows 95 too, whose announcements of monitor power-off fail).
    const auto probe = RunSweep(s, s.computer);
    ASSERT_TRUE(probe);
    ASSERT_EQ(probe->windows.PageNames(), s.pages);
    ASSERT_EQ(probe->program.outcome, Outcome::Done);
    ASSERT_EQ(probe->exitCode, kExitDone);
    ASSERT_NE(LiveRegistry(probe->windows.registry), s.before) << "the operation did nothing";
    if (s.operation == Operation::Reset) {
      ASSERT_EQ(LiveRegistry(probe->windows.registry), *s.original);
    }
    if (s.iniRestored) {
      ASSERT_EQ(probe->windows.GetFile(kIniPath), s.iniRestored);
    }
    ASSERT_EQ(Join(Broken(s, *probe)), "");

    for (int at = 0; at < probe->windows.fallibleCallCount; ++at) {
      // The runs are alike up to the failing call, so the one made there is the same in
      // each mode; a write to a file also fails half done.
      std::string failed;
      bool fileWrite = false;
      for (const FailureMode mode :
           {FailureMode::Error, FailureMode::PartialWrite, FailureMode::ShortWrite}) {
        if (mode != FailureMode::Error && !fileWrite) break;
        ++points[IsWin9xFamily(s.os)];
        companionPoints += !s.command.empty();
        const auto run = RunSweep(s, s.computer, {at, mode});
        if (mode == FailureMode::Error && run) {
          const Call* call = FirstNewFailure(probe->windows, run->windows);
          failed = call ? call->description.substr(0, 100) : "a call that fails anyway";
          fileWrite = call && call->kind == CallKind::WriteFile;
        }
        const std::vector<std::string> broken =
            run ? Broken(s, *run) : std::vector<std::string>{"the run did not end"};
        if (broken.empty()) continue;
        ++losses;
        ADD_FAILURE() << s.name << ", failing call " << at << ": " << failed
                      << kModeNames[static_cast<int>(mode)] << Join(broken);
      }
    }
  }
  std::printf("failure sweep: %d failure points (NT %d, 9x %d; lullcmd %d of them), %d losses\n",
              points[0] + points[1], points[0], points[1], companionPoints, losses);
  EXPECT_GT(points[0], 0);
  EXPECT_GT(points[1], 0);
  EXPECT_EQ(losses, 0);
}

// The same walk, with the program stopping after its k-th change instead: everything after it
// never happens. What is left is looked at as a killed process leaves it, and as a power cut
// leaves it, with only what was flushed on the disk.
TEST(CrashSweep, NoCutLosesSettingsOrSystemIni) {
  int points[3] = {};  // NT, 98, 95
  int companionPoints = 0;
  int unsafe = 0;
  for (const Sweep& s : Sweeps()) {
    SCOPED_TRACE(s.name);
    const auto probe = RunSweep(s, s.computer);
    ASSERT_TRUE(probe);
    std::vector<std::string> changes;
    for (const Call& call : probe->windows.calls) {
      if (call.change) changes.push_back(call.description);
    }
    ASSERT_EQ(static_cast<int>(changes.size()), probe->windows.changeCount);
    for (int cut = 1; cut <= static_cast<int>(changes.size()); ++cut) {
      ++points[s.os == OsClass::WinXP ? 0 : s.os == OsClass::Win98 ? 1 : 2];
      companionPoints += !s.command.empty();
      const auto run = RunSweep(s, s.computer, {}, cut);
      std::vector<std::string> broken;
      for (const auto& [left, how] : {std::pair{&run->windows.stopped, "stopped: "},
                                      std::pair{&run->windows.powerCut, "power cut: "}}) {
        for (const std::string& line : Broken(s, Left(left->value(), s.computer), false)) {
          broken.push_back(how + line);
        }
      }
      if (broken.empty()) continue;
      ++unsafe;
      ADD_FAILURE() << s.name << ", cut after change " << cut << ": "
                    << changes[cut - 1].substr(0, 100) << Join(broken);
    }
  }
  std::printf("crash sweep: %d cut points (NT %d, 98 %d, 95 %d; lullcmd %d of them), %d unsafe\n",
              points[0] + points[1] + points[2], points[0], points[1], points[2], companionPoints,
              unsafe);
  EXPECT_EQ(unsafe, 0);
}

const Sweep& ResetOnXp() {
  static const Sweep s = Prepare("reset on Windows XP", OsClass::WinXP, Operation::Reset, kReset,
                                 {"ResetActivate", "ShowCurrent", "ResetFinish"});
  return s;
}

// A user who may not write the machine's policies could not have changed them either, and
// the reset ends: the sweep's runs, where a write there fails, keep the backup instead.
TEST(FailureSweep, AResetEndsWhenTheUserMayNotWriteTheMachinePolicies) {
  Sweep s = ResetOnXp();
  for (const std::string& path : {kControlSet1, kControlSet2, kCurrentControlSet}) {
    s.computer.registry.SetReadOnly(Hive::LocalMachine, path);
  }
  const auto run = RunAs(s.computer, kReset);
  ASSERT_TRUE(run);
  ASSERT_EQ(run->windows.PageNames(), s.pages);
  EXPECT_EQ(run->program.outcome, Outcome::Done);
  EXPECT_EQ(BackupText(run->windows.registry, kRowFlag), "2");
}

// Two lines kept from runs whose log was held, or also written already by a run killed before
// it counted them, through a run that writes them and fails at any call (a write also cut
// short) or stops after any change: after the next run each is in the log once, and so is
// the failing run's own line (known by its time and its fields, as a failed read changes
// it), unless the run stopped before it.
TEST(FailureSweep, AKeptLineIsWrittenOnceWhateverFailsOrStops) {
  const auto run = [](const FakeWindows& on, std::uint16_t second, Failure failure = {},
                      std::optional<int> cut = {}, int busy = 0) {
    auto made = Fresh(on, failure, cut);
    made->windows.localTime.second = second;
    made->windows.appendBusyFor = busy;
    made->RunCommand("status /log x.log");
    return made;
  };
  auto kept = std::make_unique<WizardRun>(OsClass::WinXP);
  for (const std::uint16_t second : {1, 2}) kept = run(kept->windows, second, {}, {}, 1 << 20);
  const auto writing = run(kept->windows, 4);
  int changes = 0;
  for (auto call = writing->windows.calls.begin(); call->kind != CallKind::WriteFile; ++call) {
    changes += call->change;
  }
  const auto killed = run(kept->windows, 4, {}, changes + 1);
  const FakeWindows written = Left(*killed->windows.stopped, kept->windows);
  int points = 0;
  for (const FakeWindows* on : {&std::as_const(kept->windows), &written}) {
    const auto probe = run(*on, 5);
    const std::string log = "\r\n" + probe->windows.GetFile("x.log").value_or("");
    const std::size_t own = log.rfind("\r\n", log.size() - 3) + 2;
    const auto check = [&](const FakeWindows& left, bool ownLine, const std::string& what) {
      ++points;
      const auto next = run(left, 9);
      const std::string after = "\r\n" + next->windows.GetFile("x.log").value_or("");
      // A run that wrote the log leaves no line waiting.
      KeptLines bookkeeping(next->windows);
      EXPECT_TRUE(bookkeeping.Load() && bookkeeping.state().written + 1 == bookkeeping.state().next)
          << what;
      std::size_t count = 0;
      for (std::size_t at = 0; (at = after.find(log.substr(own, 20), at)) != std::string::npos;) {
        const std::size_t end = after.find("\r\n", ++at);
        count += std::count(after.begin() + at, after.begin() + end, '\t') ==
                 std::count(log.begin() + own, log.end(), '\t');
      }
      EXPECT_EQ(count, ownLine ? 1u : count) << what;
      EXPECT_LE(count, 1u) << what;
      for (std::size_t at = 0, end; (end = log.find("\r\n", at + 2)) < own; at = end) {
        const std::string line = log.substr(at, end + 2 - at);
        EXPECT_EQ(after.find(line), after.rfind(line)) << what << ": twice" << line;
        EXPECT_NE(after.find(line), std::string::npos) << what << ": lost" << line;
      }
    };
    for (int at = 0; at < probe->windows.fallibleCallCount; ++at) {
      for (const FailureMode mode :
           {FailureMode::Error, FailureMode::PartialWrite, FailureMode::ShortWrite}) {
        const auto failed = run(*on, 5, {at, mode});
        check(failed->windows, true, "failing call " + std::to_string(at));
        EXPECT_EQ(failed->windows.OpenKeyCount() + failed->windows.OpenFileCount(), 0);
      }
    }
    for (int cut = 1; cut <= probe->windows.changeCount; ++cut) {
      const auto stopped = run(*on, 5, {}, cut);
      for (const auto* left : {&stopped->windows.stopped, &stopped->windows.powerCut}) {
        check(Left(left->value(), *on), false, "cut after change " + std::to_string(cut));
      }
    }
  }
  std::printf("kept lines: %d failure and cut points\n", points);
}

}  // namespace
}  // namespace lull::testing
