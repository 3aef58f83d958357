// lullcmd.exe's Windows side beyond the shared one: standard output, the pause, the names,
// the local time and the log's file. Only lullcmd.exe links it. This header stays free of
// <windows.h>.
#pragma once

#include "platform/console.h"

namespace lull {

class Win32Console final : public Console {
 public:
  bool WriteOutput(const char* text, std::uint32_t length) override;
  void FailCriticalErrorsQuietly() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t GetTickCount() override;
  bool GetUserName(char* buffer, std::uint32_t capacity) override;
  LocalTime GetLocalTime() override;
  FileHandle OpenFileForAppending(const char* path, FileError& error, std::uint32_t& size) override;
  bool ReadFileAt(FileHandle file, std::uint32_t offset, void* data, std::uint32_t size,
                  std::uint32_t& read) override;
};

}  // namespace lull
