// The texts the code shows, beside those of the page templates: the summary lines as they
// start, the Windows 95 restart note, and the notes of an operation that could not do its
// work. The command-line companion prints the same texts.
#pragma once

#include <cstdint>

namespace lull {

// The summary lines' initial texts: a label ending in a colon and two blanks, then what
// changes. "(never)" and its six blanks make way for a minutes text.
inline constexpr char kStateLineText[] = "Sleepwell:  Inactive";
inline constexpr char kSleepLineText[] = "Sleep Time:  (never)      ";
inline constexpr char kScreenSaverLineText[] = "Screen Saver Time:  (never)      ";
// What takes the place of "Inactive" in a Sleepwell line.
inline constexpr char kActiveText[] = "Active";

// On NormalFinish and ResetFinish, on Windows 95 only.
inline constexpr char kWin95Note[] =
    "(Note: On Windows 95 systems, the new settings will not take effect until you restart "
    "the system.)";

// After an activation whose backup could not be saved, and a reset that could not put
// everything back.
inline constexpr char kNotSavedNote[] =
    "(Note: Your current settings could not be saved, so nothing was changed.)";
inline constexpr char kNotRestoredNote[] =
    "(Note: Your previous settings could not be restored; they are kept for another try.)";

// The longest failure note, with its terminator.
inline constexpr std::uint32_t kFailureNoteCapacity = sizeof kNotRestoredNote;
static_assert(sizeof kNotSavedNote <= kFailureNoteCapacity, "every failure note fits");

}  // namespace lull
