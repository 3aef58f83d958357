#include "command/report.h"

#include "platform/text.h"

namespace lull {

void Report::Line(const char* text, std::uint32_t length) {
  while (length != 0 && text[length - 1] == ' ') --length;
  console_.WriteOutput(text, length);
  Write("\r\n");
}

void Report::Wrapped(const char* text) {
  for (;;) {
    std::uint32_t cut = TextLength(text, kConsoleColumns);
    // What fits is the last line.
    if (text[cut] == '\0') {
      Line(text, cut);
      return;
    }
    while (cut != 0 && text[cut] != ' ') --cut;
    if (cut == 0) cut = kConsoleColumns;
    Line(text, cut);
    while (text[cut] == ' ') ++cut;
    text += cut;
  }
}

}  // namespace lull
