// The entry of lull.exe on Windows. There is no C runtime to start the program: the
// loader calls this function directly, and the process ends with exit code 0.
#include "platform/win32_pages.h"
#include "platform/win32_platform.h"
#include "wizard/program.h"
#include "wizard/startup.h"

// The loader does not promise the stack alignment the compiler assumes; realign it.
extern "C" [[noreturn]] __attribute__((force_align_arg_pointer)) void LullEntry() {
  lull::Win32Platform platform;
  lull::Win32Pages pages;
  lull::Program program(platform);
  lull::RunWizard(program, pages);
  lull::Win32Platform::Exit(0);
}
