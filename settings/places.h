// The table of places: each registry value the program reads, backs up and restores, with
// the backup row that holds it, its key, its name and its kind. Every live value name
// stands here and nowhere else. The reader, activation and reset walk the table in its
// order, which is the order in which values are written.
#pragma once

#include <cstdint>

#include "platform/os_class.h"
#include "settings/backup_table.h"
#include "settings/power_policy.h"
#include "settings/registry_key.h"
#include "settings/settings_store.h"

namespace lull {

// The keys of the places: three fixed ones and three whose path has a character replaced.
enum class PlaceKey : std::uint8_t {
  None,
  Desktop,            // HKCU Control Panel\Desktop
  PowerCfg,           // HKCU Control Panel\PowerCfg
  PowerScheme,        // HKCU the current power scheme's key: PowerSchemeKeyPath
  ControlSet1,        // HKLM ControlSetKeyPath with "1"
  ControlSet2,        // HKLM ControlSetKeyPath with "2"
  CurrentControlSet,  // HKLM System\CurrentControlSet\Control\Session Manager\Power
};

// The three fixed keys; the other three are the store's paths with a character replaced.
inline constexpr KeyPath kDesktopKey = {Hive::CurrentUser, "Control Panel\\Desktop"};
inline constexpr KeyPath kPowerCfgKey = {Hive::CurrentUser, "Control Panel\\PowerCfg"};
inline constexpr KeyPath kCurrentControlSetKey = {
    Hive::LocalMachine, "System\\CurrentControlSet\\Control\\Session Manager\\Power"};

enum class PlaceKind : std::uint8_t {
  Switch,       // "0" or "1": the row keeps the first character and a terminator
  TimeOut,      // decimal seconds, at most five characters and the terminator
  Program,      // the screen-saver program: only a backup brings one, and only reset writes it
  SchemeIndex,  // the current power scheme's one-digit index, which names the PowerScheme key
  Record,       // a power-policy record of exactly its row's size, carried through whole
};

struct Place {
  BackupRow row;
  PlaceKey key;
  PlaceKind kind;
  const char* name;
};

// The screen-saver program's value; the 95/98/Me family keeps it as the key of a line of
// System.Ini instead.
inline constexpr char kScreenSaverName[] = "SCRNSAVE.EXE";

// clang-format off
inline constexpr Place kPlaces[] = {
    // row                  key                          kind                    name
    {kRowScreenSaveActive,  PlaceKey::Desktop,           PlaceKind::Switch,      "ScreenSaveActive"},
    {kRowScreenSaveTimeOut, PlaceKey::Desktop,           PlaceKind::TimeOut,     "ScreenSaveTimeOut"},
    {kRowStandbyActive,     PlaceKey::Desktop,           PlaceKind::Switch,      "ScreenSaveLowPowerActive"},
    {kRowStandbyTimeOut,    PlaceKey::Desktop,           PlaceKind::TimeOut,     "ScreenSaveLowPowerTimeOut"},
    {kRowPowerOffActive,    PlaceKey::Desktop,           PlaceKind::Switch,      "ScreenSavePowerOffActive"},
    {kRowPowerOffTimeOut,   PlaceKey::Desktop,           PlaceKind::TimeOut,     "ScreenSavePowerOffTimeOut"},
    {kRowScreenSaver,       PlaceKey::Desktop,           PlaceKind::Program,     kScreenSaverName},
    {kRowPowerPolicyIndex,  PlaceKey::PowerCfg,          PlaceKind::SchemeIndex, "CurrentPowerPolicy"},
    {kRowPolicies,          PlaceKey::PowerScheme,       PlaceKind::Record,      "Policies"},
    {kRowAcPolicy1,         PlaceKey::ControlSet1,       PlaceKind::Record,      "AcPolicy"},
    {kRowAcPolicy2,         PlaceKey::ControlSet2,       PlaceKind::Record,      "AcPolicy"},
    {kRowAcPolicy,          PlaceKey::CurrentControlSet, PlaceKind::Record,      "AcPolicy"},
};
// clang-format on

// Where a record holds the monitor's time-out (seconds, 32 bits little-endian, 0 = never): the
// user's record at one offset, the machine's at another.
constexpr std::uint32_t VideoTimeoutOffset(const Place& place) {
  return place.key == PlaceKey::PowerScheme ? kPoliciesVideoTimeoutOffset
                                            : kAcPolicyVideoTimeoutOffset;
}

// The place whose value a row holds; null for the rows of the backup's own (the flag, the
// list of absent values, the computer's name).
constexpr const Place* FindPlace(BackupRow row) {
  for (const Place& place : kPlaces) {
    if (place.row == row) return &place;
  }
  return nullptr;
}

// Whether this Windows keeps a value at its place: the 95/98/Me family keeps the
// screen-saver program in System.Ini, and Windows 95 has no power schemes.
constexpr bool KeptOn(OsClass os, const Place& place) {
  if (place.kind == PlaceKind::Program) return !IsWin9xFamily(os);
  return place.kind == PlaceKind::Switch || place.kind == PlaceKind::TimeOut ||
         os != OsClass::Win95;
}

// The machine's own power policies under HKEY_LOCAL_MACHINE: they belong to one computer,
// while the user's hive, and the backup in it, may roam from computer to computer.
constexpr bool MachineWide(const Place& place) {
  return place.key == PlaceKey::ControlSet1 || place.key == PlaceKey::ControlSet2 ||
         place.key == PlaceKey::CurrentControlSet;
}

// The keys of a walk over the table: each is opened when the walk first needs it and stays
// open for the places after it in the same key, and the open result is kept for them.
class PlaceKeys {
 public:
  explicit PlaceKeys(SettingsStore& store) : store_(store), key_(store.platform) {}

  // kRegSuccess when the place's key is open.
  RegResult Open(const Place& place);
  // Open for a writer, at a row HasRowToWrite takes: a Policies record goes into the scheme
  // whose index the rows hold beside it, so the scheme key path is first set to that index.
  RegResult OpenToWrite(const Place& place);
  // A key under HKEY_LOCAL_MACHINE, which a limited user may not write.
  bool MachineKey() const { return hive_ == Hive::LocalMachine; }
  RegistryKey& key() { return key_; }

 private:
  SettingsStore& store_;
  RegistryKey key_;
  PlaceKey open_ = PlaceKey::None;
  Hive hive_ = Hive::CurrentUser;
  RegResult result_ = kRegSuccess;
};

// Whether a writer puts a row back at its place: the row is present, and is a value (the
// scheme index only names a key). A Policies record goes to the scheme whose index the
// rows hold beside it, and only with one.
bool HasRowToWrite(const BackupTable& rows, const Place& place);

// Writes a row to its place, as the row holds it: a text with its terminator, a record of
// its length; never past the row's buffer.
RegResult WriteRow(PlaceKeys& keys, const Place& place, const BackupEntry& row);

}  // namespace lull
