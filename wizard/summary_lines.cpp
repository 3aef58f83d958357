#include "wizard/summary_lines.h"

#include "platform/text.h"
#include "wizard/texts.h"

namespace lull {
namespace {

// Where the changing part of a line begins: after its label's colon and two spaces.
constexpr std::uint32_t LabelEnd(const char* line) {
  std::uint32_t at = 0;
  while (line[at] != ':') ++at;
  return at + 3;
}
constexpr std::uint32_t kStateLabelLength = LabelEnd(kStateLineText);
constexpr std::uint32_t kSleepLabelLength = LabelEnd(kSleepLineText);
constexpr std::uint32_t kScreenSaverLabelLength = LabelEnd(kScreenSaverLineText);

constexpr std::uint32_t LabelLength(std::size_t line) {
  switch (line) {
    case kCurrentStateLine:
    case kPreviousStateLine:
      return kStateLabelLength;
    case kCurrentSleepLine:
    case kPreviousSleepLine:
      return kSleepLabelLength;
    default:
      return kScreenSaverLabelLength;
  }
}

}  // namespace

std::uint32_t FormatMinutes(std::uint32_t seconds, char* out, std::uint32_t capacity) {
  constexpr std::uint32_t kSecondsPerMinute = 60;
  const std::uint32_t minutes = seconds / kSecondsPerMinute;
  char digits[10];
  std::uint32_t digitCount = 0;
  for (std::uint32_t rest = minutes; rest != 0; rest /= 10) {
    digits[digitCount++] = static_cast<char>('0' + rest % 10);
  }
  const char* unit = minutes == 1 ? " min." : " mins.";
  const std::uint32_t length = digitCount + TextLength(unit, 8);
  if (length + 1 > capacity) return 0;
  std::uint32_t at = 0;
  while (digitCount != 0) out[at++] = digits[--digitCount];
  CopyText(out + at, capacity - at, unit);
  return length;
}

SummaryLines::SummaryLines() {
  static constexpr const char* kInitial[kSummaryLineCount] = {
      kStateLineText, kSleepLineText, kScreenSaverLineText,
      kStateLineText, kSleepLineText, kScreenSaverLineText};
  for (std::size_t line = 0; line < kSummaryLineCount; ++line) {
    CopyText(text_[line], kLineCapacity, kInitial[line]);
  }
}

void SummaryLines::ShowMinutes(SummaryLine line, std::uint32_t seconds) {
  const std::uint32_t label = LabelLength(line);
  FormatMinutes(seconds, text_[line] + label, kLineCapacity - label);
}

void SummaryLines::MarkActive(SummaryLine line) {
  const std::uint32_t label = LabelLength(line);
  CopyText(text_[line] + label, kLineCapacity - label, kActiveText);
}

}  // namespace lull
