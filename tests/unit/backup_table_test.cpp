#include "settings/backup_table.h"

#include <gtest/gtest.h>

#include <functional>

#include "settings/settings_store.h"
#include "tests/support/computer.h"
#include "tests/support/fake_windows.h"

namespace lull {
namespace {

using testing::BufferBytes;
using testing::Bytes;
using testing::CallKind;
using testing::FakeWindows;
using testing::RowBytes;
using testing::TextBytes;
using Strings = std::vector<std::string>;

using testing::kCorvane;
const std::string& kBackup = kCorvane;

void SetBackupText(FakeWindows& fake, const std::string& name, const std::string& text) {
  fake.registry.SetText(Hive::CurrentUser, kBackup, name, text);
}

TEST(BackupTable, AFlagTextIsOneTerminatedCharacterOfTheRowsOwnType) {
  FakeWindows fake;
  fake.registry.Set(Hive::CurrentUser, kBackup, "LullResetFlag", ValueType::Binary, Bytes{'1', 0});
  SettingsStore store(fake);
  BackupTable& table = store.backup;
  LoadBackup(store);
  ASSERT_EQ(table[kRowFlag].type, ValueType::Binary);

  table.SetCharacter(kRowFlag, '2');

  EXPECT_EQ(RowBytes(table[kRowFlag]), TextBytes("2"));
  EXPECT_EQ(table[kRowFlag].type, ValueType::Text);
}

TEST(LoadBackup, EachRowTakesWhatTheBackupHolds) {
  struct Case {
    const char* what;
    std::function<void(FakeWindows&)> backup;  // nullptr: no backup key at all
    Bytes expectedRow;                         // bytes held; empty = absent
    ValueType expectedType;
  };
  // Before the load the row holds the live "600", as the start-up read leaves it. Every
  // backup holds the flag "1" unless the case takes it away.
  const Case cases[] = {
      {"no backup key", nullptr, TextBytes("600"), ValueType::Text},
      {"value missing", [](FakeWindows&) {}, {}, ValueType::Text},
      {"rows without the flag",
       [](FakeWindows& f) {
         SetBackupText(f, "LullResetTimeOut", "60");
         f.registry.Find(Hive::CurrentUser, kBackup)->values.erase("lullresetflag");
       },
       TextBytes("600"), ValueType::Text},
      {"value longer than the row",
       [](FakeWindows& f) { SetBackupText(f, "LullResetTimeOut", "123456"); },
       {},
       ValueType::Text},
      {"value of no bytes",
       [](FakeWindows& f) {
         f.registry.Set(Hive::CurrentUser, kBackup, "LullResetTimeOut", ValueType::Text, {});
       },
       {},
       ValueType::Text},
      {"shorter value", [](FakeWindows& f) { SetBackupText(f, "LullResetTimeOut", "60"); },
       TextBytes("60"), ValueType::Text},
      {"text filling the row without terminator",
       [](FakeWindows& f) {
         f.registry.Set(Hive::CurrentUser, kBackup, "LullResetTimeOut", ValueType::Text,
                        TextBytes("123456", false));
       },
       {},
       ValueType::Text},
      {"shorter text without terminator",
       [](FakeWindows& f) {
         f.registry.Set(Hive::CurrentUser, kBackup, "LullResetTimeOut", ValueType::Text,
                        TextBytes("60", false));
       },
       TextBytes("60"), ValueType::Text},
      {"value of another type",
       [](FakeWindows& f) {
         f.registry.Set(Hive::CurrentUser, kBackup, "LullResetTimeOut", ValueType::Binary,
                        Bytes{0x58, 0x02, 0, 0});
       },
       Bytes{0x58, 0x02, 0, 0}, ValueType::Binary},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows fake;
    if (c.backup) {
      SetBackupText(fake, "LullResetFlag", "1");
      c.backup(fake);
    }
    const bool flagged =
        fake.registry.GetText(Hive::CurrentUser, kBackup, "LullResetFlag").has_value();
    SettingsStore store(fake);
    BackupTable& table = store.backup;
    BackupEntry& row = table[kRowScreenSaveTimeOut];
    std::copy_n("600", 4, row.data);
    row.length = 4;
    table.SetCharacter(kRowScreenSaveActive, '1');

    LoadBackup(store);

    // A value that is missing, or too large for its row, is absent, not a failed load.
    EXPECT_FALSE(table.loadFailed);
    EXPECT_EQ(RowBytes(row), c.expectedRow);
    EXPECT_EQ(row.type, c.expectedType);
    if (!row.present()) {
      EXPECT_EQ(BufferBytes(row), (Bytes{'6', '0', '0', 0, ' ', 0}));
    }
    EXPECT_EQ(table[kRowScreenSaveActive].present(), !flagged) << "missing from any backup";
  }
}

// A record another tool left as a text goes back as a text, so it keeps a terminator within
// the size written: Windows 95, 98 and Me would otherwise read on past the row.
TEST(SaveBackup, ARecordFoundAsTextGoesBackWithItsTerminator) {
  FakeWindows fake;
  fake.version = testing::VersionOf(OsClass::Win98);
  SetBackupText(fake, "LullResetFlag", "1");
  fake.registry.Set(Hive::CurrentUser, kBackup, "LullResetPolicies", ValueType::Text,
                    TextBytes("record", false));
  SettingsStore store(fake);
  LoadBackup(store);
  EXPECT_TRUE(SaveBackup(store, SaveScope::PresentRows));
  EXPECT_EQ(fake.registry.Get(Hive::CurrentUser, kBackup, "LullResetPolicies")->data,
            TextBytes("record"));
}

TEST(SaveBackup, WhileOnlyTheFlagIsWrittenNothingElseIs) {
  for (const bool flagPresent : {true, false}) {
    SCOPED_TRACE(flagPresent ? "flag present" : "flag absent");
    FakeWindows fake;
    SettingsStore store(fake);
    BackupTable& table = store.backup;
    if (flagPresent) table.SetCharacter(kRowFlag, '2');
    table.SetCharacter(kRowScreenSaveActive, '1');
    table[kRowPolicies].length = 80;

    EXPECT_TRUE(SaveBackup(store, SaveScope::FlagOnly));

    EXPECT_EQ(fake.CallsOf({CallKind::SetValue}),
              flagPresent ? Strings{"SetValue HKCU\\" + kBackup + " LullResetFlag text 32 00"}
                          : Strings{});
    EXPECT_TRUE(fake.registry.HasKey(Hive::CurrentUser, kBackup));
  }
}

// A save that fails leaves no flag, unless only the flush failed after it.
TEST(SaveBackup, ReportsAKeyThatCouldNotBeMadeOrAWriteThatFailed) {
  const Strings rows = {"lullresetpoweroffact", "lullresetscrnsaveact"};
  const struct {
    const char* what;
    bool readOnlyKey;
    int failingCall;  // counted from the create (then the flag's delete); -1 for none
    Strings left;
  } cases[] = {
      {"key the user may only read", true, -1, {}},
      {"create fails", false, 0, {}},
      {"the flag's delete fails", false, 1, {}},
      {"a row's write fails", false, 3, {}},
      {"the flag's write fails", false, 14, rows},
      {"the flush fails", false, 15, {"lullresetflag", rows[0], rows[1]}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows fake;
    if (c.readOnlyKey) fake.registry.SetReadOnly(Hive::CurrentUser, kBackup);
    if (c.failingCall >= 0) fake.failAt = c.failingCall;
    SettingsStore store(fake);
    store.backup.SetCharacter(kRowFlag, '1');
    store.backup.SetCharacter(kRowScreenSaveActive, '1');
    store.backup.SetCharacter(kRowPowerOffActive, '0');

    EXPECT_FALSE(SaveBackup(store, SaveScope::PresentRows));

    EXPECT_EQ(fake.registry.ValueNames(Hive::CurrentUser, kBackup), c.left);
  }
}

TEST(ClearBackup, DeletesTheThirteenValuesAndNothingElse) {
  FakeWindows fake;
  SetBackupText(fake, "LullResetFlag", "1");
  SetBackupText(fake, "LullResetTimeOut", "600");
  SetBackupText(fake, "SomeoneElses", "x");
  SettingsStore store(fake);

  EXPECT_TRUE(ClearBackup(store));

  EXPECT_EQ(fake.registry.ValueNames(Hive::CurrentUser, kBackup), Strings{"someoneelses"});
  EXPECT_EQ(fake.CallsOf({CallKind::DeleteValue}).size(), 13u);
}

TEST(ClearBackup, WithoutABackupKeyCreatesNothing) {
  FakeWindows fake;
  SettingsStore store(fake);
  EXPECT_TRUE(ClearBackup(store));
  EXPECT_FALSE(fake.registry.HasKey(Hive::CurrentUser, kBackup));
  EXPECT_TRUE(fake.CallsOf({CallKind::DeleteValue, CallKind::CreateKey}).empty());
}

}  // namespace
}  // namespace lull
