// lullcmd's command line on arbitrary bytes. The line and the parsed result live in heap
// blocks of exactly their size, so a read or write past either is caught. What a parse
// accepts is what the rules allow, what it points at lies where it should, and the result
// does not change with the case of ASCII letters or with the number of blanks between words.
//
// Input: the command line, up to its first zero byte.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "command/arguments.h"
#include "command/commands.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using lull::Request;

std::unique_ptr<lull::CompanionArguments> Parse(const std::string& line,
                                                std::unique_ptr<char[]>& block) {
  block = std::make_unique<char[]>(line.size() + 1);
  std::memcpy(block.get(), line.c_str(), line.size() + 1);
  auto arguments = std::make_unique<lull::CompanionArguments>();
  lull::ParseArguments(block.get(), *arguments);
  return arguments;
}

FUZZ_UNINSTRUMENTED void CheckSame(const std::string& line, const std::string& variant,
                                   bool sameLog) {
  std::unique_ptr<char[]> first, second;
  const auto a = Parse(line, first);
  const auto b = Parse(variant, second);
  FUZZ_CHECK(a->request == b->request && a->command == b->command && a->time == b->time &&
                 a->move == b->move,
             "\"%s\" and \"%s\" differ", line.c_str(), variant.c_str());
  if (sameLog && a->logFile != nullptr) {
    FUZZ_CHECK(b->logFile != nullptr && std::strcmp(a->logFile, b->logFile) == 0, "log of \"%s\"",
               variant.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\0'));
  std::unique_ptr<char[]> block;
  const auto parsed = Parse(line, block);
  const lull::CompanionArguments& a = *parsed;
  const bool accepted = a.request == Request::Command;
  FUZZ_CHECK(!accepted || line.size() < lull::kCommandLineCapacity, "a line too long accepted");
  if (accepted) {
    // What the command's row of the table of commands says it takes, and nothing else.
    FUZZ_CHECK(a.command != nullptr && a.command->takesMinutes == (a.time != nullptr),
               "minutes where the command takes none, or none where it does");
    FUZZ_CHECK(a.time == nullptr || lull::TimeChoiceOfMinutes(a.time->minutes) == a.time,
               "minutes no row offers");
    FUZZ_CHECK(!a.move || a.command->takesMove, "/move with a command that does not take it");
    FUZZ_CHECK(a.logFile == nullptr || (a.logFile >= a.words &&
                                        a.logFile < a.words + sizeof a.words && *a.logFile != 0),
               "the log's file \"%s\"", line.c_str());
    FUZZ_CHECK(a.given >= block.get() && a.given <= block.get() + line.size() &&
                   (*a.given != ' ' && *a.given != '\t'),
               "the line after the program's name in \"%s\"", line.c_str());
  }
  // Without quotes, every blank is a word's end, and may be doubled.
  if (line.find('"') != std::string::npos) return 0;
  std::string upper = line;
  std::string doubled;
  for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  for (const char c : line)
    doubled += c == ' ' || c == '\t' ? std::string(2, c) : std::string(1, c);
  CheckSame(line, upper, false);
  if (doubled.size() < lull::kCommandLineCapacity) CheckSame(line, doubled, true);
  return 0;
}
