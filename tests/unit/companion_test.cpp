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
#include "command/kept_lines.h"
#include "command/log_append.h"
#include "command/log_line.h"
#include "command/usage.h"
#include "session/texts.h"
#include "session/time_choice.h"
#include "tests/support/computer.h"

namespace lull::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kMinutes10 = std::to_string(kTimeChoices[0].minutes);
const std::string kMinutes15 = std::to_string(kTimeChoices[1].minutes);
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
    WizardRun lullcmd(c.os, c.activated);
    const std::string command = c.command + " /log " + kLog;
    if (!c.failing.empty()) {
      WizardRun probe(c.os, c.activated);
      probe.RunCommand(command);
      lullcmd.windows.failAt = probe.FailAt(c.failing, c.nth);
    }
    const FakeRegistry::Key before = BackupKeyOf(lullcmd.windows.registry);
    EXPECT_EQ(lullcmd.RunCommand(command), c.exitCode);
    EXPECT_EQ(lullcmd.windows.GetFile(kLog).has_value(), c.line != nullptr);
    const std::vector<std::string> lines = Lines(lullcmd.windows.output);
    ASSERT_FALSE(lines.empty());
    if (c.line) {
      EXPECT_EQ(lines[c.command == "status" ? lines.size() - 1 : 0], c.line);
      EXPECT_EQ(Joined(lines, c.command == "status" ? lines.size() : 1), c.note);
    } else {
      const std::string& output = lullcmd.windows.output;
      EXPECT_EQ(output, kUsage);
      // Each command as it is typed, under the first, and its word on the first of its own
      // lines.
      for (const CommandRow& row : kCommands) {
        const std::size_t typed = output.find(std::string("lullcmd ") + row.word);
        ASSERT_GE(typed, 7u) << row.word;
        EXPECT_EQ(output.substr(typed - 7, 7), typed == 7 ? "Usage: " : "       ") << row.word;
        std::string described = std::string("\r\n") + row.word;
        described.resize(2 + kUsageColumn, ' ');
        EXPECT_NE(output.find(described + row.usage), std::string::npos) << row.word;
        EXPECT_EQ(output.find(row.usage), output.rfind(row.usage)) << row.word;  // its own
      }
      // After activate's text, every time of the table in its order, as a list in words
      // ("10, 15 or 20.").
      const std::size_t times = output.find(kActivateUsage);
      ASSERT_NE(times, std::string::npos);
      const std::string rest = output.substr(times + sizeof kActivateUsage - 1);
      std::smatch list;
      ASSERT_TRUE(std::regex_search(rest, list, std::regex("^(\\d+, )*\\d+ or \\d+\\.")));
      std::istringstream words(std::regex_replace(list.str(), std::regex("\\D+"), " "));
      std::vector<std::uint32_t> listed, table;
      for (std::uint32_t minutes; words >> minutes;) listed.push_back(minutes);
      for (const TimeChoiceRow& row : kTimeChoices) table.push_back(row.minutes);
      EXPECT_EQ(listed, table);
    }
    EXPECT_EQ(Changes(lullcmd.windows).empty(), !c.changes);
    EXPECT_EQ(BackupKeyOf(lullcmd.windows.registry) == before, c.keepsBackup);
    // Nothing but an operation on a supported Windows reads a setting.
    EXPECT_EQ(lullcmd.windows.CallsOf({CallKind::OpenKey}).empty(),
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
    WizardRun lullcmd(OsClass::WinXP), wizard(OsClass::WinXP);
    for (FakeRegistry* r : {&lullcmd.windows.registry, &wizard.windows.registry}) {
      r->SetText(Hive::CurrentUser, kDesktop, "ScreenSaveActive", c.active);
      r->SetText(Hive::CurrentUser, kDesktop, "ScreenSaveTimeOut", c.timeOut);
    }
    wizard.Activate(IDC_TIME_15, c.moved);
    EXPECT_EQ(lullcmd.RunCommand("activate " + kMinutes15 + " " + c.arguments), kExitDone);
    EXPECT_EQ(Changes(lullcmd.windows), Changes(wizard.windows));
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const WizardRun typical(OsClass::WinXP);
    WizardRun lullcmd(OsClass::WinXP, true);
    if (c.change) c.change(lullcmd.windows.registry);
    const FakeRegistry::Key backup = BackupKeyOf(lullcmd.windows.registry);
    EXPECT_EQ(lullcmd.RunCommand(c.arguments), c.exitCode);
    EXPECT_EQ(Changes(lullcmd.windows), c.changes);
    EXPECT_EQ(BackupKeyOf(lullcmd.windows.registry), backup);
    EXPECT_EQ(Lines(lullcmd.windows.output).at(0),
              c.exitCode == kExitDone ? kActivatedAgainText : kAlreadyActiveText);
    // The reset that follows puts back the settings from before the first activation.
    EXPECT_TRUE(ResetLater(lullcmd.windows));
    EXPECT_TRUE(LiveRegistry(lullcmd.windows.registry) == LiveRegistry(typical.windows.registry));
  }
}

