// lullcmd as a logon script runs it: each command's exit code, what it changes and prints,
// the rerun rule over a backup from an activation, and the log line.
#include "command/companion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "command/companion_texts.h"
#include "tests/support/computer.h"
#include "tests/support/wizard_fixture.h"
#include "wizard/texts.h"
#include "wizard/time_choice.h"

namespace lull::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kMinutes10 = std::to_string(kTimeChoices[0].minutes);
const std::string kMinutes15 = std::to_string(kTimeChoices[1].minutes);
const std::string kMinutes20 = std::to_string(kTimeChoices[2].minutes);
const char kLog[] = "\\\\server\\logs\\lull.log";

// The lines of standard output, each checked to end in CR LF, to fit 79 columns and to have
// no trailing blank.
std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = output.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(output.substr(at, end - at));
    const std::string& line = lines.back();
    EXPECT_LE(line.size(), kConsoleColumns) << line;
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_TRUE(line.empty() || line.back() != ' ') << line;
  }
  EXPECT_EQ(at, output.size()) << "the output does not end in CR LF";
  return lines;
}

// A wrapped text read back: its lines joined at blanks.
std::string Joined(const std::vector<std::string>& lines, std::size_t from, std::size_t count) {
  std::string text;
  for (std::size_t line = from; line < from + count && line < lines.size(); ++line) {
    text += (text.empty() ? "" : " ") + lines[line];
  }
  return text;
}

// The calls that change the computer or the running system.
std::vector<std::string> Changes(const FakeWindows& windows) {
  return windows.CallsOf({CallKind::SetValue, CallKind::DeleteValue, CallKind::CreateKey,
                          CallKind::CreateFileForWriting, CallKind::DeleteFile,
                          CallKind::SetSystemParameter, CallKind::StartProcess});
}

// The failAt number of the nth call (from 0) whose description starts so, in a run without
// a failure.
int FailAtCall(const FakeWindows& probe, const std::string& start, int nth = 0) {
  int fallible = 0;
  for (const Call& call : probe.calls) {
    if (call.description.starts_with(start) && nth-- == 0) return fallible;
    const CallKind kind = call.kind;
    fallible += kind != CallKind::GetModuleHandle && kind != CallKind::GetVersion &&
                kind != CallKind::GetCommandLine && kind != CallKind::Sleep;
  }
  ADD_FAILURE() << "no call " << start;
  return -1;
}

// One computer, on which lullcmd runs again and again, each run a process of its own.
struct Lullcmd {
  explicit Lullcmd(OsClass os = OsClass::WinXP, bool activated = false) {
    if (activated) {
      ActivateComputer(computer, os);
    } else {
      SetUpComputer(computer, os);
    }
  }
  // The next run's Windows, for a test to set up before Run.
  FakeWindows& Next() {
    run = std::make_unique<WizardRun>();
    run->windows.registry = computer.registry;
    run->windows.files = computer.files;
    run->windows.version = computer.version;
    prepared = true;
    return run->windows;
  }
  int Run(const std::string& arguments) {
    if (!prepared) Next();
    prepared = false;
    const int exitCode = run->RunCommand(arguments);
    computer.registry = run->windows.registry;
    computer.files = run->windows.files;
    lines = Lines(run->windows.output);
    return exitCode;
  }
  FakeWindows& windows() { return run->windows; }
  FakeRegistry::Key Backup() const { return BackupKeyOf(computer.registry); }
  std::optional<std::string> Desktop(const std::string& name) const {
    return computer.registry.GetText(Hive::CurrentUser, kDesktop, name);
  }

  FakeWindows computer;
  std::unique_ptr<WizardRun> run;
  bool prepared = false;
  std::vector<std::string> lines;
};

