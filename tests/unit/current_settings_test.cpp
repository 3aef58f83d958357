#include "settings/current_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "settings/places.h"
#include "tests/support/computer.h"

namespace lull {
namespace {

using testing::AcPolicyRecord;
using testing::BufferBytes;
using testing::Bytes;
using testing::CallKind;
using testing::FakeWindows;
using testing::PoliciesRecord;
using testing::RowBytes;
using testing::TextBytes;
using Strings = std::vector<std::string>;

constexpr Hive kUser = Hive::CurrentUser;
constexpr Hive kMachine = Hive::LocalMachine;
using testing::kControlSet1;
using testing::kControlSet2;
using testing::kCurrentControlSet;
using testing::kDesktop;
using testing::kPowerCfg;
using testing::kScheme1;
// The scheme key path before any index is put into it.
const std::string kScheme3 = kScheme1.substr(0, kScheme1.size() - 1) + "3";

// The typical computer moved to power scheme 1, with a distinct value in every place the
// reader looks at, and the row the reader puts it in.
struct LiveValue {
  std::size_t row;
  Hive hive;
  const std::string& path;
  const char* name;
  Bytes bytes;
};
const LiveValue kDistinct[] = {
    {kRowScreenSaveActive, kUser, kDesktop, "ScreenSaveActive", TextBytes("1")},
    {kRowScreenSaveTimeOut, kUser, kDesktop, "ScreenSaveTimeOut", TextBytes("600")},
    {kRowStandbyTimeOut, kUser, kDesktop, "ScreenSaveLowPowerTimeOut", TextBytes("1200")},
    {kRowStandbyActive, kUser, kDesktop, "ScreenSaveLowPowerActive", TextBytes("0")},
    {kRowPowerOffTimeOut, kUser, kDesktop, "ScreenSavePowerOffTimeOut", TextBytes("900")},
    {kRowPowerOffActive, kUser, kDesktop, "ScreenSavePowerOffActive", TextBytes("1")},
    {kRowPowerPolicyIndex, kUser, kPowerCfg, "CurrentPowerPolicy", TextBytes("1")},
    {kRowPolicies, kUser, kScheme1, "Policies", PoliciesRecord(900, 0x10)},
    {kRowAcPolicy, kMachine, kCurrentControlSet, "AcPolicy", AcPolicyRecord(903, 0x43)},
    {kRowAcPolicy1, kMachine, kControlSet1, "AcPolicy", AcPolicyRecord(901, 0x41)},
    {kRowAcPolicy2, kMachine, kControlSet2, "AcPolicy", AcPolicyRecord(902, 0x42)},
};

void SetUpDistinctSettings(FakeWindows& fake) {
  testing::SetUpComputer(fake);
  for (const LiveValue& v : kDistinct) {
    const bool record = v.path != kDesktop && v.path != kPowerCfg;
    fake.registry.Set(v.hive, v.path, v.name, record ? ValueType::Binary : ValueType::Text,
                      v.bytes);
  }
  fake.registry.SetBinary(kUser, kScheme3, "Policies", PoliciesRecord(300, 0x30));
}

std::map<std::size_t, Bytes> ComputerRows() {
  std::map<std::size_t, Bytes> rows;
  for (const LiveValue& v : kDistinct) rows[v.row] = v.bytes;
  return rows;
}

// Rows as an earlier load could leave them: full of bytes of no type, so a row the
// reader leaves alone can be told from one it fills.
void FillEveryRow(BackupTable& table) {
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    std::memset(table[row].data, 0xEE, table[row].capacity);
    table[row].length = table[row].capacity;
    table[row].type = ValueType::None;
  }
}

// The list of absent values, made afresh by every read, names exactly those given; their
// rows are absent.
void ExpectRows(const BackupTable& table, const std::map<std::size_t, Bytes>& read,
                const std::string& absent = "") {
  EXPECT_EQ(table[kRowAbsent].present() ? table[kRowAbsent].text() : "", absent);
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    SCOPED_TRACE(table[row].name);
    if (row == kRowAbsent) continue;
    auto found = read.find(row);
    const Place* place = FindPlace(static_cast<BackupRow>(row));
    if (!absent.empty() && place != nullptr && absent == place->name) {
      EXPECT_FALSE(table[row].present());
    } else if (found != read.end()) {
      EXPECT_EQ(RowBytes(table[row]), found->second);
      EXPECT_EQ(table[row].type, table[row].ownType);
    } else {
      EXPECT_EQ(table[row].length, table[row].capacity);
      EXPECT_EQ(BufferBytes(table[row]), Bytes(table[row].capacity, 0xEE));
      EXPECT_EQ(table[row].type, ValueType::None);
    }
  }
}

