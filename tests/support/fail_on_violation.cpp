// Fails the running unit test at each fault the in-memory Windows flags, so that no test
// has to ask it.
#include <gtest/gtest.h>

#include "tests/support/fake_windows.h"

namespace lull::testing {
namespace {

const bool kInstalled = [] {
  FakeWindows::onViolation = [](const std::string& what) { ADD_FAILURE() << what; };
  return true;
}();

}  // namespace
}  // namespace lull::testing
