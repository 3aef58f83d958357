// The lines a log could not take, kept in the user's registry until a later run writes
// them: numbered in order, at most kKeptLineCount, the oldest making way for a new one.
#pragma once

#include <cstdint>

#include "settings/registry_key.h"

namespace lull {

inline constexpr KeyPath kKeptLinesKey = {Hive::CurrentUser,
                                          "Control Panel\\Desktop\\Corvane\\Lullcmd Log"};
inline constexpr std::uint32_t kKeptLineCount = 32;
// A log line's room, its CR LF included.
inline constexpr std::uint32_t kLogLineCapacity = 1024;

inline constexpr char kKeptStateName[] = "State";

// The bookkeeping, one registry value so that it changes in one step: the number the next
// kept line gets, the last number a log took, and an append of kept lines that may not have
// finished: where in the log it began and the last number it held (none when not above
// written).
// Four numbers of 32 bits, little-endian, in this order.
struct KeptState {
  std::uint32_t next = 1;
  std::uint32_t written = 0;
  std::uint32_t pendingOffset = 0;
  std::uint32_t pendingLast = 0;

  // The first number still kept: older ones were written or made way for newer ones.
  std::uint32_t First() const {
    return next - written > kKeptLineCount ? next - kKeptLineCount : written + 1;
  }
};

class KeptLines {
 public:
  explicit KeptLines(Platform& platform) : key_(platform) {}

  // Reads the bookkeeping; false when it is there but cannot be read, and then nothing may
  // be kept or written from it. No key means nothing kept.
  bool Load();
  const KeptState& state() const { return state_; }

  // The kept line of this number, into line (kLogLineCapacity bytes): its length; 0 when its
  // value does not hold it (it made way for a newer one), -1 when it could not be read.
  std::int32_t Read(std::uint32_t number, char* line);
  // Keeps a line as the newest; false when it could not.
  bool Keep(const char* line, std::uint32_t length);
  // Before an append of the kept lines up to last at offset of the log: on the disk first,
  // so that a run cut off after the append finds them there and writes none twice.
  bool MarkPending(std::uint32_t offset, std::uint32_t last);
  // The lines up to last are in the log: their values go. A mark of an append that may not
  // have finished moves on to offset, past them.
  void Written(std::uint32_t last, std::uint32_t offset);

 private:
  bool Store(const KeptState& state);

  RegistryKey key_;
  KeptState state_;
  bool opened_ = false;
};

}  // namespace lull
