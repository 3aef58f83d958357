// The baselines of the start-up benchmark: a dialog program built with lull.exe's own
// toolchain and flags, doing nothing but showing one page until it is cancelled. Built
// with LULL_BENCH_INIT_COMMON_CONTROLS it also calls InitCommonControls first, as the
// wizard must, which loads comctl32.dll: the floor lull.exe is measured against.
#include <windows.h>
#ifdef LULL_BENCH_INIT_COMMON_CONTROLS
// commctrl.h needs the types of windows.h first.
#include <commctrl.h>
#endif

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
#ifdef LULL_BENCH_INIT_COMMON_CONTROLS
  InitCommonControls();
#endif
  DialogBoxParamA(GetModuleHandleA(nullptr), "MinimalPage", nullptr, Page, 0);
  ExitProcess(0);
}