// A backup that roamed from another computer leaves this one's machine policies alone, and
// lullcmd says so.
TEST(Activate, OnAnotherComputerSaysItLeavesTheMachinePolicies) {
  WizardRun lullcmd(OsClass::WinXP, true);
  lullcmd.windows.computerName = "PC041";
  EXPECT_EQ(lullcmd.RunCommand("activate " + kMinutes10), kExitDone);
  EXPECT_EQ(Joined(Lines(lullcmd.windows.output), 1), kOtherComputerNote);
}

// The six lines of ShowCurrent as the wizard makes them, without their trailing blanks;
// the previous ones only with a backup from an activation.
TEST(Status, PrintsTheWizardsSummaryLinesAndChangesNothing) {
  for (const bool activated : {false, true}) {
    SCOPED_TRACE(activated);
    WizardRun lullcmd(OsClass::WinXP, activated);
    const auto started = lullcmd.Next();
    started->StartUp();
    std::vector<std::string> expected = {kCurrentHeading};
    for (std::size_t line = 0; line < kSummaryLineCount; ++line) {
      if (line == kPreviousStateLine) {
        if (!activated) break;
        expected.push_back(kPreviousHeading);
      }
      std::string text = started->program.lines[line];
      expected.push_back("  " + text.substr(0, text.find_last_not_of(' ') + 1));
    }
    expected.push_back(activated ? kStatusText : kNothingToResetText);

    EXPECT_EQ(lullcmd.RunCommand("status"), kExitDone);
    EXPECT_EQ(Lines(lullcmd.windows.output), expected);
    EXPECT_THAT(Changes(lullcmd.windows), IsEmpty());
  }
}

// A text split at a separator.
std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find(separator, at)) != std::string::npos;
       at = end + separator.size()) {
    parts.push_back(text.substr(at, end - at));
  }
  parts.push_back(text.substr(at));
  return parts;
}

// A status line's value as status prints it: the summary line after its label.
std::string ShownValue(SummaryLine line, std::optional<std::uint32_t> seconds = {},
                       bool active = false) {
  SummaryLines lines;
  if (seconds) lines.ShowMinutes(line, *seconds);
  if (active) lines.MarkActive(line);
  const std::string text = lines[line];
  return text.substr(LabelEnd(text.c_str()),
                     text.find_last_not_of(' ') + 1 - LabelEnd(text.c_str()));
}

// One line per run appended to the file, in one WriteFile, after Windows was told to show
// no box for a drive that is not ready.
TEST(Log, AppendsOneWholeLinePerRun) {
  WizardRun lullcmd(OsClass::WinXP);
  FakeWindows& windows = lullcmd.windows;
  windows.SetFile(kLog, "an earlier line\r\n");
  windows.userName.reset();
  EXPECT_EQ(lullcmd.RunCommand("status\t/log  " + std::string(kLog) + "  "), kExitDone);
  const std::string line =
      "2003-04-05 06:07:08\tPC042\t" + std::string(kNameNotKnownText) + "\tstatus /log  " + kLog +
      "\t0\t" + kNothingToResetText + "\t" + kWindowsNames[static_cast<int>(OsClass::WinXP)] +
      "\t" + ShownValue(kCurrentStateLine) + "\t" + ShownValue(kCurrentSleepLine) + "\t" +
      ShownValue(kCurrentScreenSaverLine, 1200) + "\t" + kNoResetText + "\t\t\r\n";
  EXPECT_EQ(windows.GetFile(kLog), "an earlier line\r\n" + line);
  EXPECT_THAT(windows.CallsOf({CallKind::WriteFile}),
              ElementsAre("WriteFile " + Hex(line.data(), line.size())));
  EXPECT_EQ(windows.calls.front().kind, CallKind::FailCriticalErrorsQuietly);
}

