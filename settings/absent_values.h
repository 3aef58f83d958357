// The Desktop values that did not exist when the backup was taken. An activation creates
// them, so the backup names them in "LullResetAbsent" and a reset deletes them again; a
// backup that merely lacks a row (another tool's, or one from before this list) names none,
// and its live value stays as it is.
#pragma once

#include "settings/places.h"

namespace lull {

// The list's form, as regedit shows it: the value names, apart by a comma and a blank.
inline constexpr char kAbsentNameSeparator[] = ", ";

// The places a reset may find absent from before: the Desktop's switches and time-outs.
constexpr bool MayBeAbsent(const Place& place) {
  return place.key == PlaceKey::Desktop &&
         (place.kind == PlaceKind::Switch || place.kind == PlaceKind::TimeOut);
}

// Adds the place's name to the list the rows hold.
void AddAbsentName(BackupTable& rows, const Place& place);

// Whether the list the rows hold names the place: a name of its own between commas or
// blanks, exactly.
bool NamedAbsent(const BackupTable& rows, const Place& place);

}  // namespace lull
