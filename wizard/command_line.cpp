#include "wizard/command_line.h"

#include "platform/text.h"

namespace lull {
namespace {

constexpr char kQuote = '"';
constexpr char kSpace = ' ';
constexpr char kEquals = '=';
constexpr char kAboutSwitch[] = "/?";
constexpr std::uint32_t kAboutSwitchLength = sizeof kAboutSwitch - 1;
constexpr std::uint32_t kScanWindow = 4096;

constexpr bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// A byte matches an upper-case letter when it does with bits 0x20 and 0x80 cleared.
constexpr bool MatchesLetter(char c, char upper) {
  return (static_cast<unsigned char>(c) & ~0xA0u) == static_cast<unsigned char>(upper);
}

// True at a "." followed by "EXE" in any case; never reads past a terminator.
bool IsExeExtension(const char* text, std::uint32_t at) {
  return text[at] == '.' && MatchesLetter(text[at + 1], 'E') && MatchesLetter(text[at + 2], 'X') &&
         MatchesLetter(text[at + 3], 'E');
}

std::uint32_t MeasureProgramDirectory(const char* text) {
  if (text[0] == '\0') return 0;
  std::uint32_t stop = 1;
  while (text[stop] != '\0' && !IsLineEnd(text[stop]) && !IsExeExtension(text, stop)) ++stop;
  // The file name is at least one character long.
  if (stop < 2) return 0;
  for (std::uint32_t at = stop - 2;; --at) {
    if (text[at] == '\\' || text[at] == ':') return at + 1;
    if (at == 0) return 0;
  }
}

// Moves past the first line end at or after at, and every line end right after it.
std::uint32_t SkipRestOfLine(const char* text, std::uint32_t at) {
  while (text[at] != '\0' && !IsLineEnd(text[at])) ++at;
  while (IsLineEnd(text[at])) ++at;
  return at;
}

// At an opening pair: the position just past the closing pair, or of the terminator
// when the block never closes. The closing pair is searched from the opening's second
// character, so "~~~" is a whole block.
std::uint32_t SkipBlock(const char* text, std::uint32_t at, char mark) {
  for (std::uint32_t look = at + 1; text[look] != '\0'; ++look) {
    if (text[look] == mark && text[look + 1] == mark) return look + 2;
  }
  return TextEnd(text, at);
}

}  // namespace

void NormalizeCommandLine(const char* raw, NormalizedCommandLine& line) {
  char* out = line.text;
  constexpr std::uint32_t kLast = kCommandLineCapacity - 1;
  std::uint32_t length = 0;
  std::uint32_t in = 0;
  while (raw[in] != '\0' && length < kLast) {
    const char c = raw[in++];
    if (c == kQuote) continue;
    out[length++] = c;
    if (c != kSpace) continue;
    // A run of spaces (and quotes) becomes one space, or one "=" when it leads to one.
    for (;;) {
      while (raw[in] == kSpace || raw[in] == kQuote) ++in;
      if (raw[in] != kEquals) break;
      out[length - 1] = kEquals;
      ++in;
    }
  }
  out[length] = '\0';
  line.programDirectoryLength = MeasureProgramDirectory(out);
}

bool FindKeyword(Platform& platform, const char* keyword, std::uint32_t keywordLength,
                 const char* text, std::uint32_t start, std::uint32_t limit) {
  std::uint32_t at = start;
  while (at < limit && text[at] != '\0') {
    const char c = text[at];
    if (c == ';') {
      at = SkipRestOfLine(text, at);
    } else if ((c == '~' || c == '/') && text[at + 1] == c) {
      at = SkipBlock(text, at, c);
      at = SkipRestOfLine(text, at);
    } else if (TextLength(text + at, keywordLength) == keywordLength &&
               platform.EqualIgnoringCase(text + at, keyword, keywordLength)) {
      return true;
    } else {
      ++at;
    }
  }
  return false;
}

bool AsksForAbout(Platform& platform, const NormalizedCommandLine& line) {
  const std::uint32_t start = line.programDirectoryLength;
  return FindKeyword(platform, kAboutSwitch, kAboutSwitchLength, line.text, start,
                     start + kScanWindow);
}

}  // namespace lull
