// One open registry key at a time per holder: opening another closes the one held first,
// and the key is closed when its holder goes out of scope, so no path leaves one open.
// Every open asks for full access, also for reading, so a key the user may only read
// counts as not there.
#pragma once

#include "platform/platform.h"

namespace lull {

// A key: its hive and its path within it.
struct KeyPath {
  Hive hive;
  const char* path;
};

class RegistryKey {
 public:
  explicit RegistryKey(Platform& platform) : platform_(platform) {}
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Both close the key held first and return the registry's result, 0 when the key opened.
  RegResult Open(KeyPath key);
  // Creates the key (class " ", non-volatile) or opens it when it exists.
  RegResult Create(KeyPath key);
  void Close();

  // size: the buffer's capacity on entry, the value's size on return.
  RegResult Query(const char* name, ValueType& type, void* data, std::uint32_t& size) {
    return platform_.QueryValue(handle_, name, type, data, size);
  }
  RegResult Set(const char* name, ValueType type, const void* data, std::uint32_t size) {
    return platform_.SetValue(handle_, name, type, data, size);
  }
  RegResult Delete(const char* name) { return platform_.DeleteValue(handle_, name); }
  RegResult Flush() { return platform_.FlushKey(handle_); }

 private:
  // A failed open or create may leave anything in the handle; it must read as none.
  RegResult Keep(RegResult result);

  Platform& platform_;
  KeyHandle handle_ = 0;
};

}  // namespace lull
