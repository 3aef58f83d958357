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

}  // namespace lull
