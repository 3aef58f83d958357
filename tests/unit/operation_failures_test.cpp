// Walks an activation and a reset failing each platform call in turn (file writes also
// cut short, reported as failed or as done) and proves after each that nothing is lost: the
// registry holds the settings from before, or new ones with a backup that a later reset turns back
// into them, and System.Ini or SysIni.Str holds the file's previous content.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "tests/support/operation_fixtures.h"

namespace lull::testing {
namespace {

using Registry = FakeRegistry::Keys;

Registry Originals(OsClass os) {
  FakeWindows computer;
  SetUpComputer(computer, os);
  return LiveRegistry(computer.registry);
}

FakeRegistry::Key DesktopOf(const Registry& registry) {
  return registry.at({Hive::CurrentUser, "control panel\\desktop"});
}

struct Scenario {
  const char* name;
  bool reset;  // else an activation
  OsClass os;
};

// One run of the operation on a fresh computer, after start-up, with one call failing.
struct Attempt {
  Attempt(const Scenario& s, std::optional<int> failAt, FailureMode mode) : store(fake, s.os) {
    if (s.reset) {
      ActivateComputer(fake, s.os);
    } else {
      SetUpComputer(fake, s.os);
    }
    before = LiveRegistry(fake.registry);
    backupBefore = BackupKeyOf(fake.registry);
    StartUp(store);
    fake.calls.clear();
    fake.fallibleCallCount = 0;
    fake.failAt = failAt;
    fake.failureMode = mode;
    if (s.reset) {
      succeeded = ResetSettings(store, *image, reload) == ResetResult::Reset;
    } else {
      ChosenTimes chosen = Chosen(15, true);
      succeeded = ActivateSettings(store, chosen, reload) == ActivationResult::Activated;
    }
  }

  FakeWindows fake;
  SettingsStore store;
  std::unique_ptr<SystemIniImage> image = std::make_unique<SystemIniImage>();
  PowerSchemeReload reload;
  Registry before;
  FakeRegistry::Key backupBefore;
  bool succeeded = false;
};

void CheckNothingLost(const Scenario& s, Attempt& a, const std::string& where) {
  const Registry originals = Originals(s.os);
  EXPECT_EQ(a.fake.OpenKeyCount(), 0) << where;
  EXPECT_EQ(a.fake.OpenFileCount(), 0) << where;
  if (IsWin9xFamily(s.os)) {
    EXPECT_TRUE(a.fake.GetFile(kIniPath) == kIniContent || a.fake.GetFile(kStrPath) == kIniContent)
        << where;
  }
  if (!s.reset) {
    if (a.succeeded) {
      EXPECT_TRUE(ResetLater(a.fake, s.os)) << where;
    } else {
      // The backup was not saved: nothing may have changed, nor been announced.
      EXPECT_TRUE(a.fake.CallsOf({CallKind::SetSystemParameter, CallKind::StartProcess}).empty())
          << where;
    }
    EXPECT_EQ(LiveRegistry(a.fake.registry), originals) << where;
    return;
  }
  if (!a.succeeded) {
    // The backup is kept as it was, and the next reset finishes the work.
    EXPECT_EQ(BackupKeyOf(a.fake.registry), a.backupBefore) << where;
    EXPECT_TRUE(a.fake.CallsOf({CallKind::SetSystemParameter}).empty()) << where;
    EXPECT_TRUE(ResetLater(a.fake, s.os)) << where;
    EXPECT_EQ(LiveRegistry(a.fake.registry), originals) << where;
    return;
  }
  EXPECT_EQ(DesktopOf(LiveRegistry(a.fake.registry)), DesktopOf(originals)) << where;
}

TEST(OperationFailures, NoFailingCallLosesSettingsOrSystemIni) {
  const Scenario scenarios[] = {
      {"activation on Windows XP", false, OsClass::WinXP},
      {"activation on Windows 98", false, OsClass::Win98},
      {"reset on Windows XP", true, OsClass::WinXP},
      {"reset on Windows 98", true, OsClass::Win98},
  };
  int tried = 0;
  for (const Scenario& s : scenarios) {
    Attempt probe(s, std::nullopt, FailureMode::Error);
    ASSERT_TRUE(probe.succeeded) << s.name;
    ASSERT_EQ(probe.fake.calls.size(), static_cast<std::size_t>(probe.fake.fallibleCallCount));
    for (int at = 0; at < probe.fake.fallibleCallCount; ++at) {
      const Call& call = probe.fake.calls[at];
      for (const FailureMode mode :
           {FailureMode::Error, FailureMode::PartialWrite, FailureMode::ShortWrite}) {
        if (mode != FailureMode::Error && call.kind != CallKind::WriteFile) continue;
        Attempt attempt(s, at, mode);
        CheckNothingLost(s, attempt,
                         std::string(s.name) + ", failing " + call.description +
                             (mode == FailureMode::Error ? "" : " halfway"));
        ++tried;
      }
    }
  }
  std::printf("[          ] %d failure points tried\n", tried);
  EXPECT_GT(tried, 100);
}

}  // namespace
}  // namespace lull::testing
