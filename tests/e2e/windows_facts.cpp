// The numbers the program takes from Windows, checked against Windows' own headers when the
// Windows tree is built: the registry's result codes and value types, the power-policy
// records' sizes and where their monitor time-out stands, and the longest path.
#include <windows.h>
// powrprof.h needs the types of windows.h first.
#include <powrprof.h>

#include <cstddef>

#include "platform/platform.h"
#include "settings/backup_table.h"
#include "settings/power_policy.h"

namespace lull {

static_assert(kRegSuccess == ERROR_SUCCESS && kRegFileNotFound == ERROR_FILE_NOT_FOUND &&
                  kRegPathNotFound == ERROR_PATH_NOT_FOUND &&
                  kRegAccessDenied == ERROR_ACCESS_DENIED && kRegMoreData == ERROR_MORE_DATA &&
                  kRegBadKey == ERROR_BADKEY,
              "the registry's result codes");
static_assert(static_cast<DWORD>(ValueType::None) == REG_NONE &&
                  static_cast<DWORD>(ValueType::Text) == REG_SZ &&
                  static_cast<DWORD>(ValueType::Binary) == REG_BINARY,
              "the registry's value types");
static_assert(kPoliciesSize == sizeof(USER_POWER_POLICY) &&
                  kPoliciesVideoTimeoutOffset == offsetof(USER_POWER_POLICY, VideoTimeoutAc),
              "the user's power policy");
static_assert(kAcPolicySize == sizeof(SYSTEM_POWER_POLICY) &&
                  kAcPolicyVideoTimeoutOffset == offsetof(SYSTEM_POWER_POLICY, VideoTimeout),
              "the machine's power policy");
static_assert(kScreenSaverPathCapacity == MAX_PATH, "a screen saver's path");

}  // namespace lull
