#include "wizard/time_choice.h"

#include "resources/resource_ids.h"

namespace lull {
namespace {

constexpr TimeChoiceRow kTimeChoices[] = {
    {IDC_TIME_10, 600, "600", 540, "540"},
    {IDC_TIME_15, 900, "900", 840, "840"},
    {IDC_TIME_20, 1200, "1200", 1140, "1140"},
};

}  // namespace

const TimeChoiceRow& TimeChoice(std::uint32_t radioId) {
  for (const TimeChoiceRow& row : kTimeChoices) {
    if (row.radioId == radioId) return row;
  }
  return kTimeChoices[2];
}

ChosenTimes ChosenTimesOf(std::uint32_t radioId) {
  const TimeChoiceRow& row = TimeChoice(radioId);
  ChosenTimes chosen;
  chosen.chosenSleepSeconds = row.sleepSeconds;
  chosen.chosenSleepText = row.sleepText;
  chosen.chosenScreenSaverSeconds = row.screenSaverSeconds;
  chosen.chosenScreenSaverText = row.screenSaverText;
  return chosen;
}

}  // namespace lull
