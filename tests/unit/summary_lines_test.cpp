#include "session/summary_lines.h"

#include <gtest/gtest.h>

namespace lull {
namespace {

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
