#include "settings/registry_keys.h"

namespace lull {
namespace {

bool StartsWith(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text != *prefix) return false;
  }
  return true;
}

void CloseSlot(Platform& platform, KeyHandle& key) {
  if (key == 0) return;
  platform.CloseKey(key);
  key = 0;
}

// A failed open or create may leave anything in the handle; the slot must read as empty.
bool Opened(RegResult result, KeyHandle& key) {
  if (result == kRegSuccess) return true;
  key = 0;
  return false;
}

}  // namespace

Hive HiveOfPath(const char* path) {
  return StartsWith(path, "System") ? Hive::LocalMachine : Hive::CurrentUser;
}

bool OpenLiveKey(Platform& platform, RegistryKeys& keys, const char* path, RegResult* result) {
  CloseLiveKey(platform, keys);
  const RegResult opened = platform.OpenKey(HiveOfPath(path), path, keys.liveKey);
  if (result != nullptr) *result = opened;
  return Opened(opened, keys.liveKey);
}

void CloseLiveKey(Platform& platform, RegistryKeys& keys) { CloseSlot(platform, keys.liveKey); }

bool CreateBackupKey(Platform& platform, RegistryKeys& keys) {
  CloseBackupKey(platform, keys);
  const bool created =
      Opened(platform.CreateKey(Hive::CurrentUser, kBackupKeyPath, keys.backupKey), keys.backupKey);
  keys.backupKeyFailed = !created;
  return created;
}

bool OpenBackupKey(Platform& platform, RegistryKeys& keys) {
  CloseBackupKey(platform, keys);
  const bool opened =
      Opened(platform.OpenKey(Hive::CurrentUser, kBackupKeyPath, keys.backupKey), keys.backupKey);
  keys.backupKeyFailed = !opened;
  return opened;
}

void CloseBackupKey(Platform& platform, RegistryKeys& keys) { CloseSlot(platform, keys.backupKey); }

}  // namespace lull
