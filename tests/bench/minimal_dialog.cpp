// The baseline of the start-up benchmark: a dialog program built with lull.exe's own
// toolchain and flags, doing nothing but showing one page until it is cancelled.
#include <windows.h>

namespace {

INT_PTR CALLBACK Page(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(window, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

extern "C" [[noreturn]] __attribute__((force_align_arg_pointer)) void LullEntry() {
  DialogBoxParamA(GetModuleHandleA(nullptr), "MinimalPage", nullptr, Page, 0);
  ExitProcess(0);
}
