// Power-policy records and row views for the settings tests. Each record has its own
// fill, so a record carried through byte for byte can be told from any other.
#pragma once

#include <cstdint>
#include <string>

#include "settings/backup_table.h"
#include "tests/support/fake_windows.h"

namespace lull::testing {

inline Bytes FilledRecord(std::uint32_t size, std::uint32_t offset, std::uint32_t videoTimeout,
                          std::uint8_t fill) {
  Bytes record(size);
  for (std::uint32_t at = 0; at < size; ++at) record[at] = static_cast<std::uint8_t>(fill + at);
  for (std::uint32_t at = 0; at < 4 && offset + at < size; ++at) {
    record[offset + at] = static_cast<std::uint8_t>(videoTimeout >> (8 * at));
  }
  return record;
}

// A "Policies" record (USER_POWER_POLICY): the video time-out at byte 56.
inline Bytes PoliciesRecord(std::uint32_t videoTimeout, std::uint8_t fill = 0x10,
                            std::uint32_t size = kPoliciesSize) {
  return FilledRecord(size, 56, videoTimeout, fill);
}

// An "AcPolicy" record (SYSTEM_POWER_POLICY): the video time-out at byte 192.
inline Bytes AcPolicyRecord(std::uint32_t videoTimeout, std::uint8_t fill = 0x20,
                            std::uint32_t size = kAcPolicySize) {
  return FilledRecord(size, 192, videoTimeout, fill);
}

// The bytes a row holds, up to its length.
inline Bytes RowBytes(const BackupEntry& row) { return Bytes(row.data, row.data + row.length); }

// The whole buffer of a row, present or not.
inline Bytes BufferBytes(const BackupEntry& row) {
  return Bytes(row.data, row.data + row.capacity);
}

}  // namespace lull::testing
