// The setting rows: at once the working copy of the live values and the rows
// of the backup kept under the backup key, kBackupKey. A row of length 0 is absent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "settings/power_policy.h"
#include "settings/registry_key.h"

namespace lull {

struct SettingsStore;

inline constexpr KeyPath kBackupKey = {Hive::CurrentUser, "Control Panel\\Desktop\\Corvane"};

inline constexpr std::uint32_t kScreenSaverPathCapacity = 260;
// A time-out as the registry holds it: decimal seconds, at most five digits.
inline constexpr std::uint32_t kTimeOutDigits = 5;
// The other text rows with their terminator: one character (the flag, a switch, the
// scheme index), or a time-out.
inline constexpr std::uint32_t kCharacterCapacity = 2;
inline constexpr std::uint32_t kTimeOutCapacity = kTimeOutDigits + 1;
// The names of the Desktop values that did not exist, as a list (absent_values.h), and the
// computer's name as GetComputerNameA gives it (at most 15 characters; room for more, so that
// a longer name another Windows gives still reads as another computer's).
inline constexpr std::uint32_t kAbsentNamesCapacity = 160;
inline constexpr std::uint32_t kComputerNameCapacity = 64;

struct BackupEntry {
  const char* name;      // the backup value's name; null on the end marker
  std::uint8_t* data;    // the row's buffer, capacity bytes
  std::uint32_t length;  // bytes held, at most capacity, terminator counted for text; 0 = absent
  ValueType type;        // the type a load found, or the row's own type
  std::uint32_t capacity;
  ValueType ownType;

  bool present() const { return length != 0; }
  const char* text() const { return reinterpret_cast<const char*>(data); }
};

// Row numbers, in table order; the order is also the order of saving.
enum BackupRow : std::uint8_t {
  kRowFlag,         // "LullResetFlag": "1" after an activation, "2" after a reset
  kRowScreenSaver,  // "LullResetScrnSave": the screen-saver program
  kRowScreenSaveActive,
  kRowScreenSaveTimeOut,
  kRowStandbyTimeOut,
  kRowStandbyActive,
  kRowPowerOffTimeOut,
  kRowPowerOffActive,
  kRowPowerPolicyIndex,
  kRowPolicies,
  kRowAcPolicy,
  kRowAcPolicy1,
  kRowAcPolicy2,
  kRowAbsent,    // "LullResetAbsent": the Desktop values that did not exist, which a reset deletes
  kRowComputer,  // "LullResetComputer": the computer whose machine policies the backup holds
  kBackupRowCount,
};

struct BackupRowLayout {
  const char* name;
  std::uint32_t capacity;
  ValueType type;
  // Text rows of the live values start as blanks with a terminator; the rest as zeros.
  bool blank;
};

inline constexpr BackupRowLayout kBackupRowLayout[kBackupRowCount] = {
    {"LullResetFlag", kCharacterCapacity, ValueType::Text, false},
    {"LullResetScrnSave", kScreenSaverPathCapacity, ValueType::Text, false},
    {"LullResetScrnSaveAct", kCharacterCapacity, ValueType::Text, true},
    {"LullResetTimeOut", kTimeOutCapacity, ValueType::Text, true},
    {"LullResetStandby", kTimeOutCapacity, ValueType::Text, true},
    {"LullResetStandbyAct", kCharacterCapacity, ValueType::Text, true},
    {"LullResetPowerOff", kTimeOutCapacity, ValueType::Text, true},
    {"LullResetPowerOffAct", kCharacterCapacity, ValueType::Text, true},
    {"LullResetPowerPolicy", kCharacterCapacity, ValueType::Text, true},
    {"LullResetPolicies", kPoliciesSize, ValueType::Binary, false},
    {"LullResetAcPolicy", kAcPolicySize, ValueType::Binary, false},
    {"LullResetAcPolicy1", kAcPolicySize, ValueType::Binary, false},
    {"LullResetAcPolicy2", kAcPolicySize, ValueType::Binary, false},
    {"LullResetAbsent", kAbsentNamesCapacity, ValueType::Text, false},
    {"LullResetComputer", kComputerNameCapacity, ValueType::Text, false},
};

// The largest row's buffer.
inline constexpr std::uint32_t kLargestRowCapacity = [] {
  std::uint32_t largest = 0;
  for (const BackupRowLayout& layout : kBackupRowLayout) {
    if (layout.capacity > largest) largest = layout.capacity;
  }
  return largest;
}();

struct BackupTable {
  BackupTable();
  BackupTable(const BackupTable&) = delete;
  BackupTable& operator=(const BackupTable&) = delete;

  BackupEntry& operator[](std::size_t row) { return rows[row]; }
  const BackupEntry& operator[](std::size_t row) const { return rows[row]; }

  // Puts one character with its terminator into a text row of kCharacterCapacity and marks it
  // present.
  void SetCharacter(std::size_t row, char value);
  // Takes size bytes of a value read aside as the row's content, with the given type, and
  // returns false, leaving the row as it was, when the row cannot hold it. A text (a text
  // row, or a value found as text) keeps its terminator within its length: one the bytes
  // lack is added where the buffer has room, and a text that fills the buffer without one
  // cannot be held, since Windows 95, 98 and Me would store a text written back from it up
  // to whatever zero byte follows.
  // A value of no bytes holds nothing to keep.
  bool TakeValue(std::size_t row, ValueType type, const std::uint8_t* bytes, std::uint32_t size);
  // Takes a text of at least one character, its terminator added, as a text row's content.
  bool TakeText(std::size_t row, const char* text);

  // The rows and the end marker.
  BackupEntry rows[kBackupRowCount + 1];
  // Set by LoadBackup when the key or a value the backup may hold could not be read: the
  // rows then lack it, and only another start can put it back.
  bool loadFailed = false;
  // Set by LoadBackup when the backup names a computer other than this one: it came with a
  // roaming profile, and its machine-wide policies are that computer's, not this one's.
  bool fromAnotherComputer = false;
  // Whether the machine-wide policies the rows hold may go to this computer's places: not
  // from another computer's backup, nor from one not read whole (when its name could not be
  // read, or this computer's, it is not known whose they are).
  bool MachinePoliciesOwn() const { return !fromAnotherComputer && !loadFailed; }

  // Every row's buffer, one after the other in table order.
  static constexpr std::uint32_t kStorageSize = [] {
    std::uint32_t total = 0;
    for (const BackupRowLayout& layout : kBackupRowLayout) total += layout.capacity;
    return total;
  }();

 private:
  std::uint8_t storage_[kStorageSize] = {};
};

// Which rows SaveBackup writes: all present rows after an activation (and no other), only
// the flag after a reset has emptied the key.
enum class SaveScope : std::uint8_t { PresentRows, FlagOnly };

// Each works on the rows of the store. LoadBackup loads nothing when the key holds no flag.
void LoadBackup(SettingsStore& store);
// The computer's name into its row, for the backup an activation saves; absent when Windows
// does not know it (such a backup counts as this computer's wherever it is loaded).
void TakeComputerName(SettingsStore& store);
// True when the key could be created, every value it had to write or delete was, and the
// flag, written last, is on the disk. A save of the present rows that fails leaves no flag,
// and so no backup.
bool SaveBackup(SettingsStore& store, SaveScope scope);
// True when none of the backup's values is left (a missing key holds none).
bool ClearBackup(SettingsStore& store);

}  // namespace lull
