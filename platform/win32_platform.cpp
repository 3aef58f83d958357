// The seam's real side that both programs share. The files platform/win32_*.cpp are the
// only ones that include <windows.h>, and so the only places where the Windows constants
// live.
#include "platform/win32_platform.h"

#include <windows.h>

// The seam's operations share their names with these Windows macros.
#undef GetCommandLine
#undef DeleteFile
#undef MoveFile
#undef GetSystemDirectory
#undef GetComputerName

namespace lull {
namespace {

// Every key is opened with full access, also for reading, so a key the user may only
// read counts as missing.
constexpr REGSAM kKeyAccess = KEY_ALL_ACCESS;
// Announcements change the running system and tell every window; they store nothing.
constexpr UINT kAnnounce = SPIF_SENDWININICHANGE;
// The class given to the backup key when it is created; Windows only reads it.
constexpr char kBackupKeyClass[] = " ";

HKEY HiveKey(Hive hive) {
  return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
HKEY AsKey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }
HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(handle);
}

UINT SettingAction(SystemSetting setting) {
  switch (setting) {
    case SystemSetting::ScreenSaverActive:
      return SPI_SETSCREENSAVEACTIVE;
    case SystemSetting::ScreenSaverTimeout:
      return SPI_SETSCREENSAVETIMEOUT;
    case SystemSetting::PowerOffActive:
      return SPI_SETPOWEROFFACTIVE;
    case SystemSetting::PowerOffTimeout:
      return SPI_SETPOWEROFFTIMEOUT;
  }
  return 0;
}

}  // namespace

VersionInfo Win32Platform::GetVersion() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(&info)) return VersionInfo{};
  return VersionInfo{info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId};
}

const char* Win32Platform::GetCommandLine() {
  const char* line = ::GetCommandLineA();
  return line != nullptr ? line : "";
}

RegResult Win32Platform::OpenKey(Hive hive, const char* path, KeyHandle& key) {
  HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyExA(HiveKey(hive), path, 0, kKeyAccess, &opened);
  key = result == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(opened) : 0;
  return result;
}

RegResult Win32Platform::CreateKey(Hive hive, const char* path, KeyHandle& key) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG result =
      ::RegCreateKeyExA(HiveKey(hive), path, 0, const_cast<char*>(kBackupKeyClass),
                        REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, &created, &disposition);
  key = result == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(created) : 0;
  return result;
}

RegResult Win32Platform::QueryValue(KeyHandle key, const char* name, ValueType& type, void* data,
                                    std::uint32_t& size) {
  DWORD foundType = 0;
  DWORD foundSize = size;
  const LONG result = ::RegQueryValueExA(AsKey(key), name, nullptr, &foundType,
                                         static_cast<BYTE*>(data), &foundSize);
  type = static_cast<ValueType>(foundType);
  size = foundSize;
  return result;
}

RegResult Win32Platform::SetValue(KeyHandle key, const char* name, ValueType type, const void* data,
                                  std::uint32_t size) {
  return ::RegSetValueExA(AsKey(key), name, 0, static_cast<DWORD>(type),
                          static_cast<const BYTE*>(data), size);
}

RegResult Win32Platform::DeleteValue(KeyHandle key, const char* name) {
  return ::RegDeleteValueA(AsKey(key), name);
}

RegResult Win32Platform::CloseKey(KeyHandle key) { return ::RegCloseKey(AsKey(key)); }

RegResult Win32Platform::FlushKey(KeyHandle key) { return ::RegFlushKey(AsKey(key)); }

FileHandle Win32Platform::OpenFileForReading(const char* path) {
  return FromHandle(
      ::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle Win32Platform::CreateFileForWriting(const char* path) {
  return FromHandle(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32Platform::ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t& read) {
  DWORD count = 0;
  const BOOL ok = ::ReadFile(AsHandle(file), data, size, &count, nullptr);
  read = ok ? count : 0;
  return ok != FALSE;
}

bool Win32Platform::WriteFile(FileHandle file, const void* data, std::uint32_t size,
                              std::uint32_t& written) {
  DWORD count = 0;
  const BOOL ok = ::WriteFile(AsHandle(file), data, size, &count, nullptr);
  written = count;
  return ok != FALSE;
}

bool Win32Platform::FlushFile(FileHandle file) {
  return ::FlushFileBuffers(AsHandle(file)) != FALSE;
}

bool Win32Platform::CloseFile(FileHandle file) { return ::CloseHandle(AsHandle(file)) != FALSE; }

bool Win32Platform::DeleteFile(const char* path) { return ::DeleteFileA(path) != FALSE; }

bool Win32Platform::MoveFile(const char* from, const char* to) {
  return ::MoveFileA(from, to) != FALSE;
}

void Win32Platform::FlushProfileCache(const char* path) {
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
}

bool Win32Platform::SetSystemParameter(SystemSetting setting, std::uint32_t value) {
  return ::SystemParametersInfoA(SettingAction(setting), value, nullptr, kAnnounce) != FALSE;
}

std::uint32_t Win32Platform::GetSystemDirectory(char* buffer, std::uint32_t capacity) {
  const UINT length = ::GetSystemDirectoryA(buffer, capacity);
  // A directory longer than the buffer is not written: count it as a failure.
  return length < capacity ? length : 0;
}

bool Win32Platform::StartProcess(char* commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  PROCESS_INFORMATION process = {};
  // The new process runs by itself; its handles go when the wizard's process ends.
  return ::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                          nullptr, nullptr, &startup, &process) != FALSE;
}

bool Win32Platform::EqualIgnoringCase(const char* a, const char* b, std::uint32_t count) {
  return ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(count), b,
                          static_cast<int>(count)) == CSTR_EQUAL;
}

void Win32Platform::Exit(unsigned exitCode) { ::ExitProcess(exitCode); }

// Writes nothing into a buffer that is too small, and fails.
bool Win32Platform::GetComputerName(char* buffer, std::uint32_t capacity) {
  DWORD size = capacity;
  return ::GetComputerNameA(buffer, &size) != FALSE;
}

}  // namespace lull
