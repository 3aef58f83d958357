// lullcmd's command line on arbitrary bytes: ParseArguments compared with a plain model of
// its rules, its words kept within their buffer, and what it points at (the log's file, the
// line after the program's name) where the model finds it. The line and the parsed result
// live in heap blocks of exactly their size, so a read or write past either is caught.
//
// Input: the command line, up to its first zero byte.

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command/arguments.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using lull::Request;

struct Parsed {
  Request request = Request::BadInput;
  std::uint32_t minutes = 0;
  bool move = false;
  std::optional<std::string> logFile;
  std::string given;
};

FUZZ_UNINSTRUMENTED bool Blank(char c) { return c == ' ' || c == '\t'; }

FUZZ_UNINSTRUMENTED std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The minutes of a row of the table of times that the word names in decimal, or 0.
FUZZ_UNINSTRUMENTED std::uint32_t Minutes(const std::string& word) {
  if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos) return 0;
  const std::string digits = word.substr(std::min(word.find_first_not_of('0'), word.size()));
  if (digits.size() > 10 || std::stoull("0" + digits) > 0xFFFFFFFFull) return 0;
  const auto value = static_cast<std::uint32_t>(std::stoull("0" + digits));
  for (const lull::TimeChoiceRow& row : lull::kTimeChoices) {
    if (row.minutes == value) return value;
  }
  return 0;
}

FUZZ_UNINSTRUMENTED Parsed Model(const std::string& line) {
  Parsed parsed;
  if (line.size() >= lull::kCommandLineCapacity) return parsed;
  std::vector<std::string> words;
  for (std::size_t at = 0;;) {
    while (at < line.size() && Blank(line[at])) ++at;
    if (at == line.size()) break;
    if (words.size() == 1) parsed.given = line.substr(at);
    std::string word;
    for (bool quoted = false; at < line.size() && (quoted || !Blank(line[at])); ++at) {
      if (line[at] == '"') {
        quoted = !quoted;
      } else {
        word += line[at];
      }
    }
    words.push_back(word);
  }
  std::optional<Request> command;
  bool usage = false;
  bool bad = false;
  for (std::size_t index = 1; index < words.size(); ++index) {
    const std::string& word = words[index];
    const std::string lower = Lower(word);
    if (!word.empty() && (word[0] == '/' || word[0] == '-')) {
      const std::string name = lower.substr(1);
      if (name == "?") {
        usage = true;
      } else if (name == "move" && !parsed.move) {
        parsed.move = true;
      } else if (name == "log" && !parsed.logFile && index + 1 < words.size()) {
        parsed.logFile = words[++index];
        bad = bad || parsed.logFile->empty();
      } else {
        bad = true;
      }
    } else if (!command) {
      command = lower == "activate" ? Request::Activate
                : lower == "reset"  ? Request::Reset
                : lower == "status" ? Request::Status
                                    : Request::BadInput;
      bad = bad || command == Request::BadInput;
    } else if (command == Request::Activate && parsed.minutes == 0) {
      parsed.minutes = Minutes(word);
      bad = bad || parsed.minutes == 0;
    } else {
      bad = true;
    }
  }
  if (usage) {
    parsed.request = Request::Usage;
  } else if (!bad && command && (command != Request::Activate || parsed.minutes != 0) &&
             (!parsed.move || command == Request::Activate)) {
    parsed.request = *command;
  }
  return parsed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\0'));
  auto block = std::make_unique<char[]>(line.size() + 1);
  std::memcpy(block.get(), line.c_str(), line.size() + 1);
  auto arguments = std::make_unique<lull::CompanionArguments>();
  lull::ParseArguments(block.get(), *arguments);

  const Parsed expected = Model(line);
  const lull::CompanionArguments& a = *arguments;
  FUZZ_CHECK(a.request == expected.request, "request %d, expected %d in \"%s\"",
             static_cast<int>(a.request), static_cast<int>(expected.request), line.c_str());
  if (a.request == Request::BadInput || a.request == Request::Usage) return 0;
  FUZZ_CHECK((a.time != nullptr) == (a.request == Request::Activate), "minutes without activate");
  FUZZ_CHECK(a.time == nullptr || a.time->minutes == expected.minutes, "minutes %u, expected %u",
             a.time->minutes, expected.minutes);
  FUZZ_CHECK(a.move == expected.move, "move in \"%s\"", line.c_str());
  FUZZ_CHECK((a.logFile != nullptr) == expected.logFile.has_value(), "log in \"%s\"", line.c_str());
  if (a.logFile != nullptr) {
    const std::size_t offset = static_cast<std::size_t>(a.logFile - a.words);
    FUZZ_CHECK(offset < sizeof a.words, "the log's file lies outside the words");
    FUZZ_CHECK(a.logFile == *expected.logFile, "log \"%s\", expected \"%s\"", a.logFile,
               expected.logFile->c_str());
  }
  FUZZ_CHECK(a.given == expected.given, "given \"%s\", expected \"%s\"", a.given,
             expected.given.c_str());
  return 0;
}
