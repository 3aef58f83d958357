// Decimal time-out texts ("600") to seconds.
#pragma once

#include <cstdint>

namespace lull {

// The value of at most the last five characters of a text, each counting by the low four
// bits of its code (so a space counts as 0). The text ends at its first zero byte or after
// capacity bytes, whichever comes first: a value stored without its terminator is never
// read past its buffer.
std::uint32_t ParseDecimal(const char* text, std::uint32_t capacity);

}  // namespace lull
