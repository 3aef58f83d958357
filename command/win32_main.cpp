// The entry of lullcmd.exe on Windows. There is no C runtime to start the program: the
// loader calls this function directly, and the process ends with the companion's exit
// code.
#include "command/companion.h"
#include "platform/win32_console.h"
#include "platform/win32_platform.h"
#include "session/session.h"

// The loader does not promise the stack alignment the compiler assumes; realign it.
extern "C" [[noreturn]] __attribute__((force_align_arg_pointer)) void LullEntry() {
  lull::Win32Platform platform;
  lull::Win32Console console;
  lull::Session session(platform);
  lull::Win32Platform::Exit(static_cast<unsigned>(lull::RunCompanion(session, console)));
}
