#include "settings/registry_key.h"

namespace lull {

RegResult RegistryKey::Open(KeyPath key) {
  Close();
  return Keep(platform_.OpenKey(key.hive, key.path, handle_));
}

RegResult RegistryKey::Create(KeyPath key) {
  Close();
  return Keep(platform_.CreateKey(key.hive, key.path, handle_));
}

void RegistryKey::Close() {
  if (handle_ == 0) return;
  platform_.CloseKey(handle_);
  handle_ = 0;
}

RegResult RegistryKey::Keep(RegResult result) {
  if (result != kRegSuccess) handle_ = 0;
  return result;
}

}  // namespace lull
