#include "settings/registry_key.h"

namespace lull {
namespace {

bool StartsWith(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text != *prefix) return false;
  }
  return true;
}

}  // namespace

Hive HiveOfPath(const char* path) {
  return StartsWith(path, "System") ? Hive::LocalMachine : Hive::CurrentUser;
}

RegResult RegistryKey::Open(const char* path) {
  Close();
  return Keep(platform_.OpenKey(HiveOfPath(path), path, handle_));
}

RegResult RegistryKey::Create(const char* path) {
  Close();
  return Keep(platform_.CreateKey(HiveOfPath(path), path, handle_));
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
