// The texts lullcmd prints beside the wizard's own (wizard/texts.h): its usage, the line
// that says what a run did (also the message of its log line), and the headings of status.
// Every line fits an 80-column console.
#pragma once

namespace lull {

// The usage, around the minutes the table of times offers ("10, 15 or 20"). Bad input and
// "/?" write no log line: they run nothing, and their line would only repeat the usage.
constexpr char kUsageBeforeTimes[] =
    "lullcmd activate MINUTES [/move] [/log FILE]\r\n"
    "lullcmd reset [/log FILE]\r\n"
    "lullcmd status [/log FILE]\r\n"
    "MINUTES is ";
constexpr char kUsageAfterTimes[] =
    ". An activation keeps the settings in force\r\n"
    "as the backup; a later one keeps that backup and writes only what differs.\r\n"
    "/move moves a screen saver that starts no earlier to a minute before. /log\r\n"
    "appends a line to FILE (not on bad input or /?), waiting up to 10 s while\r\n"
    "other PCs write it. A switch starts with / or - and may come first.\r\n"
    "Exit codes: 0 done, 1 nothing to do, 2 bad input, 3 not saved or not all\r\n"
    "restored (nothing is lost), 4 this Windows is not supported.\r\n";

// What a run did: one line on the console and the message of the log line.
constexpr char kActivatedText[] = "Activated; the settings from before are kept for a reset.";
constexpr char kActivatedAgainText[] = "Activated again; the first backup is kept.";
constexpr char kAlreadyActiveText[] = "Nothing to do: the times are in force already.";
constexpr char kNotActivatedText[] = "Not activated: the settings in force were not saved.";
constexpr char kResetText[] = "Reset: the settings from before are back.";
constexpr char kNotResetText[] = "Not reset: the backup is kept for another try.";
constexpr char kNothingToResetText[] = "Nothing to reset: no backup holds an activation.";
constexpr char kBackupUnreadableText[] = "Nothing changed: the backup could not be read.";
constexpr char kStatusText[] = "Status shown; a reset puts the previous settings back.";
constexpr char kUnsupportedText[] = "This version of Windows is not supported.";

// The headings of status, each above three summary lines.
constexpr char kCurrentHeading[] = "Current settings:";
constexpr char kPreviousHeading[] = "Previous settings:";

// After the line of a run whose log line could not be written.
constexpr char kLogNotWrittenText[] = "The log file could not be written.";

}  // namespace lull
