#include "settings/registry_key.h"

#include <gtest/gtest.h>

#include "tests/support/fake_windows.h"

namespace lull {
namespace {

using testing::CallKind;
using testing::FakeWindows;
using Strings = std::vector<std::string>;

// Opening another key closes the one held first, a failed open leaves none held, and the
// end of the holder's scope closes what it holds: one key at a time, none left open.
TEST(RegistryKey, HoldsOneKeyAtATimeAndClosesItAtTheEndOfItsScope) {
  FakeWindows fake;
  fake.registry.CreateKey(Hive::CurrentUser, kDesktopKeyPath);
  fake.registry.CreateKey(Hive::LocalMachine, kCurrentControlSetPowerKeyPath);
  {
    RegistryKey key(fake);
    EXPECT_EQ(key.Open(kDesktopKeyPath), kRegSuccess);
    EXPECT_EQ(key.Open(kCurrentControlSetPowerKeyPath), kRegSuccess);
    EXPECT_NE(key.Open(kPowerCfgKeyPath), kRegSuccess);  // missing
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(key.Create(kBackupKeyPath), kRegSuccess);
  }
  EXPECT_EQ(
      fake.CallsOf({CallKind::OpenKey, CallKind::CreateKey, CallKind::CloseKey}),
      (Strings{"OpenKey HKCU\\Control Panel\\Desktop", "CloseKey HKCU\\Control Panel\\Desktop",
               "OpenKey HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Power",
               "CloseKey HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Power",
               "OpenKey HKCU\\Control Panel\\PowerCfg (failed)",
               "CreateKey HKCU\\Control Panel\\Desktop\\Corvane",
               "CloseKey HKCU\\Control Panel\\Desktop\\Corvane"}));
}

}  // namespace
}  // namespace lull
