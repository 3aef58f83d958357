#include "platform/os_class.h"

#include <gtest/gtest.h>

namespace lull {
namespace {

struct VersionCase {
  std::uint32_t platformId, major, minor;
  OsClass expected;
};

class VersionClassification : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionClassification, MapsTheReportedVersionToItsClass) {
  const VersionCase& c = GetParam();
  EXPECT_EQ(ClassifyVersion(VersionInfo{c.major, c.minor, c.platformId}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRowOfTheVersionTable, VersionClassification,
    ::testing::Values(
        // The 95/98/Me family: only the minor version counts.
        VersionCase{1, 4, 0, OsClass::Win95}, VersionCase{1, 4, 10, OsClass::Win98},
        VersionCase{1, 4, 90, OsClass::WinMe}, VersionCase{1, 5, 0, OsClass::Win95},
        VersionCase{1, 7, 10, OsClass::Win98}, VersionCase{0, 4, 3, OsClass::Win98},
        // A failed query leaves everything zero.
        VersionCase{0, 0, 0, OsClass::Win95},
        // The NT family.
        VersionCase{2, 5, 0, OsClass::Win2000}, VersionCase{2, 5, 1, OsClass::WinXP},
        VersionCase{2, 5, 2, OsClass::UnsupportedNt}, VersionCase{2, 4, 0, OsClass::UnsupportedNt},
        VersionCase{2, 4, 90, OsClass::UnsupportedNt}, VersionCase{2, 6, 0, OsClass::UnsupportedNt},
        VersionCase{2, 6, 1, OsClass::UnsupportedNt}, VersionCase{2, 10, 0, OsClass::UnsupportedNt},
        VersionCase{2, 3, 51, OsClass::UnsupportedNt}));

}  // namespace
}  // namespace lull
