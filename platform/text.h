// Bounded text helpers: every copy stops at its buffer's end and leaves a terminator.
#pragma once

#include <cstdint>

namespace lull {

// The length of a text, counting at most capacity bytes.
constexpr std::uint32_t TextLength(const char* text, std::uint32_t capacity) {
  std::uint32_t length = 0;
  while (length < capacity && text[length] != '\0') ++length;
  return length;
}

// The position of the terminator at or after at.
constexpr std::uint32_t TextEnd(const char* text, std::uint32_t at) {
  while (text[at] != '\0') ++at;
  return at;
}

// Copies as much of source as fits, always terminated when capacity is not 0.
constexpr void CopyText(char* target, std::uint32_t capacity, const char* source) {
  if (capacity == 0) return;
  std::uint32_t at = 0;
  for (; at + 1 < capacity && source[at] != '\0'; ++at) target[at] = source[at];
  target[at] = '\0';
}

// A text held by value: N bytes, its terminator included. A constant one made by Joined
// initializes a writable buffer of exactly its size.
template <std::uint32_t N>
struct TextBuffer {
  char text[N];
};

// The pieces one after another, with one terminator, made at compile time.
template <std::uint32_t... N>
consteval TextBuffer<(N + ...) - sizeof...(N) + 1> Joined(const char (&... pieces)[N]) {
  TextBuffer<(N + ...) - sizeof...(N) + 1> joined{};
  std::uint32_t at = 0;
  auto append = [&](const char* piece, std::uint32_t size) {
    for (std::uint32_t from = 0; from + 1 < size; ++from) joined.text[at++] = piece[from];
  };
  (append(pieces, N), ...);
  joined.text[at] = '\0';
  return joined;
}

// The longest command line either program takes, its terminator included: the wizard cuts
// a longer one, lullcmd refuses it.
inline constexpr std::uint32_t kCommandLineCapacity = 512;

}  // namespace lull
