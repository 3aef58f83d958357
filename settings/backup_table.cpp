#include "settings/backup_table.h"

namespace lull {

BackupTable::BackupTable() {
  struct RowLayout {
    const char* name;
    std::uint8_t* data;
    std::uint32_t capacity;
    ValueType type;
  };
  const RowLayout layout[kBackupRowCount] = {
      {"LullResetFlag", flag_, sizeof flag_, ValueType::Text},
      {"LullResetScrnSave", screenSaver_, sizeof screenSaver_, ValueType::Text},
      {"LullResetScrnSaveAct", screenSaveActive_, sizeof screenSaveActive_, ValueType::Text},
      {"LullResetTimeOut", screenSaveTimeOut_, sizeof screenSaveTimeOut_, ValueType::Text},
      {"LullResetStandby", standbyTimeOut_, sizeof standbyTimeOut_, ValueType::Text},
      {"LullResetStandbyAct", standbyActive_, sizeof standbyActive_, ValueType::Text},
      {"LullResetPowerOff", powerOffTimeOut_, sizeof powerOffTimeOut_, ValueType::Text},
      {"LullResetPowerOffAct", powerOffActive_, sizeof powerOffActive_, ValueType::Text},
      {"LullResetPowerPolicy", powerPolicyIndex_, sizeof powerPolicyIndex_, ValueType::Text},
      {"LullResetPolicies", policies_, sizeof policies_, ValueType::Binary},
      {"LullResetAcPolicy", acPolicy_, sizeof acPolicy_, ValueType::Binary},
      {"LullResetAcPolicy1", acPolicy1_, sizeof acPolicy1_, ValueType::Binary},
      {"LullResetAcPolicy2", acPolicy2_, sizeof acPolicy2_, ValueType::Binary},
  };
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    const RowLayout& r = layout[row];
    rows[row] = BackupEntry{r.name, r.data, 0, r.type, r.capacity, r.type};
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

void LoadBackup(Platform& platform, RegistryKeys& keys, BackupTable& table) {
  if (OpenBackupKey(platform, keys)) {
    // Windows leaves a buffer's contents undefined when the value does not fit, so each
    // value is read aside and a row's buffer changes only when its value was read whole.
    std::uint8_t read[kLargestRowCapacity];
    for (BackupEntry* row = table.rows; row->name != nullptr; ++row) {
      ValueType found = row->type;
      const std::uint32_t capacity = row->capacity < sizeof read ? row->capacity : sizeof read;
      std::uint32_t size = capacity;
      const RegResult result = platform.QueryValue(keys.backupKey, row->name, found, read, size);
      if (result == kRegSuccess && size <= capacity) {
        for (std::uint32_t at = 0; at < size; ++at) row->data[at] = read[at];
        row->length = size;
        row->type = found;
      } else {
        row->length = 0;
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
