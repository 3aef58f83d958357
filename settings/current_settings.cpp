#include "settings/current_settings.h"

#include "settings/absent_values.h"
#include "settings/places.h"

namespace lull {
namespace {

// One value read aside: a row changes only when the whole value was read, because Windows
// leaves a buffer's contents undefined when the value does not fit.
struct ValueRead {
  std::uint8_t data[kLargestRowCapacity];
  std::uint32_t size = 0;
};

// A scheme index is one digit: a longer one cannot be put into the key path, and any
// other character would lead to a key that is not a power scheme.
bool OneDigitText(const ValueRead& value) {
  const bool oneCharacter = value.size == 1 || (value.size == 2 && value.data[1] == 0);
  return oneCharacter && value.data[0] >= '0' && value.data[0] <= '9';
}

}  // namespace

bool ReadCurrentSettings(SettingsStore& store) {
  BackupTable& rows = store.backup;
  bool complete = true;
  PlaceKeys keys(store);
  // The scheme index read, while its Policies record is still to be read; 0 for none.
  char scheme = 0;
  // The list of the values that are not there is made afresh.
  rows[kRowAbsent].length = 0;
  for (const Place& place : kPlaces) {
    if (place.kind == PlaceKind::Program || !KeptOn(store.os, place)) continue;
    if (place.key == PlaceKey::PowerScheme && scheme == 0) continue;
    BackupEntry& row = rows[place.row];
    ValueRead value;
    ValueType type = ValueType::None;
    value.size = row.capacity;
    RegResult result = keys.Open(place);
    const bool keyOpen = result == kRegSuccess;
    if (keyOpen) result = keys.key().Query(place.name, type, value.data, value.size);
    // Only a value the open key does not hold did not exist: one that could not be read or was
    // too long for its row may well exist. A row an older backup left for it goes, so that the
    // backup never both holds it and names it.
    if (keyOpen && IsNotFound(result) && MayBeAbsent(place)) {
      AddAbsentName(rows, place);
      row.length = 0;
    }
    // A result that says neither success nor "not there" is a call that failed.
    if (result != kRegSuccess && !IsNotFoundDeniedOrMoreData(result)) complete = false;
    if (result != kRegSuccess || value.size > row.capacity) continue;
    switch (place.kind) {
      case PlaceKind::Switch:
        // An empty value of no bytes at all holds no character to keep.
        if (value.size >= 1) rows.SetCharacter(place.row, static_cast<char>(value.data[0]));
        break;
      case PlaceKind::TimeOut:
        // A time-out of more than five characters, with or without its terminator, is missing.
        rows.TakeValue(place.row, ValueType::Text, value.data, value.size);
        break;
      case PlaceKind::SchemeIndex:
        if (OneDigitText(value)) {
          scheme = static_cast<char>(value.data[0]);
          store.powerSchemeKeyPath.SetIndex(scheme);
        }
        break;
      case PlaceKind::Record:
        // The records are carried through whole and written back whole, so a record of any
        // other size is not one the program understands and counts as missing. The scheme
        // index is kept with the user's record, and only with it.
        if (value.size != row.capacity) break;
        if (place.key == PlaceKey::PowerScheme) rows.SetCharacter(kRowPowerPolicyIndex, scheme);
        rows.TakeValue(place.row, ValueType::Binary, value.data, value.size);
        break;
      case PlaceKind::Program:
        break;
    }
  }
  return complete;
}

}  // namespace lull
