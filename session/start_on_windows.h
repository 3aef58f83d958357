// What both programs do first on every start, before anything else is read or written.
#pragma once

#include "session/session.h"

namespace lull {

// Classifies Windows into the store's OsClass and, on Windows 95, 98 and Me, puts
// System.Ini back when a swap left it missing. False on a Windows neither program
// supports, where nothing else is read or written.
bool StartOnThisWindows(Session& session);

}  // namespace lull
