#include "session/summary_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace lull {
namespace {

std::string Minutes(std::uint32_t seconds) {
  char text[SummaryLines::kMinutesCapacity] = {};
  const std::uint32_t length = FormatMinutes(seconds, text, sizeof text);
  EXPECT_EQ(length, std::string(text).size());
  return text;
}

TEST(FormatMinutes, WritesWholeMinutesWithTheRightUnit) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0, " mins."},
      {59, " mins."},
      {60, "1 min."},
      {119, "1 min."},
      {120, "2 mins."},
      {179, "2 mins."},
      {600, "10 mins."},
      {900, "15 mins."},
      {1140, "19 mins."},
      {6000, "100 mins."},
      {65535, "1092 mins."},
      // Beyond 65535 seconds the whole number of minutes is still written.
      {65536, "1092 mins."},
      {65580, "1093 mins."},
      {99999, "1666 mins."},
      {4294967295u, "71582788 mins."}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(Minutes(seconds), text) << seconds;
}

TEST(FormatMinutes, RefusesABufferTooSmallAndWritesNothing) {
  char text[6] = "xxxxx";
  EXPECT_EQ(FormatMinutes(600, text, sizeof text), 0u);
  EXPECT_STREQ(text, "xxxxx");
  char exact[9] = {};
  EXPECT_EQ(FormatMinutes(600, exact, sizeof exact), 8u);
  EXPECT_STREQ(exact, "10 mins.");
}

TEST(SummaryLines, TimesReplaceThePlaceholderAndEndTheLine) {
  SummaryLines lines;
  lines.ShowMinutes(kCurrentSleepLine, 900);
  lines.ShowMinutes(kCurrentScreenSaverLine, 30);
  lines.ShowMinutes(kPreviousSleepLine, 4294967295u);
  lines.ShowMinutes(kPreviousScreenSaverLine, 60);
  lines.MarkActive(kPreviousStateLine);
  EXPECT_STREQ(lines[kCurrentSleepLine], "Sleep Time:  15 mins.");
  EXPECT_STREQ(lines[kCurrentScreenSaverLine], "Screen Saver Time:   mins.");
  EXPECT_STREQ(lines[kPreviousSleepLine], "Sleep Time:  71582788 mins.");
  EXPECT_STREQ(lines[kPreviousScreenSaverLine], "Screen Saver Time:  1 min.");
  EXPECT_STREQ(lines[kPreviousStateLine], "Sleepwell:  Active");
  EXPECT_STREQ(lines[kCurrentStateLine], "Sleepwell:  Inactive");
}

}  // namespace
}  // namespace lull
