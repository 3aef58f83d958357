#include "settings/decimal.h"

#include "platform/text.h"

namespace lull {

std::uint32_t ParseDecimal(const char* text, std::uint32_t capacity) {
  constexpr std::uint32_t kDigitsCounted = 5;
  const std::uint32_t length = TextLength(text, capacity);
  const std::uint32_t first = length > kDigitsCounted ? length - kDigitsCounted : 0;
  std::uint32_t value = 0;
  for (std::uint32_t at = first; at < length; ++at) {
    value = value * 10 + (static_cast<unsigned char>(text[at]) & 0x0Fu);
  }
  return value;
}

}  // namespace lull
