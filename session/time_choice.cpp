#include "session/time_choice.h"

namespace lull {

ChosenTimes ChosenTimesOf(const TimeChoiceRow& row) {
  ChosenTimes chosen;
  chosen.chosenSleepSeconds = row.sleepSeconds;
  chosen.chosenSleepText = row.sleepText.text;
  chosen.chosenScreenSaverSeconds = row.screenSaverSeconds;
  chosen.chosenScreenSaverText = row.screenSaverText.text;
  return chosen;
}

}  // namespace lull
