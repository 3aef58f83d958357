// lullcmd's console report: lines on standard output, each ending in CR LF, without
// trailing blanks, and texts broken at blanks to fit an 80-column console.
#pragma once

#include <cstdint>

#include "platform/console.h"

namespace lull {

// The widest line printed, for an 80-column console.
inline constexpr std::uint32_t kConsoleColumns = 79;

class Report {
 public:
  explicit Report(Console& console) : console_(console) {}

  // A text of the program's own as it is, line ends included.
  template <std::uint32_t N>
  void Write(const char (&text)[N]) {
    console_.WriteOutput(text, N - 1);
  }
  // The first length characters, without trailing blanks, as a line.
  void Line(const char* text, std::uint32_t length);
  // Broken at blanks into lines of at most kConsoleColumns; a word longer than that is cut.
  void Wrapped(const char* text);

 private:
  Console& console_;
};

}  // namespace lull
