// The Windows version the program runs on, classified once at start-up.
#pragma once

#include "platform/platform.h"

namespace lull {

enum class OsClass : std::uint8_t { Win95, Win98, WinMe, Win2000, WinXP, UnsupportedNt };

// The 95/98/Me family keeps the screen-saver program in System.Ini, the NT family in the registry.
constexpr bool IsWin9xFamily(OsClass os) {
  return os == OsClass::Win95 || os == OsClass::Win98 || os == OsClass::WinMe;
}

// A failed version query leaves every field 0, which classifies as Win95.
constexpr OsClass ClassifyVersion(const VersionInfo& version) {
  constexpr std::uint32_t kNtPlatform = 2;
  constexpr std::uint32_t kMeMinor = 90;
  if (version.platformId == kNtPlatform) {
    if (version.major == 5 && version.minor == 0) return OsClass::Win2000;
    if (version.major == 5 && version.minor == 1) return OsClass::WinXP;
    return OsClass::UnsupportedNt;
  }
  if (version.minor == kMeMinor) return OsClass::WinMe;
  if (version.minor == 0) return OsClass::Win95;
  return OsClass::Win98;
}

}  // namespace lull
