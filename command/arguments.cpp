#include "command/arguments.h"

#include "command/commands.h"
#include "platform/text.h"

namespace lull {
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The word, ignoring the case of ASCII letters, is the lower-case keyword.
bool Is(const char* word, const char* keyword) {
  for (; *keyword != '\0'; ++word, ++keyword) {
    if (Folded(*word) != *keyword) return false;
  }
  return *word == '\0';
}

// The row of a command word; null when no command has it.
const CommandRow* CommandOf(const char* word) {
  for (const CommandRow& row : kCommandsAtRun.rows) {
    if (Is(word, row.word)) return &row;
  }
  return nullptr;
}

const char* NextWord(const char* word) { return word + TextEnd(word, 0) + 1; }

// The longest time of the table is its last.
static_assert(
    [] {
      for (std::size_t row = 1; row < kTimeChoiceCount; ++row) {
        if (kTimeChoices[row].minutes <= kTimeChoices[row - 1].minutes) return false;
      }
      return true;
    }(),
    "the times grow down the table");
constexpr std::uint32_t kLongestMinutes = kTimeChoices[kTimeChoiceCount - 1].minutes;

// Decimal digits only; null for any other word and for a number no row offers. A number
// past the longest time is refused as it grows, so it can never wrap round to one.
const TimeChoiceRow* TimeOf(const char* word) {
  // An empty word is 0 minutes, which no row offers.
  std::uint32_t minutes = 0;
  for (; *word != '\0'; ++word) {
    // A character below "0" wraps round to a number far above 9.
    const std::uint32_t digit = static_cast<std::uint32_t>(*word - '0');
    if (digit > 9) return nullptr;
    minutes = minutes * 10 + digit;
    if (minutes > kLongestMinutes) return nullptr;
  }
  return TimeChoiceOfMinutes(minutes);
}

// Copies the words of the line into words, each terminated, and returns their number. The
// words take no more room than the line: each terminator stands for a blank or the line's
// own terminator.
std::uint32_t SplitWords(const char* line, char* words, const char*& second) {
  std::uint32_t count = 0;
  std::uint32_t out = 0;
  std::uint32_t in = 0;
  for (;;) {
    while (IsBlank(line[in])) ++in;
    if (line[in] == '\0') return count;
    if (count == 1) second = line + in;
    bool quoted = false;
    for (; line[in] != '\0' && (quoted || !IsBlank(line[in])); ++in) {
      if (line[in] == '"') {
        quoted = !quoted;
      } else {
        words[out++] = line[in];
      }
    }
    words[out++] = '\0';
    ++count;
  }
}

}  // namespace

void ParseArguments(const char* line, CompanionArguments& arguments) {
  CompanionArguments& a = arguments;
  a.request = Request::BadInput;
  if (TextLength(line, kCommandLineCapacity) == kCommandLineCapacity) return;
  const std::uint32_t count = SplitWords(line, a.words, a.given);

  const CommandRow* command = nullptr;
  bool usage = false;
  bool bad = false;
  const char* word = a.words;
  // The first word is the program's own path.
  for (std::uint32_t index = 1; index < count; ++index) {
    word = NextWord(word);
    if (word[0] == '/' || word[0] == '-') {
      const char* name = word + 1;
      if (Is(name, "?")) {
        usage = true;
      } else if (Is(name, "move") && !a.move) {
        a.move = true;
      } else if (Is(name, "log") && a.logFile == nullptr && index + 1 < count &&
                 NextWord(word)[0] != '/' && NextWord(word)[0] != '-') {
        // A switch after /log is a slip, not a file: "/log /move" would log to \move.
        a.logFile = word = NextWord(word);
        ++index;
        bad = bad || *a.logFile == '\0';
      } else {
        bad = true;
      }
    } else if (command == nullptr) {
      command = CommandOf(word);
      bad = bad || command == nullptr;
    } else if (command->takesMinutes && a.time == nullptr) {
      a.time = TimeOf(word);
      bad = bad || a.time == nullptr;
    } else {
      bad = true;
    }
  }
  if (usage) {
    a.request = Request::Usage;
  } else if (!bad && command != nullptr && command->takesMinutes == (a.time != nullptr) &&
             (!a.move || command->takesMove)) {
    a.request = Request::Command;
    a.command = command;
  }
}

}  // namespace lull
