// lullcmd.exe's Windows side: standard output, the log file, the names and the local time
// (Win32Console), and the shared platform without pages (Win32CompanionPlatform). Only
// lullcmd.exe links it. This header stays free of <windows.h>.
#pragma once

#include "platform/console.h"
#include "platform/win32_platform.h"

namespace lull {

class Win32Console final : public Console {
 public:
  bool WriteOutput(const char* text, std::uint32_t length) override;
  FileHandle OpenFileForAppending(const char* path, bool& busy) override;
  void Sleep(std::uint32_t milliseconds) override;
  bool GetComputerName(char* buffer, std::uint32_t capacity) override;
  bool GetUserName(char* buffer, std::uint32_t capacity) override;
  LocalTime GetLocalTime() override;
};

// The companion never shows a page: its page calls make no Windows call, so that no dialog
// function and no COMCTL32 is among its imports.
class Win32CompanionPlatform final : public Win32Platform {
 public:
  void InitCommonControls() override;
  ModuleHandle GetModuleHandle() override;

  void ShowPage(ModuleHandle module, const char* templateName, DialogHandler& handler) override;
  void EndDialog(DialogWindow page, int result) override;
  void SetCheck(DialogWindow page, int controlId, bool checked) override;
  void SetControlText(DialogWindow page, int controlId, const char* text) override;
  void PostQuitMessage(int exitCode) override;
};

}  // namespace lull
