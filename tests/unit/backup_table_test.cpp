#include "settings/backup_table.h"

#include <gtest/gtest.h>

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
  // Before the load the row holds the live "600", as the start-up read leaves it. A value
  // of no bytes, or a text that fills the row without its terminator, is absent: the row is
  // emptied and its buffer left as it was.
  for (const Bytes& stored : {Bytes{}, TextBytes("123456", false)}) {
    SCOPED_TRACE(testing::Hex(stored));
    FakeWindows fake;
    SetBackup(fake.registry, kRowFlag, "1");
    SetBackup(fake.registry, kRowScreenSaveTimeOut, stored);
    SettingsStore store(fake);
    BackupTable& table = store.backup;
    BackupEntry& row = table[kRowScreenSaveTimeOut];
    std::copy_n("600", 4, row.data);
    row.length = 4;
    table.SetCharacter(kRowScreenSaveActive, '1');

    LoadBackup(store);

    // A value too large for its row is absent, not a failed load.
    EXPECT_FALSE(table.loadFailed);
    EXPECT_FALSE(row.present());
    EXPECT_EQ(row.type, ValueType::Text);
    EXPECT_EQ(BufferBytes(row), (Bytes{'6', '0', '0', 0, ' ', 0}));
    EXPECT_FALSE(table[kRowScreenSaveActive].present()) << "missing from the backup";
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
