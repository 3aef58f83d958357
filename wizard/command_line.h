// The command line: a cleaned copy of it, and the scanner that looks for "/?" in it.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/text.h"

namespace lull {

struct NormalizedCommandLine {
  // The cleaned copy; a longer line is cut to 511 characters.
  char text[kCommandLineCapacity] = {};
  // The characters at the front that belong to the program's directory, up to and
  // including its last "\" or ":".
  std::uint32_t programDirectoryLength = 0;
};

// Drops double quotes, folds runs of spaces into one, and joins "name = value" into
// "name=value"; then measures the program's directory.
void NormalizeCommandLine(const char* raw, NormalizedCommandLine& line);

// Whether keyword (compared ignoring case) is in the zero-terminated text from start on,
// skipping ";" comments to the end of the line and "~~" ... "~~" and "//" ... "//" blocks
// with the rest of their line. No match may begin at or past limit.
bool FindKeyword(Platform& platform, const char* keyword, std::uint32_t keywordLength,
                 const char* text, std::uint32_t start, std::uint32_t limit);

// True when "/?" follows the program's name on the command line.
bool AsksForAbout(Platform& platform, const NormalizedCommandLine& line);

}  // namespace lull
