#include "settings/current_settings.h"

#include "settings/decimal.h"
#include "settings/registry_key.h"

namespace lull {
namespace {

// One value read aside: a row or key path changes only when the whole value was read,
// because Windows leaves a buffer's contents undefined when the value does not fit.
struct ValueRead {
  std::uint8_t data[kAcPolicySize];
  std::uint32_t size = 0;
};

// complete is cleared when a key or value that may be there could not be read: a backup
// taken then would not hold what is in force.
void Note(RegResult result, bool& complete) {
  if (result != kRegSuccess && !MeansNotThere(result)) complete = false;
}

bool Open(RegistryKey& key, const char* path, bool& complete) {
  const RegResult result = key.Open(path);
  Note(result, complete);
  return result == kRegSuccess;
}

bool Query(RegistryKey& key, const char* name, std::uint32_t capacity, ValueRead& value,
           bool& complete) {
  ValueType type = ValueType::None;
  value.size = capacity < sizeof value.data ? capacity : sizeof value.data;
  const std::uint32_t asked = value.size;
  const RegResult result = key.Query(name, type, value.data, value.size);
  Note(result, complete);
  return result == kRegSuccess && value.size <= asked;
}

// The power-policy records are carried through whole and written back whole, so a
// record of any other size is not one the program understands and counts as missing.
void ReadRecord(SettingsStore& store, RegistryKey& key, const char* path, const char* name,
                std::size_t row, bool& complete) {
  ValueRead value;
  const std::uint32_t capacity = store.backup[row].capacity;
  if (Open(key, path, complete) && Query(key, name, capacity, value, complete) &&
      value.size == capacity) {
    store.backup.TakeValue(row, ValueType::Binary, value.data, value.size);
  }
}

// A scheme index is one digit: a longer one cannot be put into the key path, and any
// other character would lead to a key that is not a power scheme.
bool OneDigitText(const ValueRead& value) {
  const bool digit = value.size >= 1 && value.data[0] >= '0' && value.data[0] <= '9';
  return digit && (value.size == 1 || (value.size == 2 && value.data[1] == 0));
}

void ReadPowerPolicies(SettingsStore& store, RegistryKey& key, bool& complete) {
  BackupTable& rows = store.backup;
  ValueRead index;
  if (Open(key, kPowerCfgKeyPath, complete) &&
      Query(key, "CurrentPowerPolicy", 2, index, complete) && OneDigitText(index)) {
    const char digit = static_cast<char>(index.data[0]);
    store.powerSchemeKeyPath.SetIndex(digit);
    ValueRead policies;
    if (Open(key, store.powerSchemeKeyPath.text, complete) &&
        Query(key, "Policies", kPoliciesSize, policies, complete) &&
        policies.size == kPoliciesSize) {
      rows.SetCharacter(kRowPowerPolicyIndex, digit);
      rows.TakeValue(kRowPolicies, ValueType::Binary, policies.data, policies.size);
    }
  }
  store.controlSetKeyPath.SetDigit('1');
  ReadRecord(store, key, store.controlSetKeyPath.text, "AcPolicy", kRowAcPolicy1, complete);
  store.controlSetKeyPath.SetDigit('2');
  ReadRecord(store, key, store.controlSetKeyPath.text, "AcPolicy", kRowAcPolicy2, complete);
  ReadRecord(store, key, kCurrentControlSetPowerKeyPath, "AcPolicy", kRowAcPolicy, complete);
}

void ReadSwitch(SettingsStore& store, RegistryKey& key, const char* name, std::size_t row,
                bool& complete) {
  ValueRead value;
  // An empty value of no bytes at all holds no character to keep.
  if (Query(key, name, 2, value, complete) && value.size >= 1) {
    store.backup.SetCharacter(row, static_cast<char>(value.data[0]));
  }
}

// Sets seconds only when the row took the value: a time-out of more than five characters,
// with or without its terminator, is missing.
void ReadTimeOut(SettingsStore& store, RegistryKey& key, const char* name, std::size_t row,
                 std::uint32_t& seconds, bool& complete) {
  ValueRead value;
  if (!Query(key, name, store.backup[row].capacity, value, complete)) return;
  if (!store.backup.TakeValue(row, ValueType::Text, value.data, value.size)) return;
  seconds = ParseDecimal(store.backup[row].text(), store.backup[row].length);
}

void ReadDesktop(SettingsStore& store, RegistryKey& key, CurrentSettings& read) {
  bool& complete = read.complete;
  if (!Open(key, kDesktopKeyPath, complete)) return;
  std::uint32_t standbySeconds = 0;  // not announced
  ReadSwitch(store, key, "ScreenSaveLowPowerActive", kRowStandbyActive, complete);
  ReadTimeOut(store, key, "ScreenSaveLowPowerTimeOut", kRowStandbyTimeOut, standbySeconds,
              complete);
  ReadSwitch(store, key, "ScreenSavePowerOffActive", kRowPowerOffActive, complete);
  ReadTimeOut(store, key, "ScreenSavePowerOffTimeOut", kRowPowerOffTimeOut,
              read.timeOuts.sleepSecondsToApply, complete);
  ReadSwitch(store, key, "ScreenSaveActive", kRowScreenSaveActive, complete);
  ReadTimeOut(store, key, "ScreenSaveTimeOut", kRowScreenSaveTimeOut,
              read.timeOuts.screenSaverSecondsToApply, complete);
}

}  // namespace

CurrentSettings ReadCurrentSettings(SettingsStore& store) {
  CurrentSettings read;
  // One key at a time, each closed before the next opens.
  RegistryKey key(store.platform);
  if (store.os != OsClass::Win95) ReadPowerPolicies(store, key, read.complete);
  ReadDesktop(store, key, read);
  return read;
}

}  // namespace lull
