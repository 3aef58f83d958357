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

using testing::BackupName;
using testing::kBackupPath;

// The name Windows gives, with its terminator; none when it gives none, not an older backup's.
TEST(TakeComputerName, TakesTheNameWindowsGivesOrNone) {
  for (const std::optional<std::string>& name :
       {std::optional<std::string>("PC042"), std::optional<std::string>()}) {
    FakeWindows fake;
    fake.computerName = name;
    SettingsStore store(fake);
    ASSERT_TRUE(store.backup.TakeText(kRowComputer, "PC041"));
    TakeComputerName(store);
    EXPECT_EQ(RowBytes(store.backup[kRowComputer]), name ? TextBytes(*name) : Bytes());
  }
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
         SetBackup(f.registry, kRowScreenSaveTimeOut, "60");
         f.registry.Find(Hive::CurrentUser, kBackupPath)->values.erase(BackupName(kRowFlag));
       },
       TextBytes("600"), ValueType::Text},
      {"value longer than the row",
       [](FakeWindows& f) { SetBackup(f.registry, kRowScreenSaveTimeOut, "123456"); },
       {},
       ValueType::Text},
      {"value of no bytes",
       [](FakeWindows& f) { SetBackup(f.registry, kRowScreenSaveTimeOut, Bytes{}); },
       {},
       ValueType::Text},
      {"shorter value", [](FakeWindows& f) { SetBackup(f.registry, kRowScreenSaveTimeOut, "60"); },
       TextBytes("60"), ValueType::Text},
      {"text filling the row without terminator",
       [](FakeWindows& f) {
         SetBackup(f.registry, kRowScreenSaveTimeOut, TextBytes("123456", false));
       },
       {},
       ValueType::Text},
      {"shorter text without terminator",
       [](FakeWindows& f) { SetBackup(f.registry, kRowScreenSaveTimeOut, TextBytes("60", false)); },
       TextBytes("60"), ValueType::Text},
      {"value of another type",
       [](FakeWindows& f) {
         SetBackup(f.registry, kRowScreenSaveTimeOut, Bytes{0x58, 0x02, 0, 0}, ValueType::Binary);
       },
       Bytes{0x58, 0x02, 0, 0}, ValueType::Binary},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows fake;
    if (c.backup) {
      SetBackup(fake.registry, kRowFlag, "1");
      c.backup(fake);
    }
    const bool flagged = BackupText(fake.registry, kRowFlag).has_value();
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
  SetBackup(fake.registry, kRowFlag, "1");
  SetBackup(fake.registry, kRowPolicies, TextBytes("record", false), ValueType::Text);
  SettingsStore store(fake);
  LoadBackup(store);
  EXPECT_TRUE(SaveBackup(store, SaveScope::PresentRows));
  EXPECT_EQ(fake.registry.Get(Hive::CurrentUser, kBackupPath, BackupName(kRowPolicies))->data,
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
    table[kRowPolicies].length = table[kRowPolicies].capacity;

    EXPECT_TRUE(SaveBackup(store, SaveScope::FlagOnly));

    EXPECT_EQ(fake.CallsOf({CallKind::SetValue}),
              flagPresent ? Strings{"SetValue HKCU\\" + kBackupPath + " " + BackupName(kRowFlag) +
                                    " text 32 00"}
                          : Strings{});
    EXPECT_TRUE(fake.registry.HasKey(Hive::CurrentUser, kBackupPath));
  }
}

}  // namespace
}  // namespace lull
