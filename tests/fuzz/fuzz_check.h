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

// The calls an input may make fail, by kind. An input names a call by its kind and its number
// among the calls of that kind ("the 2nd SetValue"), so that a call added elsewhere, such as
// one more value read, leaves it aimed at the same call.
struct FallibleCall {
  lull::testing::CallKind kind;
  const char* name;
};
// clang-format off
#define LULL_FALLIBLE(kind) {lull::testing::CallKind::kind, #kind}
inline constexpr FallibleCall kFallibleCalls[] = {
    LULL_FALLIBLE(OpenKey), LULL_FALLIBLE(CreateKey), LULL_FALLIBLE(QueryValue),
    LULL_FALLIBLE(SetValue), LULL_FALLIBLE(DeleteValue), LULL_FALLIBLE(CloseKey),
    LULL_FALLIBLE(FlushKey), LULL_FALLIBLE(OpenFileForReading),
    LULL_FALLIBLE(CreateFileForWriting), LULL_FALLIBLE(ReadFile), LULL_FALLIBLE(WriteFile),
    LULL_FALLIBLE(FlushFile), LULL_FALLIBLE(CloseFile), LULL_FALLIBLE(DeleteFile),
    LULL_FALLIBLE(MoveFile), LULL_FALLIBLE(FlushProfileCache), LULL_FALLIBLE(SetSystemParameter),
    LULL_FALLIBLE(GetSystemDirectory), LULL_FALLIBLE(StartProcess)};
// clang-format on
#undef LULL_FALLIBLE

struct FailingCall {
  bool on;
  lull::testing::CallKind kind;
  int nth;  // among the calls of its kind, from where the target starts counting
};

FUZZ_UNINSTRUMENTED inline FailingCall ConsumeFailingCall(FuzzedDataProvider& in) {
  const bool on = in.ConsumeBool();
  const lull::testing::CallKind kind = in.PickValueInArray(kFallibleCalls).kind;
  return {on, kind, in.ConsumeIntegralInRange<int>(0, 63)};
}
