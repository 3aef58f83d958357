// Puts the screen-saver line kept in the backup back into System.Ini (the 95/98/Me
// family keeps the screen-saver program there). The file is never edited in place: the
// new content goes to SysIni.Tmp, which then takes the place of System.Ini, and the
// previous file stays as SysIni.Str.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/backup_table.h"

namespace lull {

struct SettingsStore;

inline constexpr const char kSystemIniPath[] = "C:\\Windows\\System.Ini";
inline constexpr const char kSystemIniTempPath[] = "C:\\Windows\\SysIni.Tmp";
inline constexpr const char kSystemIniKeptPath[] = "C:\\Windows\\SysIni.Str";

// The whole file is read in one go, followed by two zero bytes.
inline constexpr std::uint32_t kSystemIniImageSize = 24276;
inline constexpr std::uint32_t kSystemIniMaxFileSize = kSystemIniImageSize - 2;

struct SystemIniImage {
  std::uint8_t data[kSystemIniImageSize] = {};
  std::uint32_t bytesRead = 0;
};

enum class SystemIniOutcome {
  NothingSaved,    // no saved line: the file is not touched
  NotReadable,     // missing, busy, or larger than the image
  NoPlaceForLine,  // neither a screen-saver line nor a [Boot] header
  NotWritten,      // the new content could not be written; System.Ini is as it was
  NotSwapped,      // the new content could not take System.Ini's place; it is as it was
  Replaced,        // the screen-saver line was replaced
  Inserted,        // the saved line was inserted after the [Boot] header
};

// Puts the line kept in the screen-saver row of the store's rows into the file, read into
// the store's image.
SystemIniOutcome RestoreSystemIniLine(SettingsStore& store);

// Undoes a swap that stopped between its two renames: when System.Ini is missing, SysIni.Str
// becomes System.Ini again (the rename fails, changing nothing, when System.Ini is there).
// Windows 95, 98 and Me read their shell and drivers from that file at start.
void PutBackSystemIni(Platform& platform);

}  // namespace lull
