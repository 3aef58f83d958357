// The texts lullcmd prints beside the wizard's own (session/texts.h): its usage, the line
// that says what a run did (also the message of its log line), and the headings of status.
// Every line fits an 80-column console.
#pragma once

namespace lull {

// Each command's lines of the usage after its word; activate's stand around the minutes
// the table of times offers, as a list.
constexpr char kActivateUsage[] = "Turns on Sleepwell after MINUTES minutes: ";
constexpr char kActivateUsageAfterTimes[] =
    ".\r\n"
    "          The settings in force become the backup; a rerun keeps the first.\r\n"
    "          /move moves a screen saver that starts no earlier to a minute before.\r\n";
constexpr char kResetUsage[] = "Puts back the settings from before the activation.\r\n";
constexpr char kStatusUsage[] = "Shows the current and the previous settings.\r\n";
// The usage's last lines, on what every command takes. Bad input and "/?" write no log
// line: they run nothing, and their line would only repeat the usage.
constexpr char kUsageEnd[] =
    "/log FILE Adds a line for each run to FILE, waiting up to 10 seconds for it;\r\n"
    "          bad input and /? add none.\r\n"
    "A switch starts with / or - and may come before the command; case is ignored.\r\n"
    "Exit codes: 0 done, 1 nothing to do, 2 bad input, 3 not saved or not reset\r\n"
    "(nothing is lost), 4 this Windows is not supported.\r\n";

// What a run did: one line on the console and the message of the log line.
constexpr char kActivatedText[] =
    "Activated: the settings from before are kept in the backup for a reset.";
constexpr char kActivatedAgainText[] =
    "Activated again: the times are in force; the backup from before is kept.";
constexpr char kAlreadyActiveText[] = "Nothing to do: the times were in force already.";
constexpr char kNotActivatedText[] =
    "Not activated: the settings in force could not be read or kept.";
constexpr char kResetText[] = "Reset: the settings from before the activation are back.";
constexpr char kNotResetText[] = "Not reset: a setting could not be put back; the backup is kept.";
constexpr char kNothingToResetText[] = "Nothing to reset: no activation is kept in a backup.";
constexpr char kBackupUnreadableText[] = "Nothing changed: the backup could not be read.";
constexpr char kStatusText[] = "Status shown: a reset would put the previous settings back.";
constexpr char kUnsupportedText[] =
    "Not supported on this version of Windows: nothing was read or changed.";

// The headings of status, each above three summary lines.
constexpr char kCurrentHeading[] = "Current settings:";
constexpr char kPreviousHeading[] = "Previous settings, which a reset puts back:";

// After the line of a run over a backup that a roaming profile brought from another computer:
// a rerun and a reset touch only the user's own settings there.
constexpr char kOtherComputerNote[] =
    "This computer's machine power policies were left as they are: the backup was made on "
    "another computer, and holds that computer's.";

// After the line of a run whose log line could not be written: the file, why, and whether
// the line waits for a later run.
constexpr char kLogNotWrittenBefore[] = "The log file ";
constexpr char kLogNotWrittenAfter[] = " could not be written: ";
// Indexed by LogFault.
constexpr const char* kLogFaultTexts[] = {
    "", "held by another program", "not found", "access denied", "not opened", "not written whole"};
constexpr char kLineKeptText[] = ". The line is kept on this PC for a later run.";
constexpr char kLineNotKeptText[] = ". The line could not be kept either.";

// The log line's fields beside the message. The Windows version, indexed by OsClass.
constexpr const char* kWindowsNames[] = {"Windows 95",   "Windows 98", "Windows Me",
                                         "Windows 2000", "Windows XP", "Not supported"};
// A user's name that Windows 95, 98 and Me do not know yet: the logon script runs before
// the logon has ended. NT gives the name of the user whose script it is.
constexpr char kUserNotKnownYetText[] = "(not known yet)";
constexpr char kNameNotKnownText[] = "?";
// Status's: whether a reset would put previous settings back.
constexpr char kResetPossibleText[] = "Reset possible";
constexpr char kNoResetText[] = "No reset possible";
// An activation's or a reset's on Windows 95.
constexpr char kRestartNeededText[] = "Restart needed";
// Before the number of older kept lines that made room for newer ones, in the next line
// written.
constexpr char kLinesDroppedText[] = "Older lines dropped: ";
// The file of a computer whose name Windows does not give, in a folder given as the log.
constexpr char kUnnamedComputer[] = "UNKNOWN";
constexpr char kComputerLogExtension[] = ".LOG";

}  // namespace lull
