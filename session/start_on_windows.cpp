#include "session/start_on_windows.h"

#include "platform/os_class.h"
#include "settings/system_ini.h"

namespace lull {

bool StartOnThisWindows(Session& session) {
  Platform& platform = session.platform;
  const OsClass os = ClassifyVersion(platform.GetVersion());
  session.store.os = os;
  // A reset stopped in the middle of its swap may have left no System.Ini, which these
  // Windows need to start; it comes back before anything else, so the reset can run again.
  if (IsWin9xFamily(os)) PutBackSystemIni(platform);
  return os != OsClass::UnsupportedNt;
}

}  // namespace lull
