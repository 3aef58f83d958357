// The registry rules on which Windows 95/98/Me and NT differ, as Wine's conformance tests
// record them: the stand-in plays those of the family of the version it is given, and flags
// the write that would be a fault on a 95/98/Me machine.
#include "tests/support/fake_windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "tests/support/computer.h"

namespace lull::testing {
namespace {

const char kKey[] = "Software\\Test";

// What the registry holds after a write of size bytes of data, and whether it was flagged.
std::function<std::string(FakeWindows&)> Written(std::string data, std::uint32_t size) {
  return [=](FakeWindows& windows) {
    KeyHandle key = 0;
    windows.CreateKey(Hive::CurrentUser, kKey, key);
    windows.SetValue(key, "Value", ValueType::Text, data.data(), size);
    windows.CloseKey(key);
    const auto value = windows.registry.Get(Hive::CurrentUser, kKey, "Value");
    return Hex(value->data) + (windows.violations.empty() ? "" : " flagged");
  };
}

// The result and size of a query of the value (missing when nullopt) into 8 bytes, or
// without a buffer, and what it read.
std::function<std::string(FakeWindows&)> Read(std::optional<Bytes> stored, bool buffer) {
  return [=](FakeWindows& windows) {
    windows.registry.CreateKey(Hive::CurrentUser, kKey);
    if (stored) windows.registry.Set(Hive::CurrentUser, kKey, "Value", ValueType::Text, *stored);
    KeyHandle key = 0;
    windows.OpenKey(Hive::CurrentUser, kKey, key);
    std::uint8_t data[8] = {};
    std::uint32_t size = sizeof data;
    ValueType type = ValueType::None;
    const RegResult result = windows.QueryValue(key, "Value", type, buffer ? data : nullptr, size);
    windows.CloseKey(key);
    const Bytes got = result == kRegSuccess ? Bytes(data, data + size) : Bytes{};
    return std::to_string(result) + " size " + std::to_string(size) + " " + Hex(got);
  };
}

std::function<std::string(FakeWindows&)> OpenReadOnly(Hive hive) {
  return [=](FakeWindows& windows) {
    windows.registry.SetReadOnly(hive, kKey);
    KeyHandle key = 0;
    return std::to_string(windows.OpenKey(hive, kKey, key));
  };
}

TEST(FakeWindows, PlaysTheRegistryOfTheFamilyOfItsVersion) {
  const struct {
    const char* what;
    std::function<std::string(FakeWindows&)> act;
    const char* onNt;
    const char* on9x;
  } cases[] = {
      {"a text with bytes after its terminator", Written(std::string("12\0  ", 5), 5),
       "31 32 00 20 20", "31 32 00"},
      {"a text without its terminator", Written("123456", 6), "31 32 33 34 35 36",
       "31 32 33 34 35 36 00 flagged"},
      {"a text of no bytes", Written("", 0), "", "00 flagged"},
      {"an empty text read back", Read(Bytes{}, true), "0 size 0 ", "0 size 1 00"},
      {"a missing value, without a buffer", Read(std::nullopt, false), "2 size 0 ", "2 size 8 "},
      {"a read-only key of the machine", OpenReadOnly(Hive::LocalMachine), "5", "0"},
      {"a read-only key of the user", OpenReadOnly(Hive::CurrentUser), "5", "0"},
  };
  for (const auto& c : cases) {
    for (const OsClass os : {OsClass::WinXP, OsClass::Win98}) {
      FakeWindows windows;
      windows.version = VersionOf(os);
      windows.reportViolations = false;
      EXPECT_EQ(c.act(windows), IsWin9xFamily(os) ? c.on9x : c.onNt)
          << c.what << (IsWin9xFamily(os) ? " on 98" : " on XP");
    }
  }
}

}  // namespace
}  // namespace lull::testing
