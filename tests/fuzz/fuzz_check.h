// What the fuzz targets share: a check that stops the run with a message the finding's
// log shows, so a broken property counts as a crash for libFuzzer; a mark for the targets'
// own code that coverage need not count; and the failing call an input may ask for.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/fake_windows.h"

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

// A call an input makes fail, or none: its kind, and its number among the calls of that kind
// from where the target starts counting ("the 2nd SetValue"), so that a call added elsewhere,
// such as one more value read, leaves the input aimed at the same call.
struct FailingCall {
  bool on;
  lull::testing::CallKind kind;
  int nth;
};

FUZZ_UNINSTRUMENTED inline FailingCall ConsumeFailingCall(FuzzedDataProvider& in) {
  const bool on = in.ConsumeBool();
  const auto kind = static_cast<lull::testing::CallKind>(
      in.ConsumeIntegralInRange<std::size_t>(0, lull::testing::kCallKindCount - 1));
  return {on, kind, in.ConsumeIntegralInRange<int>(0, 63)};
}
