// The seam to Windows: every system call both programs make goes through Platform; the
// wizard's pages go through Pages (pages.h) and the companion's console through Console
// (console.h). The win32_*.cpp files implement them with the real calls; the native tests
// use an in-memory Windows.
#pragma once

#include <cstdint>

namespace lull {

// Result of a registry call, as Windows gives it: 0 is success, anything else a failure.
using RegResult = std::int32_t;
inline constexpr RegResult kRegSuccess = 0;
// The failures that only say a key or value is not there for the program: missing, a
// path the registry will not take, not writable (every open asks for full access), or
// larger than the buffer. Any other result is a call that failed.
inline constexpr RegResult kRegFileNotFound = 2;
inline constexpr RegResult kRegPathNotFound = 3;
inline constexpr RegResult kRegAccessDenied = 5;
inline constexpr RegResult kRegMoreData = 234;
inline constexpr RegResult kRegBadKey = 1010;
// Not found: the key or value does not exist (or its path cannot name one).
constexpr bool IsNotFound(RegResult result) {
  return result == kRegFileNotFound || result == kRegPathNotFound || result == kRegBadKey;
}
// A delete that found nothing to delete leaves what was asked for.
constexpr bool IsDeleted(RegResult result) { return result == kRegSuccess || IsNotFound(result); }
// Not found, access denied or more data: the failures a reader takes for a value that is
// not there.
constexpr bool IsNotFoundDeniedOrMoreData(RegResult result) {
  return IsNotFound(result) || result == kRegAccessDenied || result == kRegMoreData;
}

// An open registry key; 0 means none.
using KeyHandle = std::uintptr_t;

// An open file; 0 means none (the real side maps INVALID_HANDLE_VALUE to 0).
using FileHandle = std::uintptr_t;

enum class Hive : std::uint8_t { CurrentUser, LocalMachine };

// Registry value types. The numbers are those stored in the registry, so a type read
// back from a value written by any tool compares with them.
enum class ValueType : std::uint32_t { None = 0, Text = 1, Binary = 3 };

// What GetVersionExA reports; all zero when the query fails.
struct VersionInfo {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t platformId = 0;
};

// The settings SystemParametersInfoA is asked to change in the running system.
enum class SystemSetting : std::uint8_t {
  ScreenSaverActive,
  ScreenSaverTimeout,
  PowerOffActive,
  PowerOffTimeout,
};

class Platform {
 public:
  // Start-up.
  virtual VersionInfo GetVersion() = 0;
  // The process command line; never null.
  virtual const char* GetCommandLine() = 0;

  // Registry, always with full access (a key the user may only read does not open).
  virtual RegResult OpenKey(Hive hive, const char* path, KeyHandle& key) = 0;
  // Creates the key (class " ", non-volatile) or opens it when it exists.
  virtual RegResult CreateKey(Hive hive, const char* path, KeyHandle& key) = 0;
  // size: the buffer's capacity on entry, the value's size on return.
  virtual RegResult QueryValue(KeyHandle key, const char* name, ValueType& type, void* data,
                               std::uint32_t& size) = 0;
  virtual RegResult SetValue(KeyHandle key, const char* name, ValueType type, const void* data,
                             std::uint32_t size) = 0;
  virtual RegResult DeleteValue(KeyHandle key, const char* name) = 0;
  virtual RegResult CloseKey(KeyHandle key) = 0;
  // Puts the key's hive on the disk now, before the call returns. Otherwise each hive
  // reaches the disk when Windows likes, in no fixed order.
  virtual RegResult FlushKey(KeyHandle key) = 0;

  // Files, opened without sharing. Open for reading needs an existing file; open for
  // writing creates or truncates one.
  virtual FileHandle OpenFileForReading(const char* path) = 0;
  virtual FileHandle CreateFileForWriting(const char* path) = 0;
  virtual bool ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t& read) = 0;
  virtual bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                         std::uint32_t& written) = 0;
  // Puts the file's data on the disk now; otherwise a power cut may lose what was written.
  virtual bool FlushFile(FileHandle file) = 0;
  virtual bool CloseFile(FileHandle file) = 0;
  virtual bool DeleteFile(const char* path) = 0;
  // Fails when the new name is taken.
  virtual bool MoveFile(const char* from, const char* to) = 0;
  // Drops the copy of an INI file that Windows 95, 98 and Me keep for the profile
  // functions, so that the file itself is what is read and what stays; no result.
  virtual void FlushProfileCache(const char* path) = 0;

  // The running system: changes one setting and tells every window, storing nothing.
  virtual bool SetSystemParameter(SystemSetting setting, std::uint32_t value) = 0;
  // Returns the length written, 0 on failure (the buffer is then left alone).
  virtual std::uint32_t GetSystemDirectory(char* buffer, std::uint32_t capacity) = 0;
  // Starts a process with the wizard's own start-up information, normal priority, no
  // inherited handles, and does not wait for it. The line may be changed by the system.
  virtual bool StartProcess(char* commandLine) = 0;

  // Case-insensitive comparison of exactly count bytes of both texts in the system locale.
  virtual bool EqualIgnoringCase(const char* a, const char* b, std::uint32_t count) = 0;
  // The computer's name, terminated; false, and the buffer left alone, when Windows does not
  // know it or the buffer is too small.
  virtual bool GetComputerName(char* buffer, std::uint32_t capacity) = 0;

 protected:
  ~Platform() = default;
};

}  // namespace lull
