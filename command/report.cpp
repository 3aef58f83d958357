#include "command/report.h"

#include "platform/text.h"

namespace lull {

void Report::Write(const char* text) { console_.WriteOutput(text, TextLength(text, 0xFFFF)); }

void Report::Line(const char* text, std::uint32_t length) {
  while (length != 0 && text[length - 1] == ' ') --length;
  console_.WriteOutput(text, length);
  Write("\r\n");
}

void Report::Line(const char* text) { Line(text, TextLength(text, 0xFFFF)); }

void Report::Wrapped(const char* text) {
  std::uint32_t length = TextLength(text, 0xFFFF);
  while (length > kConsoleColumns) {
    std::uint32_t cut = kConsoleColumns;
    while (cut != 0 && text[cut] != ' ') --cut;
    if (cut == 0) cut = kConsoleColumns;
    Line(text, cut);
    while (text[cut] == ' ') ++cut;
    text += cut;
    length -= cut;
  }
  Line(text, length);
}

}  // namespace lull
