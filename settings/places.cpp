#include "settings/places.h"

namespace lull {
namespace {

KeyPath PathOf(const SettingsStore& store, PlaceKey key) {
  switch (key) {
    case PlaceKey::Desktop:
    case PlaceKey::None:
      break;
    case PlaceKey::PowerCfg:
      return kPowerCfgKey;
    case PlaceKey::PowerScheme:
      return {Hive::CurrentUser, store.powerSchemeKeyPath.text};
    case PlaceKey::ControlSet1:
    case PlaceKey::ControlSet2:
      return {Hive::LocalMachine, store.controlSetKeyPath.text};
    case PlaceKey::CurrentControlSet:
      return kCurrentControlSetKey;
  }
  return kDesktopKey;
}

}  // namespace

RegResult PlaceKeys::Open(const Place& place) {
  if (place.key != open_) {
    open_ = place.key;
    if (place.key == PlaceKey::ControlSet1 || place.key == PlaceKey::ControlSet2) {
      store_.controlSetKeyPath.SetDigit(place.key == PlaceKey::ControlSet1 ? '1' : '2');
    }
    const KeyPath path = PathOf(store_, place.key);
    hive_ = path.hive;
    result_ = key_.Open(path);
  }
  return result_;
}

RegResult PlaceKeys::OpenToWrite(const Place& place) {
  if (place.key == PlaceKey::PowerScheme) {
    store_.powerSchemeKeyPath.SetIndex(
        static_cast<char>(store_.backup[kRowPowerPolicyIndex].data[0]));
  }
  return Open(place);
}

bool HasRowToWrite(const BackupTable& rows, const Place& place) {
  if (!rows[place.row].present() || place.kind == PlaceKind::SchemeIndex) return false;
  return place.key != PlaceKey::PowerScheme || rows[kRowPowerPolicyIndex].present();
}

RegResult WriteRow(PlaceKeys& keys, const Place& place, const BackupEntry& row) {
  const ValueType type = place.kind == PlaceKind::Record ? ValueType::Binary : ValueType::Text;
  return keys.key().Set(place.name, type, row.data, row.length);
}

}  // namespace lull
