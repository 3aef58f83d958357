// The six status texts of the ShowCurrent page and the minutes text that goes into them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "session/texts.h"

namespace lull {

enum SummaryLine : std::size_t {
  kCurrentStateLine,
  kCurrentSleepLine,
  kCurrentScreenSaverLine,
  kPreviousStateLine,
  kPreviousSleepLine,
  kPreviousScreenSaverLine,
  kSummaryLineCount,
};

// Whole minutes without leading zeros (none at all for less than a minute), then " min"
// for exactly one minute or " mins" otherwise, then ".". Returns the length written, or 0
// when the capacity (terminator included) is too small.
std::uint32_t FormatMinutes(std::uint32_t seconds, char* out, std::uint32_t capacity);

// Where the changing part of a line begins: after its label's colon and two blanks.
constexpr std::uint32_t LabelEnd(const char* line) {
  std::uint32_t at = 0;
  while (line[at] != ':') ++at;
  return at + 3;
}

// Each line as it starts: its label, then "Inactive" or "(never)".
inline constexpr const char* kInitialLines[kSummaryLineCount] = {
    kStateLineText, kSleepLineText, kScreenSaverLineText,
    kStateLineText, kSleepLineText, kScreenSaverLineText};

class SummaryLines {
 public:
  SummaryLines();

  const char* operator[](std::size_t line) const { return text_[line]; }

  // Puts the minutes text of seconds in place of a time line's "(never)" placeholder.
  void ShowMinutes(SummaryLine line, std::uint32_t seconds);
  // Turns "Inactive" into "Active" in a Sleepwell line.
  void MarkActive(SummaryLine line);

  // The longest minutes text: ten digits of minutes, " mins" and ".", with room to spare.
  static constexpr std::uint32_t kMinutesCapacity = 20;
  // The longest label, then the longest minutes text.
  static constexpr std::uint32_t kLineCapacity = [] {
    std::uint32_t longest = 0;
    for (const char* line : kInitialLines) {
      if (LabelEnd(line) > longest) longest = LabelEnd(line);
    }
    return longest + kMinutesCapacity;
  }();

 private:
  char text_[kSummaryLineCount][kLineCapacity];
};

}  // namespace lull
