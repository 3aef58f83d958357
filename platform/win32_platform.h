// The real Windows behind the seam, the part both programs link: the registry, files, the
// running system, processes, the version and the command line. The pages (win32_pages.h)
// and the console (win32_console.h) are each linked by their own program alone, so that
// each program's imports stay its own. This header stays free of <windows.h>.
#pragma once

#include "platform/platform.h"

namespace lull {

class Win32Platform final : public Platform {
 public:
  VersionInfo GetVersion() override;
  const char* GetCommandLine() override;

  RegResult OpenKey(Hive hive, const char* path, KeyHandle& key) override;
  RegResult CreateKey(Hive hive, const char* path, KeyHandle& key) override;
  RegResult QueryValue(KeyHandle key, const char* name, ValueType& type, void* data,
                       std::uint32_t& size) override;
  RegResult SetValue(KeyHandle key, const char* name, ValueType type, const void* data,
                     std::uint32_t size) override;
  RegResult DeleteValue(KeyHandle key, const char* name) override;
  RegResult CloseKey(KeyHandle key) override;
  RegResult FlushKey(KeyHandle key) override;

  FileHandle OpenFileForReading(const char* path) override;
  FileHandle CreateFileForWriting(const char* path) override;
  bool ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t& read) override;
  bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                 std::uint32_t& written) override;
  bool FlushFile(FileHandle file) override;
  bool CloseFile(FileHandle file) override;
  bool DeleteFile(const char* path) override;
  bool MoveFile(const char* from, const char* to) override;
  void FlushProfileCache(const char* path) override;

  bool SetSystemParameter(SystemSetting setting, std::uint32_t value) override;
  std::uint32_t GetSystemDirectory(char* buffer, std::uint32_t capacity) override;
  bool StartProcess(char* commandLine) override;

  bool EqualIgnoringCase(const char* a, const char* b, std::uint32_t count) override;
  bool GetComputerName(char* buffer, std::uint32_t capacity) override;

  // Ends the process; never returns.
  [[noreturn]] static void Exit(unsigned exitCode);
};

}  // namespace lull
