// The pages' real side: modal dialogs from the templates in lull.exe's resources, and the
// common controls they use. Only lull.exe links this file.
#include "platform/win32_pages.h"

#include <windows.h>
// commctrl.h needs the types of windows.h first.
#include <commctrl.h>

// The seam's operations share their names with these Windows macros.
#undef GetModuleHandle

namespace lull {
namespace {

// The handler of the open page. Only one page is ever open, so the seam keeps it here:
// keeping it in the page's window instead would take SetWindowLongA and GetWindowLongA,
// two more imports for nothing.
DialogHandler* activeHandler = nullptr;

static_assert(kCancelCommand == IDCANCEL, "the dialog manager's id for Escape and the close box");

HWND AsWindow(DialogWindow page) { return reinterpret_cast<HWND>(page); }

INT_PTR CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
  DialogMessage kind = DialogMessage::Other;
  if (message == WM_INITDIALOG) kind = DialogMessage::Init;
  if (message == WM_COMMAND) kind = DialogMessage::Command;
  if (message == WM_DESTROY) kind = DialogMessage::Destroy;
  if (kind == DialogMessage::Other || activeHandler == nullptr) return FALSE;
  return activeHandler->OnMessage(reinterpret_cast<DialogWindow>(window), kind, LOWORD(wParam),
                                  HIWORD(wParam))
             ? TRUE
             : FALSE;
}

}  // namespace

void Win32Pages::InitCommonControls() { ::InitCommonControls(); }

ModuleHandle Win32Pages::GetModuleHandle() {
  return reinterpret_cast<ModuleHandle>(::GetModuleHandleA(nullptr));
}

void Win32Pages::ShowPage(ModuleHandle module, const char* templateName, DialogHandler& handler) {
  activeHandler = &handler;
  ::DialogBoxParamA(reinterpret_cast<HINSTANCE>(module), templateName, nullptr, PageProcedure, 0);
  activeHandler = nullptr;
}

void Win32Pages::EndDialog(DialogWindow page, int result) { ::EndDialog(AsWindow(page), result); }

void Win32Pages::SetCheck(DialogWindow page, int controlId, bool checked) {
  ::SendDlgItemMessageA(AsWindow(page), controlId, BM_SETCHECK,
                        checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Pages::SetControlText(DialogWindow page, int controlId, const char* text) {
  ::SetDlgItemTextA(AsWindow(page), controlId, text);
}

void Win32Pages::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

}  // namespace lull
