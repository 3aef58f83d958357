// The companion's real side: what a console program needs beyond the shared seam, with
// the functions Windows 95's KERNEL32 and ADVAPI32 have. Only lullcmd.exe links this file.
#include "platform/win32_console.h"

#include <windows.h>

// The seam's operations share their names with these Windows macros.
#undef GetUserName

namespace lull {

bool Win32Console::WriteOutput(const char* text, std::uint32_t length) {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return ::WriteFile(output, text, length, &written, nullptr) != FALSE && written == length;
}

void Win32Console::FailCriticalErrorsQuietly() { ::SetErrorMode(SEM_FAILCRITICALERRORS); }

void Win32Console::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint32_t Win32Console::GetTickCount() { return ::GetTickCount(); }

// Writes nothing into a buffer that is too small, and fails.
bool Win32Console::GetUserName(char* buffer, std::uint32_t capacity) {
  DWORD size = capacity;
  return ::GetUserNameA(buffer, &size) != FALSE;
}

LocalTime Win32Console::GetLocalTime() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

FileHandle Win32Console::OpenFileForAppending(const char* path, FileError& error,
                                              std::uint32_t& size) {
  const HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // The reasons a log's administrator can act on; every Windows error code here is below
    // 256. A table is smaller than a switch.
    static constexpr std::uint8_t kReasons[][2] = {
        {ERROR_SHARING_VIOLATION, static_cast<std::uint8_t>(FileError::Busy)},
        {ERROR_LOCK_VIOLATION, static_cast<std::uint8_t>(FileError::Busy)},
        {ERROR_FILE_NOT_FOUND, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_PATH_NOT_FOUND, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_INVALID_DRIVE, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_NOT_READY, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_BAD_NETPATH, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_BAD_NET_NAME, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_INVALID_NAME, static_cast<std::uint8_t>(FileError::NotFound)},
        {ERROR_ACCESS_DENIED, static_cast<std::uint8_t>(FileError::Denied)},
        {ERROR_WRITE_PROTECT, static_cast<std::uint8_t>(FileError::Denied)},
        {ERROR_NETWORK_ACCESS_DENIED, static_cast<std::uint8_t>(FileError::Denied)},
    };
    const DWORD code = ::GetLastError();
    error = FileError::Other;
    for (const auto& reason : kReasons) {
      if (reason[0] == code) error = static_cast<FileError>(reason[1]);
    }
    return 0;
  }
  // A log whose end cannot be found (4 GiB, beyond what the low half of the position
  // holds) is not written at all: a line written anywhere else would overwrite others.
  size = ::SetFilePointer(file, 0, nullptr, FILE_END);
  if (size == INVALID_SET_FILE_POINTER) {
    ::CloseHandle(file);
    error = FileError::Other;
    return 0;
  }
  error = FileError::None;
  return reinterpret_cast<FileHandle>(file);
}

bool Win32Console::ReadFileAt(FileHandle file, std::uint32_t offset, void* data, std::uint32_t size,
                              std::uint32_t& read) {
  const HANDLE handle = reinterpret_cast<HANDLE>(file);
  DWORD count = 0;
  const bool ok = ::SetFilePointer(handle, static_cast<LONG>(offset), nullptr, FILE_BEGIN) !=
                      INVALID_SET_FILE_POINTER &&
                  ::ReadFile(handle, data, size, &count, nullptr) != FALSE;
  read = ok ? count : 0;
  return ::SetFilePointer(handle, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER && ok;
}

}  // namespace lull
