#include "command/kept_lines.h"

#include <cstring>

#include "platform/text.h"

namespace lull {
namespace {

// A line's value: "Line" and its number's place among the kKeptLineCount, two digits.
struct LineName {
  char text[7] = "Line00";
};
LineName NameOf(std::uint32_t number) {
  LineName name;
  const std::uint32_t slot = number % kKeptLineCount;
  name.text[4] = static_cast<char>('0' + slot / 10);
  name.text[5] = static_cast<char>('0' + slot % 10);
  return name;
}

// The registry keeps a binary value's bytes as given; both hosts, i686 Windows and the
// tests' x86-64, are little-endian, as the numbers are stored.
std::uint32_t Get32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}
static_assert(sizeof(KeptState) == 16, "four numbers of 32 bits");

}  // namespace

bool KeptLines::Load() {
  const RegResult opened = key_.Open(kKeptLinesKey);
  if (IsNotFound(opened)) return true;
  if (opened != kRegSuccess) return false;
  opened_ = true;
  std::uint8_t data[16];
  std::uint32_t size = sizeof data;
  ValueType type = ValueType::None;
  const RegResult read = key_.Query(kKeptStateName, type, data, size);
  if (IsNotFound(read)) return true;
  if (read != kRegSuccess || type != ValueType::Binary || size != sizeof data) return false;
  std::memcpy(&state_, data, sizeof data);
  // Numbers that cannot have come from a run are no bookkeeping to act on.
  return state_.written < state_.next;
}

std::int32_t KeptLines::Read(std::uint32_t number, char* line) {
  if (!opened_) return 0;
  std::uint8_t data[4 + kLogLineCapacity];
  std::uint32_t size = sizeof data;
  ValueType type = ValueType::None;
  const RegResult read = key_.Query(NameOf(number).text, type, data, size);
  if (read != kRegSuccess && !IsNotFoundDeniedOrMoreData(read)) return -1;
  if (read != kRegSuccess || type != ValueType::Binary || size <= 4 || Get32(data) != number) {
    return 0;
  }
  for (std::uint32_t at = 4; at < size; ++at) line[at - 4] = static_cast<char>(data[at]);
  return static_cast<std::int32_t>(size - 4);
}

bool KeptLines::Store(const KeptState& state) {
  if (key_.Set(kKeptStateName, ValueType::Binary, &state, sizeof state) != kRegSuccess) {
    return false;
  }
  state_ = state;
  return true;
}

bool KeptLines::Keep(const char* line, std::uint32_t length) {
  if (!opened_ && key_.Create(kKeptLinesKey) != kRegSuccess) return false;
  std::uint8_t data[4 + kLogLineCapacity];
  std::memcpy(data, &state_.next, 4);
  for (std::uint32_t at = 0; at < length; ++at) data[4 + at] = static_cast<std::uint8_t>(line[at]);
  KeptState kept = state_;
  ++kept.next;
  // The line first: bookkeeping that counts it only once it is there.
  return key_.Set(NameOf(state_.next).text, ValueType::Binary, data, 4 + length) == kRegSuccess &&
         Store(kept) && key_.Flush() == kRegSuccess;
}

bool KeptLines::MarkPending(std::uint32_t offset, std::uint32_t last) {
  KeptState pending = state_;
  pending.pendingOffset = offset;
  pending.pendingLast = last;
  return Store(pending) && key_.Flush() == kRegSuccess;
}

void KeptLines::Written(std::uint32_t last, std::uint32_t offset) {
  const std::uint32_t first = state_.First();
  KeptState written = state_;
  written.written = last;
  written.pendingOffset = offset;
  if (!Store(written)) return;
  // What is left of the written lines is only their room; a value not deleted is passed over.
  for (std::uint32_t number = first; number <= last; ++number) {
    key_.Delete(NameOf(number).text);
  }
}

}  // namespace lull
