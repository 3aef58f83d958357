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

// After the line of a run whose log line could not be written.
constexpr char kLogNotWrittenText[] = "The log file could not be written.";

}  // namespace lull
