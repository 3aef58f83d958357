#include "settings/current_settings.h"

#include "settings/decimal.h"

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

bool Open(SettingsStore& store, const char* path, bool& complete) {
  RegResult result = kRegSuccess;
  const bool opened = OpenLiveKey(store.platform, store.keys, path, &result);
  Note(result, complete);
  return opened;
}

bool Query(SettingsStore& store, const char* name, std::uint32_t capacity, ValueRead& value,
           bool& complete) {
  ValueType type = ValueType::None;
  value.size = capacity < sizeof value.data ? capacity : sizeof value.data;
  const std::uint32_t asked = value.size;
  const RegResult result =
      store.platform.QueryValue(store.keys.liveKey, name, type, value.data, value.size);
  Note(result, complete);
  return result == kRegSuccess && value.size <= asked;
}

// The power-policy records are carried through whole and written back whole, so a
// record of any other size is not one the program understands and counts as missing.
void ReadRecord(SettingsStore& store, const char* path, const char* name, std::size_t row,
                bool& complete) {
  ValueRead value;
  const std::uint32_t capacity = store.backup[row].capacity;
  if (Open(store, path, complete) && Query(store, name, capacity, value, complete) &&
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

void ReadPowerPolicies(SettingsStore& store, bool& complete) {
  BackupTable& rows = store.backup;
  ValueRead index;
  if (Open(store, kPowerCfgKeyPath, complete) &&
      Query(store, "CurrentPowerPolicy", 2, index, complete) && OneDigitText(index)) {
    const char digit = static_cast<char>(index.data[0]);
    store.powerSchemeKeyPath.SetIndex(digit);
    ValueRead policies;
    if (Open(store, store.powerSchemeKeyPath.text, complete) &&
        Query(store, "Policies", kPoliciesSize, policies, complete) &&
        policies.size == kPoliciesSize) {
      rows.SetFlagText(kRowPowerPolicyIndex, digit);
      rows.TakeValue(kRowPolicies, ValueType::Binary, policies.data, policies.size);
    }
  }
  store.controlSetKeyPath.SetDigit('1');
  ReadRecord(store, store.controlSetKeyPath.text, "AcPolicy", kRowAcPolicy1, complete);
  store.controlSetKeyPath.SetDigit('2');
  ReadRecord(store, store.controlSetKeyPath.text, "AcPolicy", kRowAcPolicy2, complete);
  ReadRecord(store, kCurrentControlSetPowerKeyPath, "AcPolicy", kRowAcPolicy, complete);
}

void ReadSwitch(SettingsStore& store, const char* name, std::size_t row, bool& complete) {
  ValueRead value;
  // An empty value of no bytes at all holds no character to keep.
  if (Query(store, name, 2, value, complete) && value.size >= 1) {
    store.backup.SetFlagText(row, static_cast<char>(value.data[0]));
  }
}

// Sets seconds only when the row took the value: a time-out of more than five characters,
// with or without its terminator, is missing.
void ReadTimeOut(SettingsStore& store, const char* name, std::size_t row, std::uint32_t& seconds,
                 bool& complete) {
  ValueRead value;
  if (!Query(store, name, store.backup[row].capacity, value, complete)) return;
  if (!store.backup.TakeValue(row, ValueType::Text, value.data, value.size)) return;
  seconds = ParseDecimal(store.backup[row].text(), store.backup[row].length);
}

void ReadDesktop(SettingsStore& store, bool& complete) {
  if (!Open(store, kDesktopKeyPath, complete)) return;
  std::uint32_t standbySeconds = 0;  // not announced
  ReadSwitch(store, "ScreenSaveLowPowerActive", kRowStandbyActive, complete);
  ReadTimeOut(store, "ScreenSaveLowPowerTimeOut", kRowStandbyTimeOut, standbySeconds, complete);
  ReadSwitch(store, "ScreenSavePowerOffActive", kRowPowerOffActive, complete);
  ReadTimeOut(store, "ScreenSavePowerOffTimeOut", kRowPowerOffTimeOut,
              store.toApply.sleepSecondsToApply, complete);
  ReadSwitch(store, "ScreenSaveActive", kRowScreenSaveActive, complete);
  ReadTimeOut(store, "ScreenSaveTimeOut", kRowScreenSaveTimeOut,
              store.toApply.screenSaverSecondsToApply, complete);
}

}  // namespace

bool ReadCurrentSettings(SettingsStore& store) {
  bool complete = true;
  if (store.os != OsClass::Win95) ReadPowerPolicies(store, complete);
  ReadDesktop(store, complete);
  CloseLiveKey(store.platform, store.keys);
  return complete;
}

std::uint32_t ReadLittleEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteLittleEndian32(std::uint8_t* bytes, std::uint32_t value) {
  for (int at = 0; at < 4; ++at) bytes[at] = static_cast<std::uint8_t>(value >> (8 * at));
}

}  // namespace lull