// The fields beside the message, by command and Windows: a user 95/98/Me cannot name yet, in
// words; the version; status's settings in force and whether a reset is possible; Windows
// 95's restart.
TEST(Log, TellsTheInventoryOfEachCommandAndWindows) {
  const std::string activate = "activate " + kMinutes15 + " /move";
  const std::string active = ShownValue(kCurrentStateLine, std::nullopt, true) + "\t" +
                             ShownValue(kCurrentSleepLine, 900) + "\t" +
                             ShownValue(kCurrentScreenSaverLine, 840) + "\t" + kResetPossibleText;
  const std::string none = "\t\t\t";
  const struct {
    OsClass os;
    bool activated;
    std::string command;
    std::string user;
    std::string rest;  // from Sleepwell's field on
  } cases[] = {
      {OsClass::WinXP, true, "status", "Jo Smith", active + "\t"},
      {OsClass::Win98, true, "status", kUserNotKnownYetText, active + "\t"},
      {OsClass::Win95, false, activate, kUserNotKnownYetText, none + "\t" + kRestartNeededText},
      {OsClass::Win95, true, "reset", "Jo Smith", none + "\t" + kRestartNeededText},
      {OsClass::Win95, true, activate, "Jo Smith", none + "\t"},
      {OsClass::WinMe, false, activate, "Jo Smith", none + "\t"},
      {OsClass::Win2000, true, "reset", "Jo Smith", none + "\t"},
      {OsClass::UnsupportedNt, false, "status", "Jo Smith", none + "\t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " on " + kWindowsNames[static_cast<int>(c.os)]);
    WizardRun lullcmd(c.os, c.activated);
    if (c.user != "Jo Smith") lullcmd.windows.userName.reset();
    lullcmd.RunCommand(c.command + " /log " + kLog);
    const std::vector<std::string> fields = Split(*lullcmd.windows.GetFile(kLog), "\t");
    ASSERT_EQ(fields.size(), 13u);
    EXPECT_EQ(fields[2], c.user);
    EXPECT_EQ(fields[6], kWindowsNames[static_cast<int>(c.os)]);
    std::string rest = fields[7];
    for (std::size_t field = 8; field < fields.size(); ++field) rest += "\t" + fields[field];
    EXPECT_EQ(rest, c.rest + "\t\r\n");
  }
}

// The file a log names, or in a folder the computer's own; a last line cut short is ended
// first, in the same write.
TEST(Log, EndsACutLineAndTakesAFolderAsOneFilePerComputer) {
  const struct {
    std::string given;
    std::optional<std::string> computer;
    std::string file;
    std::string before;
    std::string prefix;  // what stands before the run's line
  } cases[] = {
      {kLog, "PC042", kLog, "", ""},
      {kLog, "PC042", kLog, "whole\r\n", "whole\r\n"},
      {kLog, "PC042", kLog, "whole\n", "whole\n"},
      {kLog, "PC042", kLog, "cut", "cut\r\n"},
      {kLog, "PC042", kLog, "cut\r", "cut\r\r\n"},
      {"\\\\server\\logs\\", "PC042", "\\\\server\\logs\\PC042.LOG", "cut", "cut\r\n"},
      {"\\", "PC042", "\\PC042.LOG", "", ""},
      {"\\\\server\\logs\\", std::nullopt,
       std::string("\\\\server\\logs\\") + kUnnamedComputer + kComputerLogExtension, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given + " holding " + c.before);
    WizardRun lullcmd(OsClass::WinXP);
    if (!c.before.empty()) lullcmd.windows.SetFile(c.file, c.before);
    lullcmd.windows.computerName = c.computer;
    lullcmd.RunCommand("status /log \"" + c.given + "\"");
    const std::string content = lullcmd.windows.GetFile(c.file).value_or("(none)");
    EXPECT_EQ(content.substr(0, c.prefix.size()), c.prefix);
    EXPECT_EQ(content.substr(c.prefix.size(), 20), "2003-04-05 06:07:08\t");
    EXPECT_EQ(lullcmd.windows.CallsOf({CallKind::WriteFile}).size(), 1u);
    EXPECT_EQ(lullcmd.windows.files.size(), 1u);
  }
}

// While other PCs hold the file it is tried again, for kLogWaitMilliseconds on the clock; a
// log that cannot be written is told on the console, with the file, why and that the line
// is kept, and the exit code stays the command's.
TEST(Log, WaitsOnTheClockForAFileOtherPcsHoldThenKeepsTheLine) {
  const struct {
    const char* what;
    int busyFor;
    std::uint32_t openTakes;
    FileError refused;
    std::optional<FailureMode> write;  // the WriteFile fails so
    std::size_t sleeps;
    LogFault fault;
  } cases[] = {
      {"busy for three tries", 3, 0, FileError::None, std::nullopt, 3, LogFault::None},
      {"busy for ever", 1 << 20, 0, FileError::None, std::nullopt,
       kLogWaitMilliseconds / kLogRetryMilliseconds, LogFault::Busy},
      // Each try takes 2.5 s: the fourth ends past the wait.
      {"busy for ever on a slow network", 1 << 20, 2500, FileError::None, std::nullopt, 3,
       LogFault::Busy},
      {"not found", 0, 0, FileError::NotFound, std::nullopt, 0, LogFault::NotFound},
      {"access denied", 0, 0, FileError::Denied, std::nullopt, 0, LogFault::Denied},
      {"a short write", 0, 0, FileError::None, FailureMode::ShortWrite, 0, LogFault::NotWritten},
      {"a failed write", 0, 0, FileError::None, FailureMode::Error, 0, LogFault::NotWritten},
  };
  WizardRun probe(OsClass::WinXP, true);
  probe.RunCommand("reset /log x.log");
  const int writeFails = probe.FailAt("WriteFile", 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WizardRun lullcmd(OsClass::WinXP, true);
    FakeWindows& windows = lullcmd.windows;
    windows.appendBusyFor = c.busyFor;
    windows.openTakes = c.openTakes;
    windows.appendRefused = c.refused;
    if (c.write) {
      windows.failAt = writeFails;
      windows.failureMode = *c.write;
    }
    EXPECT_EQ(lullcmd.RunCommand("reset /log x.log"), kExitDone);
    EXPECT_EQ(windows.sleeps.size(), c.sleeps);
    const std::vector<std::string> lines = Lines(windows.output);
    EXPECT_EQ(lines.front(), kResetText);
    EXPECT_EQ(Joined(lines, 1),
              c.fault == LogFault::None
                  ? ""
                  : std::string(kLogNotWrittenBefore) + "x.log" + kLogNotWrittenAfter +
                        kLogFaultTexts[static_cast<int>(c.fault)] + kLineKeptText);
    EXPECT_EQ(windows.OpenFileCount(), 0);
  }
}

// Lines the log could not take are kept on the PC and written first, in order, by the next
// run that writes the log, in its one write, and then never again; at most kKeptLineCount,
// and the next line written says how many older ones made way.
TEST(Log, KeepsLinesItCouldNotWriteAndWritesThemFirst) {
  for (const std::uint32_t failed : {2u, kKeptLineCount + 3}) {
    SCOPED_TRACE(failed);
    auto lullcmd = std::make_unique<WizardRun>(OsClass::WinXP);
    // Numbers past a byte's, as years of logons bring.
    if (failed > kKeptLineCount) {
      lullcmd->windows.registry.SetBinary(
          Hive::CurrentUser, kKeptLinesKey.path, kKeptStateName,
          {0x45, 0x23, 0x01, 0x80, 0x44, 0x23, 0x01, 0x80, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    const auto run = [&](std::uint32_t second, FileError error) {
      lullcmd = lullcmd->Next();
      lullcmd->windows.localTime.second = static_cast<std::uint16_t>(second);
      lullcmd->windows.appendRefused = error;
      lullcmd->RunCommand("status /log x.log");
      return lullcmd->windows.CallsOf({CallKind::WriteFile}).size();
    };
    for (std::uint32_t second = 0; second < failed; ++second) {
      run(second, second % 2 ? FileError::Denied : FileError::NotFound);
      EXPECT_TRUE(Joined(Lines(lullcmd->windows.output), 1).ends_with(kLineKeptText));
    }
    EXPECT_FALSE(lullcmd->windows.GetFile("x.log"));
    EXPECT_EQ(run(59, FileError::None) + run(58, FileError::None), 2u);
    const std::uint32_t dropped = failed > kKeptLineCount ? failed - kKeptLineCount : 0;
    const std::vector<std::string> lines = Split(*lullcmd->windows.GetFile("x.log"), "\r\n");
    ASSERT_EQ(lines.size(), failed - dropped + 3);
    for (std::uint32_t line = 0; line + 1 < lines.size(); ++line) {
      const std::string second = line + 3 < lines.size()    ? std::to_string(100 + dropped + line)
                                 : line + 3 == lines.size() ? "159"
                                                            : "158";
      EXPECT_EQ(lines[line].substr(17, 2), second.substr(1));
      EXPECT_EQ(Split(lines[line], "\t").back(), line + 3 == lines.size() && dropped
                                                     ? kLinesDroppedText + std::to_string(dropped)
                                                     : "");
    }
    // Lines written leave the key: the bookkeeping alone stays.
    EXPECT_EQ(lullcmd->windows.registry.ValueNames(Hive::CurrentUser, kKeptLinesKey.path).size(),
              1u);
  }
}

// More lines kept than there is room for, then a run whose read of one of them fails: the
// lines it could not read, and those after them, wait; none is lost or written twice.
TEST(Log, ALineThatCannotBeReadWaitsWithThoseAfterIt) {
  auto lullcmd = std::make_unique<WizardRun>(OsClass::WinXP);
  const auto run = [&](std::uint16_t second, FileError error, std::optional<int> failAt) {
    lullcmd = lullcmd->Next();
    lullcmd->windows.localTime.second = second;
    lullcmd->windows.appendRefused = error;
    lullcmd->windows.failAt = failAt;
    lullcmd->RunCommand("status /log x.log");
  };
  const std::uint16_t kept = kKeptLineCount + 3;
  for (std::uint16_t second = 0; second < kept; ++second) run(second, FileError::Denied, {});
  auto probe = lullcmd->Next();
  probe->RunCommand("status /log x.log");
  run(kept, FileError::None,
      probe->FailAt("QueryValue HKCU\\" + std::string(kKeptLinesKey.path) + " Line", 4));
  run(kept + 1, FileError::None, {});
  const std::string log = *lullcmd->windows.GetFile("x.log");
  for (std::uint16_t second = kept - kKeptLineCount; second <= kept + 1; ++second) {
    const std::string time = (second < 10 ? ":0" : ":") + std::to_string(second) + "\t";
    EXPECT_EQ(log.find(time), log.rfind(time)) << second;
    EXPECT_NE(log.find(time), std::string::npos) << second;
  }
}

// A kept line that is gone from the registry, or too long for a line (another tool wrote it),
// counts as dropped; the one after it still goes.
TEST(Log, CountsAKeptLineThatIsGoneAsDropped) {
  for (const bool gone : {true, false}) {
    auto lullcmd = std::make_unique<WizardRun>(OsClass::WinXP);
    for (const FileError error : {FileError::Denied, FileError::Denied, FileError::None}) {
      lullcmd = lullcmd->Next();
      FakeWindows& windows = lullcmd->windows;
      windows.appendRefused = error;
      if (error == FileError::None) {
        auto& kept = windows.registry.Find(Hive::CurrentUser, kKeptLinesKey.path)->values;
        const auto state = kept.find("State");  // the first kept line, not the bookkeeping
        const auto first = state == kept.begin() ? std::next(state) : kept.begin();
        if (gone) {
          kept.erase(first);
        } else {
          first->second.data.resize(4 + kLogLineCapacity + 8, 'x');
        }
      }
      lullcmd->RunCommand("status /log x.log");
    }
    const std::vector<std::string> lines = Split(*lullcmd->windows.GetFile("x.log"), "\r\n");
    ASSERT_EQ(lines.size(), 3u);  // the second kept line, the run's own, and the end
    EXPECT_EQ(Split(lines[1], "\t").back(), kLinesDroppedText + std::string("1"));
  }
}

// The kept lines' values as another tool sees them: each line under its number's two digits,
// the bookkeeping as four numbers of 32 bits, little-endian; a key without bookkeeping is
// nothing kept, and bookkeeping of another type cannot be read.
TEST(KeptLines, StoresEachLineUnderItsNumberAndTheBookkeepingLittleEndian) {
  FakeWindows fake;
  fake.registry.CreateKey(Hive::CurrentUser, kKeptLinesKey.path);
  KeptLines kept(fake);
  ASSERT_TRUE(kept.Load());
  for (int line = 0; line < 12; ++line) ASSERT_TRUE(kept.Keep("x", 1));
  const auto& values = fake.registry.Find(Hive::CurrentUser, kKeptLinesKey.path)->values;
  EXPECT_EQ(values.size(), 13u);  // the bookkeeping and twelve lines
  EXPECT_TRUE(values.count("Line09") && values.count("Line12"));
  EXPECT_EQ(values.at("State").data, Bytes({13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  const Bytes state = {0x01, 0x02, 0x03, 0x04, 0,    0,    0,    0,
                       0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C};
  fake.registry.SetBinary(Hive::CurrentUser, kKeptLinesKey.path, "State", state);
  KeptLines again(fake);
  ASSERT_TRUE(again.Load());
  const KeptState& read = again.state();
  EXPECT_EQ(
      std::vector<std::uint32_t>({read.next, read.written, read.pendingOffset, read.pendingLast}),
      std::vector<std::uint32_t>({0x04030201, 0, 0x08070605, 0x0C0B0A09}));
  // Bookkeeping of another type is none to act on.
  fake.registry.Set(Hive::CurrentUser, kKeptLinesKey.path, "State", ValueType::Text, state);
  EXPECT_FALSE(KeptLines(fake).Load());
}

}  // namespace
}  // namespace lull::testing
