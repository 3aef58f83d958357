#include "resources/resource_ids.h"
#include "wizard/wizard_state.h"

namespace lull {
namespace {

// The screen saver starts one minute before the monitor sleeps.
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

}  // namespace lull
