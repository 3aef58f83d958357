// Reads the display and power settings in force into the rows of the backup table.
#pragma once

#include "settings/settings_store.h"

namespace lull {

// Fills the rows it finds and marks them present; rows it does not find keep what they
// held. Sets the two time-outs to announce from the Desktop texts it reads. Returns false
// when a key or value that may be there could not be read (a call failed, rather than
// finding it missing, not writable or too large): the rows then miss a setting in force.
bool ReadCurrentSettings(SettingsStore& store);

// The video time-out, in seconds, of a power-policy record: offset 56 of the user
// policy ("Policies"), offset 192 of the machine policy ("AcPolicy").
inline constexpr std::uint32_t kPoliciesVideoTimeoutOffset = 56;
inline constexpr std::uint32_t kAcPolicyVideoTimeoutOffset = 192;
std::uint32_t ReadLittleEndian32(const std::uint8_t* bytes);
void WriteLittleEndian32(std::uint8_t* bytes, std::uint32_t value);

}  // namespace lull
