#include "settings/absent_values.h"

#include "platform/text.h"

namespace lull {
namespace {

// The list of every name that may be absent, with its separators and terminator, fits.
static_assert(
    [] {
      std::uint32_t length = 1;
      for (const Place& place : kPlaces) {
        if (MayBeAbsent(place)) {
          length += TextLength(place.name, 64) + sizeof kAbsentNameSeparator - 1;
        }
      }
      return length;
    }() <= kAbsentNamesCapacity,
    "every absent name fits the list");

bool Separates(char c) { return c == ',' || c == ' '; }

}  // namespace

void AddAbsentName(BackupTable& rows, const Place& place) {
  BackupEntry& list = rows[kRowAbsent];
  char* text = reinterpret_cast<char*>(list.data);
  if (!list.present()) text[0] = '\0';
  std::uint32_t at = TextLength(text, list.capacity);
  if (at != 0) {
    CopyText(text + at, list.capacity - at, kAbsentNameSeparator);
    at = TextLength(text, list.capacity);
  }
  CopyText(text + at, list.capacity - at, place.name);
  list.length = TextLength(text, list.capacity) + 1;
  list.type = list.ownType;
}

bool NamedAbsent(const BackupTable& rows, const Place& place) {
  const BackupEntry& list = rows[kRowAbsent];
  if (!MayBeAbsent(place) || !list.present()) return false;
  const char* text = list.text();
  const std::uint32_t length = TextLength(text, list.length);
  const std::uint32_t nameLength = TextLength(place.name, 64);
  for (std::uint32_t at = 0; at < length;) {
    std::uint32_t end = at;
    while (end < length && !Separates(text[end])) ++end;
    bool same = end - at == nameLength;
    for (std::uint32_t k = 0; same && k < nameLength; ++k) same = text[at + k] == place.name[k];
    if (same) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace lull