// The screen saver a computer has, and whether activate 15 /move moves it: only where the
// wizard shows AdjustScreenSave.
TEST(Activate, IsTheWizardsActivationAndMovesTheScreenSaverWhereTheWizardWouldAsk) {
  const struct {
    OsClass os;
    const char* active;
    const char* timeOut;
    const char* arguments;
    bool moved;
  } cases[] = {
      {OsClass::WinXP, "1", "1200", "/move", true},  {OsClass::WinXP, "1", "1200", "", false},
      {OsClass::WinXP, "1", "900", "-MOVE", true},    // starts with the sleep time
      {OsClass::WinXP, "1", "840", "/move", false},   // starts before it
      {OsClass::WinXP, "0", "1200", "/move", false},  // no screen saver in force
      {OsClass::Win98, "1", "1200", "/move", true},  {OsClass::Win95, "1", "1200", "/move", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.timeOut) + " " + c.arguments);
    Lullcmd lullcmd(c.os);
    lullcmd.computer.registry.SetText(Hive::CurrentUser, kDesktop, "ScreenSaveActive", c.active);
    lullcmd.computer.registry.SetText(Hive::CurrentUser, kDesktop, "ScreenSaveTimeOut", c.timeOut);
    FakeWindows wizard;
    wizard.registry = lullcmd.computer.registry;
    wizard.files = lullcmd.computer.files;
    wizard.version = lullcmd.computer.version;
    StartedProgram(wizard).Activate(IDC_TIME_15, c.moved);

    EXPECT_EQ(lullcmd.Run("activate " + kMinutes15 + " " + c.arguments), kExitDone);
    EXPECT_TRUE(lullcmd.computer.registry.keys == wizard.registry.keys);
    EXPECT_EQ(Changes(lullcmd.windows()), Changes(wizard));
    EXPECT_EQ(lullcmd.lines.at(0), kActivatedText);
  }
}

