#include "settings/backup_table.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/fake_windows.h"
#include "tests/support/settings_fixtures.h"

namespace lull {
namespace {

using testing::BufferBytes;
using testing::Bytes;
using testing::CallKind;
using testing::FakeWindows;
using testing::RowBytes;
using testing::TextBytes;
using Strings = std::vector<std::string>;

const std::string kBackup = kBackupKeyPath;

void SetBackupText(FakeWindows& fake, const std::string& name, const std::string& text) {
  fake.registry.SetText(Hive::CurrentUser, kBackup, name, text);
}

TEST(BackupTable, ThirteenRowsWithTheirNamesCapacitiesTypesAndFirstContents) {
  const struct {
    const char* name;
    std::uint32_t capacity;
    ValueType type;
    Bytes initial;
  } expected[] = {
      {"LullResetFlag", 2, ValueType::Text, Bytes(2)},
      {"LullResetScrnSave", 260, ValueType::Text, Bytes(260)},
      {"LullResetScrnSaveAct", 2, ValueType::Text, TextBytes(" ")},
      {"LullResetTimeOut", 6, ValueType::Text, TextBytes("     ")},
      {"LullResetStandby", 6, ValueType::Text, TextBytes("     ")},
      {"LullResetStandbyAct", 2, ValueType::Text, TextBytes(" ")},
      {"LullResetPowerOff", 6, ValueType::Text, TextBytes("     ")},
      {"LullResetPowerOffAct", 2, ValueType::Text, TextBytes(" ")},
      {"LullResetPowerPolicy", 2, ValueType::Text, TextBytes(" ")},
      {"LullResetPolicies", 80, ValueType::Binary, Bytes(80)},
      {"LullResetAcPolicy", 232, ValueType::Binary, Bytes(232)},
      {"LullResetAcPolicy1", 232, ValueType::Binary, Bytes(232)},
      {"LullResetAcPolicy2", 232, ValueType::Binary, Bytes(232)},
  };
  BackupTable table;
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    SCOPED_TRACE(expected[row].name);
    EXPECT_STREQ(table[row].name, expected[row].name);
    EXPECT_EQ(table[row].capacity, expected[row].capacity);
    EXPECT_EQ(table[row].type, expected[row].type);
    EXPECT_EQ(table[row].ownType, expected[row].type);
    EXPECT_EQ(BufferBytes(table[row]), expected[row].initial);
    EXPECT_FALSE(table[row].present());
  }
  EXPECT_EQ(table.rows[kBackupRowCount].name, nullptr);
}

TEST(BackupTable, AFlagTextIsOneTerminatedCharacterOfTheRowsOwnType) {
  FakeWindows fake;
  fake.registry.Set(Hive::CurrentUser, kBackup, "LullResetFlag", ValueType::Binary, Bytes{'1', 0});
  RegistryKeys keys;
  BackupTable table;
  LoadBackup(fake, keys, table);
  ASSERT_EQ(table[kRowFlag].type, ValueType::Binary);

  table.SetFlagText(kRowFlag, '2');

  EXPECT_EQ(RowBytes(table[kRowFlag]), TextBytes("2"));
  EXPECT_EQ(table[kRowFlag].type, ValueType::Text);
}

TEST(LoadBackup, QueriesEveryRowWithItsCapacityAndClosesTheKey) {
  FakeWindows fake;
  fake.registry.CreateKey(Hive::CurrentUser, kBackup);
  RegistryKeys keys;
  BackupTable table;
  LoadBackup(fake, keys, table);

  Strings expected{"OpenKey HKCU\\" + kBackup};
  for (const char* row :
       {"LullResetFlag 2", "LullResetScrnSave 260", "LullResetScrnSaveAct 2", "LullResetTimeOut 6",
        "LullResetStandby 6", "LullResetStandbyAct 2", "LullResetPowerOff 6",
        "LullResetPowerOffAct 2", "LullResetPowerPolicy 2", "LullResetPolicies 80",
        "LullResetAcPolicy 232", "LullResetAcPolicy1 232", "LullResetAcPolicy2 232"}) {
    expected.push_back("QueryValue HKCU\\" + kBackup + " " + row + " (failed)");
  }
  expected.push_back("CloseKey HKCU\\" + kBackup);
  EXPECT_EQ(fake.CallsOf({CallKind::OpenKey, CallKind::QueryValue, CallKind::CloseKey}), expected);
  EXPECT_EQ(fake.OpenKeyCount(), 0);
}

TEST(LoadBackup, EachRowTakesWhatTheBackupHolds) {
  struct Case {
    const char* what;
    std::function<void(FakeWindows&)> backup;  // nullptr: no backup key at all
    Bytes expectedRow;                         // bytes held; empty = absent
    ValueType expectedType;
  };
  // Before the load the row holds the live "600", as the start-up read leaves it.
  const Case cases[] = {
      {"no backup key", nullptr, TextBytes("600"), ValueType::Text},
      {"value missing",
       [](FakeWindows& f) { SetBackupText(f, "LullResetFlag", "1"); },
       {},
       ValueType::Text},
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
    if (c.backup) c.backup(fake);
    RegistryKeys keys;
    BackupTable table;
    BackupEntry& row = table[kRowScreenSaveTimeOut];
    std::copy_n("600", 4, row.data);
    row.length = 4;
    table.SetFlagText(kRowScreenSaveActive, '1');

    LoadBackup(fake, keys, table);

    EXPECT_EQ(RowBytes(row), c.expectedRow);
    EXPECT_EQ(row.type, c.expectedType);
    if (!row.present()) {
      EXPECT_EQ(BufferBytes(row), (Bytes{'6', '0', '0', 0, ' ', 0}));
    }
    EXPECT_EQ(table[kRowScreenSaveActive].present(), !c.backup) << "missing from any backup";
    EXPECT_EQ(fake.OpenKeyCount(), 0);
  }
}

TEST(SaveBackup, WritesThePresentRowsInTableOrderWithTheirTypesAndLengths) {
  FakeWindows fake;
  RegistryKeys keys;
  BackupTable table;
  table[kRowPolicies].length = 80;
  table.SetFlagText(kRowScreenSaveActive, '1');
  table.SetFlagText(kRowFlag, '1');
  std::copy_n("60", 3, table[kRowScreenSaveTimeOut].data);
  table[kRowScreenSaveTimeOut].length = 3;

  EXPECT_TRUE(SaveBackup(fake, keys, table));

  const std::string key = "HKCU\\" + kBackup + " ";
  std::string zeros = "00";
  for (int i = 1; i < 80; ++i) zeros += " 00";
  EXPECT_EQ(fake.CallsOf({CallKind::CreateKey, CallKind::SetValue, CallKind::CloseKey}),
            (Strings{"CreateKey HKCU\\" + kBackup, "SetValue " + key + "LullResetFlag text 31 00",
                     "SetValue " + key + "LullResetScrnSaveAct text 31 00",
                     "SetValue " + key + "LullResetTimeOut text 36 30 00",
                     "SetValue " + key + "LullResetPolicies binary " + zeros,
                     "CloseKey HKCU\\" + kBackup}));
  EXPECT_FALSE(keys.backupKeyFailed);
}

TEST(SaveBackup, WhatASavedTableLoadsBackAs) {
  FakeWindows fake;
  RegistryKeys keys;
  BackupTable saved;
  saved.SetFlagText(kRowFlag, '1');
  std::copy_n("12345", 6, saved[kRowPowerOffTimeOut].data);
  saved[kRowPowerOffTimeOut].length = 6;
  const Bytes record = testing::AcPolicyRecord(900);
  std::copy(record.begin(), record.end(), saved[kRowAcPolicy2].data);
  saved[kRowAcPolicy2].length = kAcPolicySize;
  ASSERT_TRUE(SaveBackup(fake, keys, saved));

  BackupTable loaded;
  LoadBackup(fake, keys, loaded);
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    EXPECT_EQ(RowBytes(loaded[row]), RowBytes(saved[row])) << saved[row].name;
    EXPECT_EQ(loaded[row].type, saved[row].type) << saved[row].name;
  }
}

