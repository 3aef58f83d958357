// The two power-policy records the program carries through whole, and the one field it
// reads and writes in each: the monitor's time-out in seconds, 0 meaning never.
#pragma once

#include <cstdint>

namespace lull {

inline constexpr std::uint32_t kPoliciesSize = 80;   // USER_POWER_POLICY, the user's
inline constexpr std::uint32_t kAcPolicySize = 232;  // SYSTEM_POWER_POLICY, the machine's
inline constexpr std::uint32_t kPoliciesVideoTimeoutOffset = 56;
inline constexpr std::uint32_t kAcPolicyVideoTimeoutOffset = 192;

constexpr std::uint32_t ReadLittleEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

constexpr void WriteLittleEndian32(std::uint8_t* bytes, std::uint32_t value) {
  for (int at = 0; at < 4; ++at) bytes[at] = static_cast<std::uint8_t>(value >> (8 * at));
}

}  // namespace lull
