// lullcmd as a logon script runs it: each command's exit code, what it changes and prints,
// the rerun rule over a backup from an activation, and the log line.
#include "command/companion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
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
std::string Joined(const std::vector<std::string>& lines, std::size_t from) {
  std::string text;
  for (std::size_t line = from; line < lines.size(); ++line) {
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
  // The failAt number, in this run of the program, of the nth call (from 0) that starts so.
  int FailAt(const std::string& start, int nth) const {
    int fallible = 0;
    for (const Call& call : run->windows.calls) {
      if (call.description.starts_with(start) && nth-- == 0) return fallible;
      const CallKind kind = call.kind;
      fallible += kind != CallKind::GetModuleHandle && kind != CallKind::GetVersion &&
                  kind != CallKind::GetCommandLine && kind != CallKind::Sleep;
    }
    ADD_FAILURE() << "no call " << start;
    return -1;
  }
  FakeWindows& windows() { return run->windows; }
  FakeRegistry::Key Backup() const { return BackupKeyOf(computer.registry); }

  FakeWindows computer;
  std::unique_ptr<WizardRun> run;
  bool prepared = false;
  std::vector<std::string> lines;
};

// Each command's exit code and line, and what it leaves: the settings, the backup byte for
// byte, and a log line, which every run writes but one of bad input or "/?" (a Windows that
// is not supported too). A failing call is the nth that starts so, in the run without one.
TEST(ExitCodes, EachRunEndsWithItsCodeAndSaysWhatItDid) {
  const std::string activate = "activate " + kMinutes10;
  const std::string live = "QueryValue HKCU\\" + kDesktop + " ScreenSaveActive";
  const std::string backup = "HKCU\\" + kBackupPath;
  const struct {
    const char* what;
    OsClass os;
    bool activated;
    std::string command;
    std::string failing;
    int nth;
    int exitCode;
    const char* line;  // null for the usage
    const char* note;
    bool changes;
    bool keepsBackup;
  } cases[] = {
      {"activate", OsClass::WinXP, false, activate, "", 0, kExitDone, kActivatedText, "", true,
       false},
      {"reset", OsClass::WinXP, true, "reset", "", 0, kExitDone, kResetText, "", true, false},
      {"status", OsClass::WinXP, true, "status", "", 0, kExitDone, kStatusText, "", false, true},
      {"usage", OsClass::WinXP, true, "/?", "", 0, kExitDone, nullptr, "", false, true},
      {"reset without a backup", OsClass::WinXP, false, "reset", "", 0, kExitNothingToDo,
       kNothingToResetText, "", false, true},
      {"bad input", OsClass::WinXP, true, "reset /move", "", 0, kExitBadInput, nullptr, "", false,
       true},
      {"unsupported", OsClass::UnsupportedNt, true, "reset", "", 0, kExitUnsupported,
       kUnsupportedText, "", false, true},
      // Windows 95 needs a restart for new settings: its note follows a run that changed them.
      {"activate on 95", OsClass::Win95, false, activate, "", 0, kExitDone, kActivatedText,
       kWin95Note, true, false},
      {"reset on 95", OsClass::Win95, true, "reset", "", 0, kExitDone, kResetText, kWin95Note, true,
       false},
      {"nothing to do on 95", OsClass::Win95, true, "activate " + kMinutes15, "", 0,
       kExitNothingToDo, kAlreadyActiveText, "", false, true},
      // The first read of a live value is start-up's, the second the operation's.
      {"a live value unread", OsClass::WinXP, false, activate, live, 1, kExitFailed,
       kNotActivatedText, kNotSavedNote, false, true},
      {"a live value unread on a rerun", OsClass::WinXP, true, activate, live, 1, kExitFailed,
       kNotActivatedText, kNotSavedNote, false, true},
      // A backup that cannot be read may hold an activation: nothing acts on a guess.
      {"the backup's flag unread", OsClass::WinXP, true, activate,
       "QueryValue " + backup + " LullResetFlag", 0, kExitFailed, kBackupUnreadableText, "", false,
       true},
      {"the backup's key unread", OsClass::WinXP, true, "reset", "OpenKey " + backup, 0,
       kExitFailed, kBackupUnreadableText, "", false, true},
      {"a setting not put back", OsClass::WinXP, true, "reset", "SetValue", 0, kExitFailed,
       kNotResetText, kNotRestoredNote, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Lullcmd lullcmd(c.os, c.activated);
    std::optional<int> failAt;
    const std::string command = c.command + " /log " + kLog;
    if (!c.failing.empty()) {
      Lullcmd probe(c.os, c.activated);
      probe.Run(command);
      failAt = probe.FailAt(c.failing, c.nth);
    }
    const FakeRegistry::Key before = lullcmd.Backup();
    lullcmd.Next().failAt = failAt;
    EXPECT_EQ(lullcmd.Run(command), c.exitCode);
    EXPECT_EQ(lullcmd.computer.GetFile(kLog).has_value(), c.line != nullptr);
    ASSERT_FALSE(lullcmd.lines.empty());
    if (c.line) {
      EXPECT_EQ(lullcmd.lines[c.command == "status" ? lullcmd.lines.size() - 1 : 0], c.line);
      EXPECT_EQ(Joined(lullcmd.lines, c.command == "status" ? lullcmd.lines.size() : 1), c.note);
    } else {
      EXPECT_EQ(lullcmd.windows().output.substr(0, sizeof kUsageBeforeTimes - 1),
                kUsageBeforeTimes);
      // Then every time of the table in its order, as a list in words ("10, 15 or 20.").
      const std::string rest = lullcmd.windows().output.substr(sizeof kUsageBeforeTimes - 1);
      std::smatch list;
      ASSERT_TRUE(std::regex_search(rest, list, std::regex("^(\\d+, )*\\d+ or \\d+\\.")));
      std::istringstream words(std::regex_replace(list.str(), std::regex("\\D+"), " "));
      std::vector<std::uint32_t> listed, table;
      for (std::uint32_t minutes; words >> minutes;) listed.push_back(minutes);
      for (const TimeChoiceRow& row : kTimeChoices) table.push_back(row.minutes);
      EXPECT_EQ(listed, table);
    }
    EXPECT_EQ(Changes(lullcmd.windows()).empty(), !c.changes);
    EXPECT_EQ(lullcmd.Backup() == before, c.keepsBackup);
    // Nothing but an operation on a supported Windows reads a setting.
    EXPECT_EQ(lullcmd.windows().CallsOf({CallKind::OpenKey}).empty(),
              c.exitCode == kExitBadInput || c.os == OsClass::UnsupportedNt || !c.line);
  }
}

// The screen saver a computer has, and whether activate 15 /move moves it: only where the
// wizard shows AdjustScreenSave.
TEST(Activate, IsTheWizardsActivationAndMovesTheScreenSaverWhereTheWizardWouldAsk) {
  const struct {
    const char* active;
    const char* timeOut;
    const char* arguments;
    bool moved;
  } cases[] = {
      {"1", "1200", "/move", true},  {"1", "1200", "", false},
      {"1", "900", "-MOVE", true},    // starts with the sleep time
      {"1", "840", "/move", false},   // starts before it
      {"0", "1200", "/move", false},  // no screen saver in force
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.timeOut) + " " + c.arguments);
    Lullcmd lullcmd;
    lullcmd.computer.registry.SetText(Hive::CurrentUser, kDesktop, "ScreenSaveActive", c.active);
    lullcmd.computer.registry.SetText(Hive::CurrentUser, kDesktop, "ScreenSaveTimeOut", c.timeOut);
    FakeWindows wizard;
    wizard.registry = lullcmd.computer.registry;
    wizard.version = lullcmd.computer.version;
    StartedProgram(wizard).Activate(IDC_TIME_15, c.moved);

    EXPECT_EQ(lullcmd.Run("activate " + kMinutes15 + " " + c.arguments), kExitDone);
    EXPECT_EQ(Changes(lullcmd.windows()), Changes(wizard));
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
      {"a screen saver the user put back",
       "activate " + kMinutes15 + " /move",
       [](FakeRegistry& r) { r.SetText(Hive::CurrentUser, kDesktop, "ScreenSaveTimeOut", "1200"); },
       kExitDone,
       {user + "ScreenSaveTimeOut text " + Hex(TextBytes("840")),
        "SetSystemParameter ScreenSaverActive 1", "SetSystemParameter ScreenSaverTimeout 840",
        moved.back()}},
      // A time-out with zero bytes after its text is not the text alone: it is rewritten.
      {"a time-out stored with zero bytes after it",
       "activate " + kMinutes15,
       [](FakeRegistry& r) {
         r.Set(Hive::CurrentUser, kDesktop, "ScreenSavePowerOffTimeOut", ValueType::Text,
               Bytes{'9', '0', '0', 0, 0, 0});
       },
       kExitDone,
       {user + "ScreenSavePowerOffTimeOut text " + Hex(TextBytes("900")),
        "SetSystemParameter PowerOffActive 1", "SetSystemParameter PowerOffTimeout 900",
        "StartProcess C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme"}},
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
  const int writeFails = probe.FailAt("WriteFile", 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Lullcmd lullcmd(OsClass::WinXP, true);
    FakeWindows& windows = lullcmd.Next();
    windows.appendBusyFor = c.busyFor;
    windows.appendRefused = c.refused;
    if (c.write) {
      windows.failAt = writeFails;
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
