#include "settings/backup_table.h"

#include "platform/text.h"

namespace lull {

namespace {

struct RowLayout {
  const char* name;
  std::uint16_t capacity;
  ValueType type;
  // Text rows of the live values start as blanks with a terminator; the rest as zeros.
  bool blank;
};

constexpr RowLayout kLayout[kBackupRowCount] = {
    {"LullResetFlag", 2, ValueType::Text, false},
    {"LullResetScrnSave", kScreenSaverPathCapacity, ValueType::Text, false},
    {"LullResetScrnSaveAct", 2, ValueType::Text, true},
    {"LullResetTimeOut", 6, ValueType::Text, true},
    {"LullResetStandby", 6, ValueType::Text, true},
    {"LullResetStandbyAct", 2, ValueType::Text, true},
    {"LullResetPowerOff", 6, ValueType::Text, true},
    {"LullResetPowerOffAct", 2, ValueType::Text, true},
    {"LullResetPowerPolicy", 2, ValueType::Text, true},
    {"LullResetPolicies", kPoliciesSize, ValueType::Binary, false},
    {"LullResetAcPolicy", kAcPolicySize, ValueType::Binary, false},
    {"LullResetAcPolicy1", kAcPolicySize, ValueType::Binary, false},
    {"LullResetAcPolicy2", kAcPolicySize, ValueType::Binary, false},
};

constexpr std::uint32_t StorageNeeded() {
  std::uint32_t total = 0;
  for (const RowLayout& layout : kLayout) total += layout.capacity;
  return total;
}
static_assert(StorageNeeded() == BackupTable::kStorageSize, "every row has its own buffer");

}  // namespace

BackupTable::BackupTable() {
  std::uint8_t* buffer = storage_;
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    const RowLayout& layout = kLayout[row];
    rows[row] = BackupEntry{layout.name, buffer, 0, layout.type, layout.capacity, layout.type};
    if (layout.blank) {
      for (std::uint32_t at = 0; at + 1 < layout.capacity; ++at) buffer[at] = ' ';
    }
    buffer += layout.capacity;
  }
  rows[kBackupRowCount] = BackupEntry{nullptr, nullptr, 0, ValueType::None, 0, ValueType::None};
}

void BackupTable::SetFlagText(std::size_t row, char value) {
  BackupEntry& entry = rows[row];
  if (entry.capacity < 2) return;
  entry.data[0] = static_cast<std::uint8_t>(value);
  entry.data[1] = 0;
  entry.length = 2;
  // The row now holds a text of the program's own, whatever type a load had found.
  entry.type = entry.ownType;
}

bool BackupTable::TakeValue(std::size_t row, ValueType type, const std::uint8_t* bytes,
                            std::uint32_t size) {
  BackupEntry& entry = rows[row];
  if (size == 0 || size > entry.capacity) return false;
  std::uint32_t length = size;
  if (entry.ownType == ValueType::Text &&
      TextLength(reinterpret_cast<const char*>(bytes), size) == size) {
    if (size == entry.capacity) return false;
    length = size + 1;
  }
  for (std::uint32_t at = 0; at < size; ++at) entry.data[at] = bytes[at];
  if (length > size) entry.data[size] = 0;
  entry.length = length;
  entry.type = type;
  return true;
}

void LoadBackup(Platform& platform, RegistryKeys& keys, BackupTable& table) {
  if (OpenBackupKey(platform, keys)) {
    // Windows leaves a buffer's contents undefined when the value does not fit, so each
    // value is read aside and a row's buffer changes only when its value was read whole.
    std::uint8_t read[kLargestRowCapacity];
    for (std::size_t index = 0; index < kBackupRowCount; ++index) {
      BackupEntry& row = table[index];
      ValueType found = row.type;
      const std::uint32_t capacity = row.capacity < sizeof read ? row.capacity : sizeof read;
      std::uint32_t size = capacity;
      const RegResult result = platform.QueryValue(keys.backupKey, row.name, found, read, size);
      if (result != kRegSuccess || size > capacity || !table.TakeValue(index, found, read, size)) {
        row.length = 0;
        if (result != kRegSuccess && !MeansNotThere(result)) table.loadFailed = true;
      }
    }
  }
  CloseBackupKey(platform, keys);
}

bool SaveBackup(Platform& platform, RegistryKeys& keys, BackupTable& table) {
  bool saved = CreateBackupKey(platform, keys);
  if (saved) {
    for (const BackupEntry* row = table.rows; row->name != nullptr; ++row) {
      if (row->present()) {
        const std::uint32_t size = row->length < row->capacity ? row->length : row->capacity;
        if (platform.SetValue(keys.backupKey, row->name, row->type, row->data, size) !=
            kRegSuccess) {
          // A reset leaves a live value alone when the backup lacks it, but would put back
          // an older activation's value among the new ones.
          platform.DeleteValue(keys.backupKey, row->name);
          saved = false;
        }
      }
      if (table.flagOnlyWrite) break;
    }
  }
  CloseBackupKey(platform, keys);
  return saved;
}

bool ClearBackup(Platform& platform, RegistryKeys& keys, const BackupTable& table) {
  const bool opened = OpenBackupKey(platform, keys);
  if (opened) {
    for (const BackupEntry* row = table.rows; row->name != nullptr; ++row) {
      platform.DeleteValue(keys.backupKey, row->name);
    }
  }
  CloseBackupKey(platform, keys);
  return opened;
}

}  // namespace lull