TEST(SaveBackup, WhileOnlyTheFlagIsWrittenNothingElseIs) {
  for (const bool flagPresent : {true, false}) {
    SCOPED_TRACE(flagPresent ? "flag present" : "flag absent");
    FakeWindows fake;
    RegistryKeys keys;
    BackupTable table;
    table.flagOnlyWrite = true;
    if (flagPresent) table.SetFlagText(kRowFlag, '2');
    table.SetFlagText(kRowScreenSaveActive, '1');
    table[kRowPolicies].length = 80;

    EXPECT_TRUE(SaveBackup(fake, keys, table));

    EXPECT_EQ(fake.CallsOf({CallKind::SetValue}),
              flagPresent ? Strings{"SetValue HKCU\\" + kBackup + " LullResetFlag text 32 00"}
                          : Strings{});
    EXPECT_TRUE(fake.registry.HasKey(Hive::CurrentUser, kBackup));
    EXPECT_EQ(fake.OpenKeyCount(), 0);
  }
}

TEST(SaveBackup, ReportsAKeyThatCouldNotBeMadeOrAWriteThatFailed) {
  const struct {
    const char* what;
    bool readOnlyKey;
    int failingCall;  // counted from the create; -1 for none
    std::size_t writesMade;
  } cases[] = {
      {"key the user may only read", true, -1, 0},
      {"create fails", false, 0, 0},
      {"first write fails", false, 1, 2},
      {"last write fails", false, 3, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindows fake;
    if (c.readOnlyKey) fake.registry.SetReadOnly(Hive::CurrentUser, kBackup);
    if (c.failingCall >= 0) fake.failAt = c.failingCall;
    RegistryKeys keys;
    BackupTable table;
    table.SetFlagText(kRowFlag, '1');
    table.SetFlagText(kRowScreenSaveActive, '1');
    table.SetFlagText(kRowPowerOffActive, '0');

    EXPECT_FALSE(SaveBackup(fake, keys, table));

    EXPECT_EQ(fake.registry.ValueNames(Hive::CurrentUser, kBackup).size(), c.writesMade);
    EXPECT_EQ(keys.backupKeyFailed, c.writesMade == 0);
    EXPECT_EQ(fake.OpenKeyCount(), 0);
  }
}

TEST(ClearBackup, DeletesTheThirteenValuesAndNothingElse) {
  FakeWindows fake;
  SetBackupText(fake, "LullResetFlag", "1");
  SetBackupText(fake, "LullResetTimeOut", "600");
  SetBackupText(fake, "SomeoneElses", "x");
  RegistryKeys keys;
  BackupTable table;

  EXPECT_TRUE(ClearBackup(fake, keys, table));

  EXPECT_EQ(fake.registry.ValueNames(Hive::CurrentUser, kBackup), Strings{"someoneelses"});
  EXPECT_EQ(fake.CallsOf({CallKind::DeleteValue}).size(), 13u);
  EXPECT_EQ(fake.OpenKeyCount(), 0);
}

TEST(ClearBackup, WithoutABackupKeyCreatesNothing) {
  FakeWindows fake;
  RegistryKeys keys;
  BackupTable table;
  EXPECT_FALSE(ClearBackup(fake, keys, table));
  EXPECT_FALSE(fake.registry.HasKey(Hive::CurrentUser, kBackup));
  EXPECT_TRUE(fake.CallsOf({CallKind::DeleteValue, CallKind::CreateKey}).empty());
}

}  // namespace
}  // namespace lull
