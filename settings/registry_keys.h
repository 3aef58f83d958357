// The two registry key slots: the live-settings key in use and the backup key.
// At most one of each is open at any time; every open closes the slot's previous key first.
#pragma once

#include "platform/platform.h"

namespace lull {

inline constexpr const char kDesktopKeyPath[] = "Control Panel\\Desktop";
inline constexpr const char kPowerCfgKeyPath[] = "Control Panel\\PowerCfg";
inline constexpr const char kBackupKeyPath[] = "Control Panel\\Desktop\\Corvane";
inline constexpr const char kCurrentControlSetPowerKeyPath[] =
    "System\\CurrentControlSet\\Control\\Session Manager\\Power";

struct RegistryKeys {
  KeyHandle liveKey = 0;
  KeyHandle backupKey = 0;
  // Set when the latest create or open of the backup key failed.
  bool backupKeyFailed = false;
};

// "Control Panel..." lives under HKEY_CURRENT_USER, "System..." under HKEY_LOCAL_MACHINE.
Hive HiveOfPath(const char* path);

// Closes the live key and opens path in its place; true when it opened. The open's own
// result goes to result when one is given.
bool OpenLiveKey(Platform& platform, RegistryKeys& keys, const char* path,
                 RegResult* result = nullptr);
void CloseLiveKey(Platform& platform, RegistryKeys& keys);

// Create or open the backup key; both set backupKeyFailed from the result.
bool CreateBackupKey(Platform& platform, RegistryKeys& keys);
bool OpenBackupKey(Platform& platform, RegistryKeys& keys);
void CloseBackupKey(Platform& platform, RegistryKeys& keys);

}  // namespace lull
