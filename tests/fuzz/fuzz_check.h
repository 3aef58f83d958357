// What the fuzz targets share: a check that stops the run with a message the finding's
// log shows, so a broken property counts as a crash for libFuzzer; and a mark for the
// targets' own code that coverage need not count.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                                         \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                   \
      std::fprintf(stderr, "\n");                                                          \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

// For a target's own code (its models of the rules, its checks, the decoding of its input):
// those branches are not the product's, and counting them for coverage would only slow each
// run and lead the fuzzer astray.
#define FUZZ_UNINSTRUMENTED __attribute__((no_sanitize("coverage")))