TEST(ReadCurrentSettings, ReadsThePowerPoliciesOnEveryVersionButWindows95) {
  const struct {
    OsClass os;
    bool powerPolicies;
  } cases[] = {{OsClass::Win95, false}, {OsClass::Win98, true}, {OsClass::WinXP, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.os));
    FakeWindows fake;
    SetUpDistinctSettings(fake);
    fake.version = testing::VersionOf(c.os);
    SettingsStore store(fake, c.os);
    FillEveryRow(store.backup);

    EXPECT_TRUE(ReadCurrentSettings(store));

    std::map<std::size_t, Bytes> read = ComputerRows();
    Strings opened = {"OpenKey HKCU\\" + kDesktop};
    if (c.powerPolicies) {
      opened.insert(opened.end(), {"OpenKey HKCU\\" + kPowerCfg, "OpenKey HKCU\\" + kScheme1,
                                   "OpenKey HKLM\\" + kControlSet1, "OpenKey HKLM\\" + kControlSet2,
                                   "OpenKey HKLM\\" + kCurrentControlSet});
    } else {
      for (std::size_t row = kRowPowerPolicyIndex; row <= kRowAcPolicy2; ++row) read.erase(row);
    }
    ExpectRows(store.backup, read);
    EXPECT_EQ(fake.CallsOf({CallKind::OpenKey}), opened);
    // One read for each row: the screen-saver program is only ever a backup's.
    EXPECT_EQ(fake.CallsOf({CallKind::QueryValue}).size(), read.size());
  }
}

TEST(ReadCurrentSettings, EachLivePlaceFillsItsRowOrLeavesItAsItWas) {
  struct Case {
    const char* what;
    std::function<void(FakeWindows&)> change;
    std::map<std::size_t, Bytes> rows;  // rows read otherwise; empty bytes: left as it was
    std::string absent = "";            // the one Desktop value the key lacks
  };
  auto set = [](Hive hive, std::string path, std::string name, ValueType type, Bytes data) {
    return [=](FakeWindows& f) { f.registry.Set(hive, path, name, type, data); };
  };
  auto desktop = [&](std::string name, Bytes data) {
    return set(kUser, kDesktop, name, ValueType::Text, data);
  };
  auto schemeIndex = [&](Bytes data) {
    return set(kUser, kPowerCfg, "CurrentPowerPolicy", ValueType::Text, data);
  };
  const Bytes kept;
  const std::map<std::size_t, Bytes> schemeKept = {{kRowPowerPolicyIndex, kept},
                                                   {kRowPolicies, kept}};
  std::map<std::size_t, Bytes> desktopKept;
  for (const LiveValue& v : kDistinct) {
    if (v.path == kDesktop) desktopKept[v.row] = kept;
  }
  const Case cases[] = {
      // The power scheme's index is one digit; anything else leaves scheme and index alone.
      {"scheme \"12\" unterminated", schemeIndex(TextBytes("12", false)), schemeKept},
      {"scheme \"\"", schemeIndex(TextBytes("")), schemeKept},
      {"scheme \"x\"", schemeIndex(TextBytes("x")), schemeKept},
      {"scheme \"1\" unterminated", schemeIndex(TextBytes("1", false)), {}},
      // A power-policy record of any other size is not taken.
      {"Policies a byte long",
       set(kUser, kScheme1, "Policies", ValueType::Binary,
           PoliciesRecord(900, 0x10, kPoliciesSize + 1)),
       schemeKept},
      {"AcPolicy a byte short",
       set(kMachine, kCurrentControlSet, "AcPolicy", ValueType::Binary,
           AcPolicyRecord(1, 0, kAcPolicySize - 1)),
       {{kRowAcPolicy, kept}}},
      // Only a Desktop value is named as absent.
      {"AcPolicy 002 missing",
       [](FakeWindows& f) { f.registry.Find(kMachine, kControlSet2)->values.clear(); },
       {{kRowAcPolicy2, kept}}},
      {"time-out \"123456\"",
       desktop("ScreenSaveTimeOut", TextBytes("123456")),
       {{kRowScreenSaveTimeOut, kept}}},
      {"switch \"1\" unterminated",
       desktop("ScreenSavePowerOffActive", TextBytes("1", false)),
       {{kRowPowerOffActive, TextBytes("1")}}},
      {"switch missing",
       [](FakeWindows& f) {
         f.registry.keys[{kUser, "control panel\\desktop"}].values.erase("screensaveactive");
       },
       {{kRowScreenSaveActive, kept}},
       "ScreenSaveActive"},
      {"Desktop missing", [](FakeWindows& f) { f.registry.DeleteKey(kUser, kDesktop); },
       desktopKept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows fake;
    SetUpDistinctSettings(fake);
    c.change(fake);
    SettingsStore store(fake, OsClass::WinXP);
    FillEveryRow(store.backup);

    // Whatever the value, one that is missing, too large or not writable leaves the read
    // complete: a backup taken now holds everything in force.
    EXPECT_TRUE(ReadCurrentSettings(store));

    std::map<std::size_t, Bytes> read = ComputerRows();
    for (const auto& [row, bytes] : c.rows) {
      if (bytes.empty()) {
        read.erase(row);
      } else {
        read[row] = bytes;
      }
    }
    ExpectRows(store.backup, read, c.absent);
    // The key path stays terminated, and only a scheme that was followed changes it.
    const std::string path = store.powerSchemeKeyPath.text;
    EXPECT_TRUE(path == kScheme1 || path == kScheme3) << path;
  }
}

// A key closed by hand is not closed again when the key goes.
TEST(RegistryKey, ClosesItsKeyOnce) {
  FakeWindows fake;
  testing::SetUpComputer(fake);
  {
    RegistryKey key(fake);
    ASSERT_EQ(key.Open(kDesktopKey), kRegSuccess);
    key.Close();
  }
  EXPECT_EQ(fake.CallsOf({CallKind::CloseKey}).size(), 1u);
}

}  // namespace
}  // namespace lull
