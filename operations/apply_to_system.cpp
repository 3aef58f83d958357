#include "operations/apply_to_system.h"

#include "platform/text.h"

namespace lull {
namespace {

// The seventh character of C:\WINNT\system32 tells a Windows 2000 installed in \Winnt
// from one installed in \Windows.
constexpr std::uint32_t kWinntLetterPosition = 6;
constexpr char kUpperCaseMask = 0x5F;

char* ChooseReloadLine(OsClass os, PowerSchemeReload& reload) {
  if (os == OsClass::WinXP) return reload.windowsLine.text;
  if (os != OsClass::Win2000) return reload.win9xLine.text;
  const char* directory = reload.systemDirectory;
  // A shorter directory ends before that position; what lies after its terminator is
  // left over from an earlier answer and says nothing.
  if (TextLength(directory, sizeof reload.systemDirectory) <= kWinntLetterPosition) {
    return reload.windowsLine.text;
  }
  const char letter = static_cast<char>(directory[kWinntLetterPosition] & kUpperCaseMask);
  return letter == 'N' ? reload.winntLine.text : reload.windowsLine.text;
}

}  // namespace

void ApplyToSystem(SettingsStore& store, const ValuesToApply& values) {
  Platform& platform = store.platform;
  // A time-out of 0 announces nothing: the features are only ever switched on here.
  if (values.screenSaverSecondsToApply != 0) {
    platform.SetSystemParameter(SystemSetting::ScreenSaverActive, 1);
    platform.SetSystemParameter(SystemSetting::ScreenSaverTimeout,
                                values.screenSaverSecondsToApply);
  }
  if (values.sleepSecondsToApply != 0) {
    platform.SetSystemParameter(SystemSetting::PowerOffActive, 1);
    platform.SetSystemParameter(SystemSetting::PowerOffTimeout, values.sleepSecondsToApply);
  }
  ReloadPowerScheme(store);
}

void ReloadPowerScheme(SettingsStore& store) {
  const OsClass os = store.os;
  PowerSchemeReload& reload = store.reload;
  if (os == OsClass::Win95 || os == OsClass::UnsupportedNt) return;
  // On failure the buffer keeps what it held, at first "C:\", and its drive letter serves.
  // Only its first characters are read, within its size: no terminator is needed.
  store.platform.GetSystemDirectory(reload.systemDirectory, sizeof reload.systemDirectory);
  char* line = ChooseReloadLine(os, reload);
  line[0] = reload.systemDirectory[0];
  store.platform.StartProcess(line);
}

}  // namespace lull
