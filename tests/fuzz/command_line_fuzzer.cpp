// The command line on arbitrary bytes: NormalizeCommandLine, AsksForAbout, and FindKeyword
// with any keyword, start and limit, each compared with a plain model of its rules.
// Texts live in heap blocks of exactly their size, so a read past a terminator is caught.
//
// Input: the keyword's length (first byte, from the end), start and limit (from the end),
// the keyword (front), then the command line up to its first zero byte.

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_windows.h"
#include "wizard/command_line.h"

namespace {

using lull::NormalizedCommandLine;

// Quotes go wherever they stand; then every space followed by any run of spaces and
// equals signs becomes one "=" when the run holds one, and one space otherwise. The
// buffer keeps the first 511 characters.
std::string ModelNormalize(const std::string& raw) {
  std::string unquoted;
  for (char c : raw) {
    if (c != '"') unquoted += c;
  }
  std::string out;
  for (std::size_t at = 0; at < unquoted.size();) {
    if (unquoted[at] != ' ') {
      out += unquoted[at++];
      continue;
    }
    bool equals = false;
    while (at < unquoted.size() && (unquoted[at] == ' ' || unquoted[at] == '=')) {
      equals = equals || unquoted[at] == '=';
      ++at;
    }
    out += equals ? '=' : ' ';
  }
  return out.substr(0, lull::kCommandLineCapacity - 1);
}

bool LetterMatches(const std::string& text, std::size_t at, char upper) {
  return at < text.size() && (static_cast<unsigned char>(text[at]) & 0x5F) == upper;
}

// Up to and including the last "\" or ":" before the file name, which ends at the first
// ".EXE" or line end after the first character and is at least one character long.
std::uint32_t ModelProgramDirectory(const std::string& text) {
  std::size_t stop = 1;
  while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n' &&
         !(text[stop] == '.' && LetterMatches(text, stop + 1, 'E') &&
           LetterMatches(text, stop + 2, 'X') && LetterMatches(text, stop + 3, 'E'))) {
    ++stop;
  }
  if (text.empty() || stop < 2) return 0;
  const std::size_t separator = text.find_last_of("\\:", stop - 2);
  return separator == std::string::npos ? 0 : static_cast<std::uint32_t>(separator + 1);
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::size_t PastLine(const std::string& text, std::size_t at) {
  while (at < text.size() && !IsLineEnd(text[at])) ++at;
  while (at < text.size() && IsLineEnd(text[at])) ++at;
  return at;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Whether the keyword matches outside comments and blocks.
bool ModelFind(const std::string& text, const std::string& keyword, std::uint32_t start,
               std::uint32_t limit) {
  std::size_t at = start;
  while (at < limit && at < text.size()) {
    const char c = text[at];
    if (c == ';') {
      at = PastLine(text, at);
    } else if ((c == '~' || c == '/') && at + 1 < text.size() && text[at + 1] == c) {
      const std::size_t close = text.find(std::string(2, c), at + 1);
      if (close == std::string::npos) return false;
      at = PastLine(text, close + 2);
    } else if (SameIgnoringCase(text.substr(at, keyword.size()), keyword)) {
      return true;
    } else {
      ++at;
    }
  }
  return false;
}

// A heap block of exactly the text and its terminator.
std::unique_ptr<char[]> Block(const std::string& text) {
  auto block = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(block.get(), text.c_str(), text.size() + 1);
  return block;
}

void CheckFind(lull::testing::FakeWindows& windows, const std::string& keyword,
               const std::string& text, std::uint32_t start, std::uint32_t limit) {
  const auto block = Block(text);
  const bool found =
      lull::FindKeyword(windows, keyword.data(), static_cast<std::uint32_t>(keyword.size()),
                        block.get(), start, limit);
  const bool expected = ModelFind(text, keyword, start, limit);
  FUZZ_CHECK(found == expected, "found %d, expected %d (start %u limit %u)", found, expected, start,
             limit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto keywordLength = in.ConsumeIntegralInRange<std::uint8_t>(1, 8);
  const auto startChoice = in.ConsumeIntegral<std::uint16_t>();
  const auto limitChoice = in.ConsumeIntegral<std::uint16_t>();
  std::string keyword = in.ConsumeBytesAsString(keywordLength);
  if (keyword.empty()) keyword = "/?";
  std::string raw = in.ConsumeRemainingBytesAsString();
  raw = raw.substr(0, raw.find('\0'));

  lull::testing::FakeWindows windows;
  windows.recordCalls = false;
  const auto rawBlock = Block(raw);
  auto line = std::make_unique<NormalizedCommandLine>();
  lull::NormalizeCommandLine(rawBlock.get(), *line);

  const std::uint32_t length = lull::TextLength(line->text, lull::kCommandLineCapacity);
  FUZZ_CHECK(length < lull::kCommandLineCapacity, "the normalized line is not terminated");
  const std::string normalized(line->text, length);
  FUZZ_CHECK(line->programDirectoryLength <= length, "directory %u past the line's %u",
             line->programDirectoryLength, length);
  FUZZ_CHECK(normalized == ModelNormalize(raw), "normalized \"%s\" from \"%s\"", normalized.c_str(),
             raw.c_str());
  FUZZ_CHECK(line->programDirectoryLength == ModelProgramDirectory(normalized),
             "directory %u, expected %u in \"%s\"", line->programDirectoryLength,
             ModelProgramDirectory(normalized), normalized.c_str());

  const std::uint32_t directory = line->programDirectoryLength;
  FUZZ_CHECK(lull::AsksForAbout(windows, *line) ==
                 ModelFind(normalized, "/?", directory, directory + 4096),
             "\"/?\" in \"%s\"", normalized.c_str());

  // Any keyword, from any start inside the text, with any limit (also before the start).
  const std::uint32_t limit = limitChoice == 0xFFFF ? 0xFFFFFFFFu : limitChoice;
  CheckFind(windows, keyword, normalized, startChoice % (normalized.size() + 1), limit);
  CheckFind(windows, keyword, raw, startChoice % (raw.size() + 1), limit);
  return 0;
}
