#include "settings/registry_keys.h"

#include <gtest/gtest.h>

#include "tests/support/fake_windows.h"

namespace lull {
namespace {

using testing::CallKind;
using testing::FakeWindows;
using Strings = std::vector<std::string>;

TEST(RegistryKeys, OpeningALiveKeyClosesTheOneBeforeSoOnlyOneIsEverOpen) {
  FakeWindows fake;
  fake.registry.CreateKey(Hive::CurrentUser, kDesktopKeyPath);
  fake.registry.CreateKey(Hive::LocalMachine, kCurrentControlSetPowerKeyPath);
  RegistryKeys keys;

  EXPECT_TRUE(OpenLiveKey(fake, keys, kDesktopKeyPath));
  EXPECT_TRUE(OpenLiveKey(fake, keys, kCurrentControlSetPowerKeyPath));
  EXPECT_FALSE(OpenLiveKey(fake, keys, kPowerCfgKeyPath));  // missing
  EXPECT_EQ(keys.liveKey, 0u);
  CloseLiveKey(fake, keys);

  EXPECT_EQ(
      fake.CallsOf({CallKind::OpenKey, CallKind::CloseKey}),
      (Strings{"OpenKey HKCU\\Control Panel\\Desktop", "CloseKey HKCU\\Control Panel\\Desktop",
               "OpenKey HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Power",
               "CloseKey HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Power",
               "OpenKey HKCU\\Control Panel\\PowerCfg (failed)"}));
  EXPECT_EQ(fake.MaxOpenKeys(), 1);
  EXPECT_EQ(fake.OpenKeyCount(), 0);
}

TEST(RegistryKeys, TheBackupKeyFlagFollowsTheLatestCreateOrOpen) {
  enum class KeyState { Missing, Present, ReadOnly };
  const struct {
    KeyState state;
    bool create;
    bool opened;
  } cases[] = {
      {KeyState::Missing, false, false},  {KeyState::Missing, true, true},
      {KeyState::Present, false, true},   {KeyState::Present, true, true},
      {KeyState::ReadOnly, false, false}, {KeyState::ReadOnly, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "state " << static_cast<int>(c.state) << " create " << c.create);
    FakeWindows fake;
    if (c.state != KeyState::Missing) fake.registry.CreateKey(Hive::CurrentUser, kBackupKeyPath);
    if (c.state == KeyState::ReadOnly) fake.registry.SetReadOnly(Hive::CurrentUser, kBackupKeyPath);
    RegistryKeys keys;
    // The flag and slot left by an earlier success must not survive a failure.
    fake.registry.CreateKey(Hive::CurrentUser, "Control Panel\\Earlier");
    fake.OpenKey(Hive::CurrentUser, "Control Panel\\Earlier", keys.backupKey);
    keys.backupKeyFailed = c.opened;

    const bool opened = c.create ? CreateBackupKey(fake, keys) : OpenBackupKey(fake, keys);

    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(keys.backupKeyFailed, !c.opened);
    EXPECT_EQ(keys.backupKey != 0, c.opened);
    EXPECT_EQ(fake.OpenKeyCount(), c.opened ? 1 : 0);  // the earlier key was closed first
    CloseBackupKey(fake, keys);
    CloseBackupKey(fake, keys);  // safe when empty
    EXPECT_EQ(fake.OpenKeyCount(), 0);
    EXPECT_EQ(fake.CallsOf({CallKind::CloseKey}).size(), c.opened ? 2u : 1u);
  }
}

}  // namespace
}  // namespace lull