// A later activate keeps the backup of the first, byte for byte, writes only what differs,
// and announces only that.
TEST(Activate, OverABackupFromAnActivationRewritesOnlyWhatDiffers) {
  const std::string user = "SetValue HKCU\\" + kDesktop + " ";
  const auto sleep = [](const std::string& minutes) {
    const std::string seconds = std::to_string(std::stoi(minutes) * 60);
    return std::vector<std::string>{
        "SetValue HKCU\\" + kDesktop + " ScreenSavePowerOffTimeOut text " + Hex(TextBytes(seconds)),
        "SetValue HKCU\\" + kScheme0 + " Policies binary " +
            Hex(PoliciesRecord(std::stoi(seconds), 0x10)),
        "SetValue HKLM\\" + kControlSet1 + " AcPolicy binary " +
            Hex(AcPolicyRecord(std::stoi(seconds), 0x20)),
        "SetValue HKLM\\" + kControlSet2 + " AcPolicy binary " +
            Hex(AcPolicyRecord(std::stoi(seconds), 0x30)),
        "SetValue HKLM\\" + kCurrentControlSet + " AcPolicy binary " +
            Hex(AcPolicyRecord(std::stoi(seconds), 0x40)),
        "SetSystemParameter PowerOffActive 1",
        "SetSystemParameter PowerOffTimeout " + seconds,
        "StartProcess C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme"};
  };
  std::vector<std::string> moved = {user + "ScreenSaveTimeOut text " + Hex(TextBytes("540"))};
  for (const std::string& call : sleep(kMinutes10)) moved.push_back(call);
  moved.insert(moved.end() - 3, {"SetSystemParameter ScreenSaverActive 1",
                                 "SetSystemParameter ScreenSaverTimeout 540"});
  const struct {
    const char* what;
    std::string arguments;
    void (*change)(FakeRegistry&);
    int exitCode;
    std::vector<std::string> changes;
  } cases[] = {
      {"the same times", "activate " + kMinutes15 + " /move", nullptr, kExitNothingToDo, {}},
      {"the same sleep time", "activate " + kMinutes15, nullptr, kExitNothingToDo, {}},
      {"a shorter time", "activate " + kMinutes10 + " /move", nullptr, kExitDone, moved},
      // Only what is in force is compared and written, whatever the backup holds.
      {"a machine policy that is gone",
       "activate " + kMinutes10 + " /move",
       [](FakeRegistry& r) { r.Find(Hive::LocalMachine, kControlSet2)->values.clear(); },
       kExitDone,
       {moved[0], moved[1], moved[2], moved[3], moved[5], moved[6], moved[7], moved[8], moved[9],
        moved[10]}},
      // The screen saver, at 14 minutes now, starts before 20: it is not moved.
      {"a longer time", "activate " + kMinutes20 + " /move", nullptr, kExitDone, sleep(kMinutes20)},
      {"a switch the user turned off",
       "activate " + kMinutes15,
       [](FakeRegistry& r) {
         r.SetText(Hive::CurrentUser, kDesktop, "ScreenSavePowerOffActive", "0");
       },
       kExitDone,
       {user + "ScreenSavePowerOffActive text " + Hex(TextBytes("1")),
        "SetSystemParameter PowerOffActive 1", "SetSystemParameter PowerOffTimeout 900",
        "StartProcess C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows typical;
    SetUpComputer(typical);
    Lullcmd lullcmd(OsClass::WinXP, true);
    if (c.change) c.change(lullcmd.computer.registry);
    const FakeRegistry::Key backup = lullcmd.Backup();
    EXPECT_EQ(lullcmd.Run(c.arguments), c.exitCode);
    EXPECT_EQ(Changes(lullcmd.windows()), c.changes);
    EXPECT_EQ(lullcmd.Backup(), backup);
    EXPECT_EQ(lullcmd.lines.at(0),
              c.exitCode == kExitDone ? kActivatedAgainText : kAlreadyActiveText);
    // The reset that follows puts back the settings from before the first activation.
    EXPECT_TRUE(ResetLater(lullcmd.computer));
    EXPECT_TRUE(LiveRegistry(lullcmd.computer.registry) == LiveRegistry(typical.registry));
  }
}

TEST(Activate, ChangesNothingWhenASettingInForceOrTheBackupCannotBeRead) {
  const std::string live = "QueryValue HKCU\\" + kDesktop + " ScreenSaveActive";
  const std::string backup = "HKCU\\" + kCorvane;
  const struct {
    const char* what;
    bool activated;
    std::string failing;
    int nth;  // of the calls that start so
    const char* message;
    const char* note;
  } cases[] = {
      // The first read is start-up's, the second the operation's.
      {"a live value, on a rerun", true, live, 1, kNotActivatedText, kNotSavedNote},
      {"the backup's key", true, "OpenKey " + backup, 0, kBackupUnreadableText, nullptr},
      {"the backup's flag", true, "QueryValue " + backup + " LullResetFlag", 0,
       kBackupUnreadableText, nullptr},
      {"a live value, on a first activation", false, live, 1, kNotActivatedText, kNotSavedNote},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Lullcmd probe(OsClass::WinXP, c.activated);
    probe.Run("activate " + kMinutes10);
    Lullcmd lullcmd(OsClass::WinXP, c.activated);
    const FakeRegistry::Keys before = lullcmd.computer.registry.keys;
    lullcmd.Next().failAt = FailAtCall(probe.windows(), c.failing, c.nth);
    EXPECT_EQ(lullcmd.Run("activate " + kMinutes10), kExitFailed);
    EXPECT_THAT(Changes(lullcmd.windows()), IsEmpty());
    EXPECT_TRUE(lullcmd.computer.registry.keys == before);
    ASSERT_FALSE(lullcmd.lines.empty());
    EXPECT_EQ(lullcmd.lines[0], c.message);
    EXPECT_EQ(Joined(lullcmd.lines, 1, 2), c.note ? c.note : "");
  }
}

TEST(Reset, PutsBackTheSettingsFromBeforeOrSaysThereIsNothingToReset) {
  FakeWindows typical;
  SetUpComputer(typical);
  Lullcmd lullcmd(OsClass::WinXP, true);
  EXPECT_EQ(lullcmd.Run("reset"), kExitDone);
  EXPECT_EQ(LiveRegistry(lullcmd.computer.registry), LiveRegistry(typical.registry));
  EXPECT_EQ(lullcmd.computer.registry.GetText(Hive::CurrentUser, kCorvane, "LullResetFlag"), "2");
  EXPECT_THAT(lullcmd.lines, ElementsAre(kResetText));

  EXPECT_EQ(lullcmd.Run("reset"), kExitNothingToDo);
  EXPECT_THAT(Changes(lullcmd.windows()), IsEmpty());
  EXPECT_THAT(lullcmd.lines, ElementsAre(kNothingToResetText));
}

TEST(Reset, KeepsTheBackupWhenASettingCannotBePutBack) {
  Lullcmd probe(OsClass::WinXP, true);
  probe.Run("reset");
  Lullcmd lullcmd(OsClass::WinXP, true);
  const FakeRegistry::Key backup = lullcmd.Backup();
  lullcmd.Next().failAt = FailAtCall(probe.windows(), "SetValue");
  EXPECT_EQ(lullcmd.Run("reset"), kExitFailed);
  EXPECT_EQ(lullcmd.Backup(), backup);
  ASSERT_EQ(lullcmd.lines.size(), 3u);
  EXPECT_EQ(lullcmd.lines[0], kNotResetText);
  EXPECT_EQ(Joined(lullcmd.lines, 1, 2), kNotRestoredNote);
}

// Windows 95 needs a restart for new settings: its note follows an activation and a reset,
// word for word, and a run that changed nothing.
TEST(Windows95, AnActivationOrResetPrintsTheRestartNote) {
  Lullcmd lullcmd(OsClass::Win95);
  EXPECT_EQ(lullcmd.Run("activate " + kMinutes15), kExitDone);
  ASSERT_EQ(lullcmd.lines.size(), 3u);
  EXPECT_EQ(Joined(lullcmd.lines, 1, 2), kWin95Note);
  EXPECT_EQ(lullcmd.Run("activate " + kMinutes15), kExitNothingToDo);
  EXPECT_THAT(lullcmd.lines, ElementsAre(kAlreadyActiveText));
  EXPECT_EQ(lullcmd.Run("reset"), kExitDone);
  EXPECT_EQ(Joined(lullcmd.lines, 1, 2), kWin95Note);

  Lullcmd on98(OsClass::Win98);
  EXPECT_EQ(on98.Run("activate " + kMinutes15), kExitDone);
  EXPECT_THAT(on98.lines, ElementsAre(kActivatedText));
}

// The six lines of ShowCurrent as the wizard makes them, without their trailing blanks;
// the previous ones only with a backup from an activation.
TEST(Status, PrintsTheWizardsSummaryLinesAndChangesNothing) {
  for (const bool activated : {false, true}) {
    SCOPED_TRACE(activated);
    Lullcmd lullcmd(OsClass::WinXP, activated);
    FakeWindows wizard;
    wizard.registry = lullcmd.computer.registry;
    StartedProgram started(wizard);
    std::vector<std::string> expected = {kCurrentHeading};
    for (std::size_t line = 0; line < kSummaryLineCount; ++line) {
      if (line == kPreviousStateLine) {
        if (!activated) break;
        expected.push_back(kPreviousHeading);
      }
      std::string text = started.program.lines[line];
      expected.push_back("  " + text.substr(0, text.find_last_not_of(' ') + 1));
    }
    expected.push_back(activated ? kStatusText : kNothingToResetText);

    EXPECT_EQ(lullcmd.Run("status"), kExitDone);
    EXPECT_EQ(lullcmd.lines, expected);
    EXPECT_THAT(Changes(lullcmd.windows()), IsEmpty());
  }
}

// NT 4, 2003, Vista and later: every command reads and writes nothing, and still logs.
TEST(UnsupportedWindows, EveryCommandExitsWithFourAndReadsNothing) {
  for (const std::string& command :
       std::vector<std::string>{"activate " + kMinutes10 + " /move", "reset", "status"}) {
    SCOPED_TRACE(command);
    Lullcmd lullcmd(OsClass::UnsupportedNt, true);
    EXPECT_EQ(lullcmd.Run(command + " /log " + kLog), kExitUnsupported);
    EXPECT_THAT(lullcmd.windows().CallsOf({CallKind::OpenKey, CallKind::CreateKey}), IsEmpty());
    EXPECT_THAT(lullcmd.lines, ElementsAre(kUnsupportedText));
    EXPECT_NE(lullcmd.windows().GetFile(kLog), std::nullopt);
  }
}

// Bad input shows the usage and exits with 2, and "/?" shows it with 0; neither looks at
// Windows nor writes a log.
TEST(BadInput, ShowsTheUsageAndTouchesNothing) {
  Lullcmd usage;
  EXPECT_EQ(usage.Run("/? /log " + std::string(kLog)), kExitDone);
  EXPECT_GT(usage.lines.size(), 3u);
  for (const char* arguments : {"", "activate 7 /move", "reset /move", "status /log"}) {
    SCOPED_TRACE(arguments);
    Lullcmd lullcmd;
    EXPECT_EQ(lullcmd.Run(arguments + std::string(" /log ") + kLog), kExitBadInput);
    EXPECT_EQ(lullcmd.windows().output, usage.windows().output);
    EXPECT_EQ(lullcmd.windows().CallsOf(
                  {CallKind::GetVersion, CallKind::OpenKey, CallKind::OpenFileForAppending}),
              std::vector<std::string>{});
  }
  // The usage names every time the table offers.
  EXPECT_NE(usage.windows().output.find(kMinutes10 + ", " + kMinutes15 + " or " + kMinutes20),
            std::string::npos);
}

// One line per run appended to the file, in one WriteFile.
TEST(Log, AppendsOneWholeLinePerRun) {
  Lullcmd lullcmd;
  lullcmd.computer.SetFile(kLog, "an earlier line\r\n");
  FakeWindows& windows = lullcmd.Next();
  windows.userName.reset();
  EXPECT_EQ(lullcmd.Run("status\t/log  " + std::string(kLog) + "  "), kExitDone);
  const std::string line = "2003-04-05 06:07:08\tPC042\t?\tstatus /log  " + std::string(kLog) +
                           "\t0\t" + kNothingToResetText + "\r\n";
  EXPECT_EQ(lullcmd.computer.GetFile(kLog), "an earlier line\r\n" + line);
  EXPECT_THAT(windows.CallsOf({CallKind::WriteFile}),
              ElementsAre("WriteFile " + Hex(line.data(), line.size())));
  EXPECT_EQ(windows.OpenFileCount(), 0);
  EXPECT_THAT(windows.sleeps, IsEmpty());
}

// While other PCs hold the file it is tried again, for kLogWaitMilliseconds in all; a log
// that cannot be written is told on the console, and the exit code stays the command's.
TEST(Log, WaitsForAFileOtherPcsHoldThenGivesUp) {
  const struct {
    const char* what;
    int busyFor;
    bool refused;
    std::optional<FailureMode> write;  // the WriteFile fails so
    bool written;
  } cases[] = {
      {"busy for three tries", 3, false, std::nullopt, true},
      {"busy for ever", 1 << 20, false, std::nullopt, false},
      {"refused", 0, true, std::nullopt, false},
      {"a short write", 0, false, FailureMode::ShortWrite, false},
      {"a failed write", 0, false, FailureMode::Error, false},
  };
  Lullcmd probe(OsClass::WinXP, true);
  probe.Run("reset /log x.log");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Lullcmd lullcmd(OsClass::WinXP, true);
    FakeWindows& windows = lullcmd.Next();
    windows.appendBusyFor = c.busyFor;
    windows.appendRefused = c.refused;
    if (c.write) {
      windows.failAt = FailAtCall(probe.windows(), "WriteFile");
      windows.failureMode = *c.write;
    }
    EXPECT_EQ(lullcmd.Run("reset /log x.log"), kExitDone);
    std::uint32_t slept = 0;
    for (const std::uint32_t milliseconds : windows.sleeps) slept += milliseconds;
    EXPECT_LE(slept, kLogWaitMilliseconds);
    // Every try but the last is followed by a sleep.
    EXPECT_EQ(windows.sleeps.size(), c.busyFor > 3    ? kLogWaitMilliseconds / kLogRetryMilliseconds
                                     : c.busyFor == 3 ? 3u
                                                      : 0u);
    EXPECT_EQ(lullcmd.lines.back() == kLogNotWrittenText, !c.written);
    EXPECT_EQ(lullcmd.lines.front(), kResetText);
    EXPECT_EQ(windows.OpenFileCount(), 0);
  }
}

}  // namespace
}  // namespace lull::testing
