// The entry of lull.exe on Windows: the real platform, one program object, one run.
#include "platform/win32_platform.h"
#include "wizard/program.h"
#include "wizard/startup.h"

int main() {
  lull::Win32Platform platform;
  lull::Program program(platform);
  lull::RunWizard(program);
  lull::Win32Platform::Exit(0);
}
