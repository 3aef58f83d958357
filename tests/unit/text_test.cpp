// The bounded text helpers: a copy never writes past its buffer and always ends the text.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace lull {
namespace {

TEST(CopyText, StopsOneByteBeforeTheEndForTheTerminator) {
  const struct {
    std::uint32_t capacity;
    const char* source;
    const char* copied;
  } cases[] = {{4, "abc", "abc"}, {4, "abcd", "abc"}, {1, "abc", ""}};
  for (const auto& c : cases) {
    char buffer[8];
    std::string(sizeof buffer, '#').copy(buffer, sizeof buffer);
    CopyText(buffer, c.capacity, c.source);
    EXPECT_STREQ(buffer, c.copied) << c.source;
    EXPECT_EQ(std::string(buffer + c.capacity, sizeof buffer - c.capacity),
              std::string(sizeof buffer - c.capacity, '#'))
        << c.source;
  }
}

}  // namespace
}  // namespace lull
