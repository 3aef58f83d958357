// What an operation did: the wizard's finish page after it tells of a failure, and lullcmd
// turns it into its result.
#pragma once

#include <cstdint>

namespace lull {

enum class Outcome : std::uint8_t {
  Done,
  // Activation: the settings in force could not all be read or the backup could not be
  // saved, so nothing was changed or announced. Reset: a setting could not be put back, or
  // the backup could not be read whole; the backup is kept for another try.
  Failed,
  // lullcmd's later activation over a backup from an earlier one: every live value already
  // was what it would write, so nothing was written, announced or started.
  Unchanged,
};

}  // namespace lull
