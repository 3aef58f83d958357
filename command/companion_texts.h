// The texts lullcmd prints beside the wizard's own (wizard/texts.h): its usage, the line
// that says what a run did (also the message of its log line), and the headings of status.
// Every line fits an 80-column console.
#pragma once

namespace lull {

// The usage, around the minutes the table of times offers ("10, 15 or 20").
constexpr char kUsageBeforeTimes[] =
    "Usage: lullcmd activate MINUTES [/move] [/log FILE]\r\n"
    "       lullcmd reset [/log FILE]\r\n"
    "       lullcmd status [/log FILE]\r\n"
    "       lullcmd /?\r\n"
    "\r\n"
    "activate  Turns on Sleepwell: the monitor sleeps after MINUTES minutes, one of\r\n"
    "          ";
constexpr char kUsageAfterTimes[] =
    ".\r\n"
    "          The settings in force are kept as the backup first. With /move, a\r\n"
    "          screen saver that starts no earlier moves to one minute before.\r\n"
    "          Once activated, activate keeps that first backup and writes only the\r\n"
    "          times not yet in force, so that it can run at every logon.\r\n"
    "reset     Puts back the settings from before the activation.\r\n"
    "status    Shows the current settings and the previous ones; changes nothing.\r\n"
    "/log FILE Appends one line to FILE: date and time, computer, user, command,\r\n"
    "          exit code and what was done, waiting up to 10 seconds while another\r\n"
    "          PC writes to it. Bad input and /? write no line.\r\n"
    "\r\n"
    "Commands and switches ignore case. A switch starts with / or - and may stand\r\n"
    "before or after the command. A FILE with blanks goes in double quotes.\r\n"
    "Exit codes: 0 done, 1 nothing to do, 2 bad input, 3 the backup could not be\r\n"
    "saved or read, or the reset not finished (nothing is lost), 4 this Windows is\r\n"
    "not supported (nothing is read or written).\r\n";

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

// After the line of a run whose log line could not be written.
constexpr char kLogNotWrittenText[] = "The log file could not be written.";

}  // namespace lull
