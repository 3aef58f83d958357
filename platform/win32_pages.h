// lull.exe's pages, shown as modal dialogs from the templates in the program's resources.
// Only lull.exe links it, so the dialog functions and COMCTL32 are among its imports alone.
// This header stays free of <windows.h>.
#pragma once

#include "platform/dialogs.h"

namespace lull {

class Win32Pages final : public Pages {
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
