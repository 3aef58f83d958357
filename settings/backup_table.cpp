#include "settings/backup_table.h"

#include "platform/text.h"
#include "settings/settings_store.h"

namespace lull {
namespace {

// A name that differs from this computer's, ignoring case. A backup without one (from
// another tool, or from before backups named their computer) counts as this one's; when this
// computer does not know its own name, the backup is not read whole.
bool NamesAnotherComputer(SettingsStore& store) {
  const BackupEntry& named = store.backup[kRowComputer];
  if (!named.present()) return false;
  char own[kComputerNameCapacity];
  if (!store.platform.GetComputerName(own, sizeof own)) {
    store.backup.loadFailed = true;
    return false;
  }
  const std::uint32_t length = TextLength(own, sizeof own);
  return TextLength(named.text(), named.length) != length ||
         !store.platform.EqualIgnoringCase(own, named.text(), length);
}

}  // namespace

BackupTable::BackupTable() {
  std::uint8_t* buffer = storage_;
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    const BackupRowLayout& layout = kBackupRowLayout[row];
    rows[row] = BackupEntry{layout.name, buffer, 0, layout.type, layout.capacity, layout.type};
    if (layout.blank) {
      for (std::uint32_t at = 0; at + 1 < layout.capacity; ++at) buffer[at] = ' ';
    }
    buffer += layout.capacity;
  }
  rows[kBackupRowCount] = BackupEntry{nullptr, nullptr, 0, ValueType::None, 0, ValueType::None};
}

void BackupTable::SetCharacter(std::size_t row, char value) {
  BackupEntry& entry = rows[row];
  entry.data[0] = static_cast<std::uint8_t>(value);
  entry.data[1] = 0;
  entry.length = kCharacterCapacity;
  // The row now holds a text of the program's own, whatever type a load had found.
  entry.type = entry.ownType;
}

bool BackupTable::TakeValue(std::size_t row, ValueType type, const std::uint8_t* bytes,
                            std::uint32_t size) {
  BackupEntry& entry = rows[row];
  if (size == 0 || size > entry.capacity) return false;
  std::uint32_t length = size;
  // A row goes back as text when it is a text row or was found as one.
  const bool text = entry.ownType == ValueType::Text || type == ValueType::Text;
  if (text && TextLength(reinterpret_cast<const char*>(bytes), size) == size) {
    if (size == entry.capacity) return false;
    length = size + 1;
  }
  for (std::uint32_t at = 0; at < size; ++at) entry.data[at] = bytes[at];
  if (length > size) entry.data[size] = 0;
  entry.length = length;
  entry.type = type;
  return true;
}

bool BackupTable::TakeText(std::size_t row, const char* text) {
  return TakeValue(row, ValueType::Text, reinterpret_cast<const std::uint8_t*>(text),
                   TextLength(text, rows[row].capacity));
}

void LoadBackup(SettingsStore& store) {
  BackupTable& table = store.backup;
  RegistryKey key(store.platform);
  const RegResult opened = key.Open(kBackupKey);
  if (opened != kRegSuccess) {
    // A key that failed to open may hold a backup all the same.
    table.loadFailed = !IsNotFoundDeniedOrMoreData(opened);
    return;
  }
  // Windows leaves a buffer's contents undefined when the value does not fit, so each
  // value is read aside and a row's buffer changes only when its value was read whole.
  std::uint8_t read[kLargestRowCapacity];
  for (std::size_t index = 0; index < kBackupRowCount; ++index) {
    BackupEntry& row = table[index];
    ValueType found = row.type;
    std::uint32_t size = row.capacity;
    const RegResult result = key.Query(row.name, found, read, size);
    if (result != kRegSuccess || size > row.capacity ||
        !table.TakeValue(index, found, read, size)) {
      row.length = 0;
      if (result != kRegSuccess && !IsNotFoundDeniedOrMoreData(result)) table.loadFailed = true;
    }
    // Rows without the flag are no backup: a save or a reset stopped before its end.
    if (!table[kRowFlag].present()) return;
  }
  table.fromAnotherComputer = NamesAnotherComputer(store);
}

void TakeComputerName(SettingsStore& store) {
  char name[kComputerNameCapacity];
  store.backup[kRowComputer].length = 0;
  if (!store.platform.GetComputerName(name, sizeof name)) return;
  store.backup.TakeText(kRowComputer, name);
}

bool SaveBackup(SettingsStore& store, SaveScope scope) {
  const BackupTable& table = store.backup;
  RegistryKey key(store.platform);
  if (key.Create(kBackupKey) != kRegSuccess) return false;
  // The flag is the backup's commit mark: it goes first and comes back last, so that a save
  // stopped anywhere leaves rows that count as no backup rather than a mix of two. A row
  // that is absent now leaves no value of an older backup behind.
  const BackupEntry& flag = table[kRowFlag];
  if (scope == SaveScope::PresentRows) {
    for (const BackupEntry* row = table.rows; row->name != nullptr; ++row) {
      const bool saved = row->present() && row != &flag
                             ? key.Set(row->name, row->type, row->data, row->length) == kRegSuccess
                             : IsDeleted(key.Delete(row->name));
      if (!saved) return false;
    }
  }
  // Only a backup on the disk may be relied on once the live values change: the registry
  // writes each hive to the disk when it likes, the machine's perhaps before the user's.
  return !flag.present() || (key.Set(flag.name, flag.type, flag.data, flag.length) == kRegSuccess &&
                             key.Flush() == kRegSuccess);
}

bool ClearBackup(SettingsStore& store) {
  RegistryKey key(store.platform);
  const RegResult opened = key.Open(kBackupKey);
  if (opened != kRegSuccess) return IsNotFound(opened);
  // The flag goes first: a clear stopped after it leaves rows that count as no backup.
  for (const BackupEntry* row = store.backup.rows; row->name != nullptr; ++row) {
    if (!IsDeleted(key.Delete(row->name))) return false;
  }
  return true;
}

}  // namespace lull
