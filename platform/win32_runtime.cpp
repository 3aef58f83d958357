// The little the compiler expects from a C runtime, for a lull.exe that links none:
// Windows 95 as it comes has no msvcrt.dll.
#include <cstddef>

extern "C" {

// GCC emits calls to these for block copies, clears and lengths, even in freestanding code. The
// build compiles this file outside LTO and forbids turning loops into such calls
// (cmake/win32.cmake): these loops would become calls to themselves.
void* memcpy(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count-- != 0) *to++ = *from++;
  return target;
}

void* memmove(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  if (to < from) {
    while (count-- != 0) *to++ = *from++;
  } else {
    while (count != 0) {
      --count;
      to[count] = from[count];
    }
  }
  return target;
}

void* memset(void* target, int value, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  while (count-- != 0) *to++ = static_cast<unsigned char>(value);
  return target;
}

int memcmp(const void* a, const void* b, std::size_t count) {
  const auto* left = static_cast<const unsigned char*>(a);
  const auto* right = static_cast<const unsigned char*>(b);
  for (; count != 0; --count, ++left, ++right) {
    if (*left != *right) return *left < *right ? -1 : 1;
  }
  return 0;
}

// What a text's length compiles to (std::string_view of a terminated text, or a loop that
// counts up to the terminator).
std::size_t strlen(const char* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

// Reached only through a call to a pure virtual function, which the program never makes.
[[noreturn]] void __cxa_pure_virtual() {
  for (;;) {
  }
}

}  // extern "C"
