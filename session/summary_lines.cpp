#include "session/summary_lines.h"

#include "platform/text.h"
#include "session/texts.h"
#include "session/time_choice.h"

namespace lull {

std::uint32_t FormatMinutes(std::uint32_t seconds, char* out, std::uint32_t capacity) {
  const std::uint32_t minutes = seconds / kSecondsPerMinute;
  char digits[10];
  std::uint32_t digitCount = 0;
  for (std::uint32_t rest = minutes; rest != 0; rest /= 10) {
    digits[digitCount++] = static_cast<char>('0' + rest % 10);
  }
  static constexpr char kMinute[] = " min.";
  static constexpr char kMinutes[] = " mins.";
  const char* unit = minutes == 1 ? kMinute : kMinutes;
  const std::uint32_t length = digitCount + TextLength(unit, sizeof kMinutes);
  if (length + 1 > capacity) return 0;
  std::uint32_t at = 0;
  while (digitCount != 0) out[at++] = digits[--digitCount];
  CopyText(out + at, capacity - at, unit);
  return length;
}

SummaryLines::SummaryLines() {
  for (std::size_t line = 0; line < kSummaryLineCount; ++line) {
    CopyText(text_[line], sizeof text_[line], kInitialLines[line]);
  }
}

void SummaryLines::ShowMinutes(SummaryLine line, std::uint32_t seconds) {
  const std::uint32_t label = LabelEnd(kInitialLines[line]);
  FormatMinutes(seconds, text_[line] + label, sizeof text_[line] - label);
}

void SummaryLines::MarkActive(SummaryLine line) {
  const std::uint32_t label = LabelEnd(kInitialLines[line]);
  CopyText(text_[line] + label, sizeof text_[line] - label, kActiveText);
}

}  // namespace lull
