#include "settings/decimal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace lull {
namespace {

struct DecimalCase {
  const char* text;
  std::uint32_t bytes;  // how much of text is the buffer, terminator included or not
  std::uint32_t expected;
};

TEST(ParseDecimal, CountsAtMostTheLastFiveCharactersOfTheTextInItsBuffer) {
  const DecimalCase cases[] = {
      {"", 1, 0},
      {"600", 4, 600},
      {"1200", 5, 1200},
      {"  600", 6, 600},  // a space counts as 0
      {"99999", 6, 99999},
      {"123456", 7, 23456},  // only the last five characters count
      {"123456", 6, 23456},  // no terminator: the buffer's end ends the text
      {"12345", 5, 12345},
      {"600\0"
       "99",
       6, 600},       // the first zero ends the text
      {"1a", 3, 11},  // other characters count by their low four bits
      {"\xff\xff\xff\xff\xff", 6, 166665},
      {"7", 0, 0},  // an empty buffer holds no text
  };
  for (const DecimalCase& c : cases) {
    // An exactly sized buffer, so a read past its end is caught by the sanitizer.
    std::unique_ptr<char[]> buffer(new char[c.bytes == 0 ? 1 : c.bytes]);
    std::memcpy(buffer.get(), c.text, c.bytes);
    EXPECT_EQ(ParseDecimal(buffer.get(), c.bytes), c.expected)
        << '"' << c.text << "\" in " << c.bytes << " bytes";
  }
}

}  // namespace
}  // namespace lull
