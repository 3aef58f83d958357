// The whole program over an arbitrary registry: every value of the thirteen backup rows
// and of the live places, each absent, well formed, or of any type, size (0 to 300) and
// content, in keys that are missing, writable or read-only, on any Windows version.
//
// One input plays four program starts on the same computer:
//   1. the wizard with a scripted user clicking whatever the input says;
//   2. a start followed by an activation with the time the input chooses;
//   3. a start followed by a reset;
//   4. a start that only looks at the settings.
// After each: no sanitizer finding, every summary line terminated and printable, no key
// left open, never more than one live and one backup key open at once, and System.Ini's
// previous content kept. Across 2 and 3: an activation that saved its backup is followed
// by ResetActivate; a reset that restored the Desktop leaves the backup holding only the
// flag "2", the next start does not offer a reset, and every live value that the program
// can read back whole is as it was before the activation.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "operations/activation.h"
#include "operations/reset.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_windows.h"
#include "wizard/program.h"
#include "wizard/startup.h"
#include "wizard/time_choice.h"
#include "wizard/wizard_state.h"

namespace {

using lull::Hive;
using lull::OsClass;
using lull::PageId;
using lull::ValueType;
using lull::testing::Bytes;
using lull::testing::FakeWindows;
using lull::testing::RegistryValue;
using lull::testing::UserAction;

const Hive kUser = Hive::CurrentUser;
const Hive kMachine = Hive::LocalMachine;
const std::string kDesktop = "Control Panel\\Desktop";
const std::string kPowerCfg = "Control Panel\\PowerCfg";
const std::string kSchemes = "Control Panel\\PowerCfg\\PowerPolicies\\";
const std::string kCorvane = "Control Panel\\Desktop\\Corvane";
const std::string kControlSet1 = "System\\ControlSet001\\Control\\Session Manager\\Power";
const std::string kControlSet2 = "System\\ControlSet002\\Control\\Session Manager\\Power";
const std::string kCurrentSet = "System\\CurrentControlSet\\Control\\Session Manager\\Power";
const std::string kIni = "C:\\Windows\\System.Ini";
const std::string kStr = "C:\\Windows\\SysIni.Str";

constexpr std::uint32_t kMaxValueSize = 300;

// What a well-formed value of a place looks like, so that the input reaches the deeper
// paths (a flag "1", a record of the right size) as easily as the hostile ones.
enum class Shape { Switch, TimeOut, Text, SchemeIndex, Policies, AcPolicy };

struct Place {
  Hive hive;
  std::string path;  // the scheme key gets its index appended
  const char* name;
  Shape shape;
};

const char* const kBackupNames[] = {
    "LullResetFlag",        "LullResetScrnSave",   "LullResetScrnSaveAct", "LullResetTimeOut",
    "LullResetStandby",     "LullResetStandbyAct", "LullResetPowerOff",    "LullResetPowerOffAct",
    "LullResetPowerPolicy", "LullResetPolicies",   "LullResetAcPolicy",    "LullResetAcPolicy1",
    "LullResetAcPolicy2"};
const Shape kBackupShapes[] = {
    Shape::Switch,   Shape::Text,     Shape::Switch,  Shape::TimeOut,     Shape::TimeOut,
    Shape::Switch,   Shape::TimeOut,  Shape::Switch,  Shape::SchemeIndex, Shape::Policies,
    Shape::AcPolicy, Shape::AcPolicy, Shape::AcPolicy};

std::vector<Place> Places(char schemeIndex) {
  std::vector<Place> places = {
      {kUser, kDesktop, "ScreenSaveActive", Shape::Switch},
      {kUser, kDesktop, "ScreenSaveTimeOut", Shape::TimeOut},
      {kUser, kDesktop, "ScreenSaveLowPowerActive", Shape::Switch},
      {kUser, kDesktop, "ScreenSaveLowPowerTimeOut", Shape::TimeOut},
      {kUser, kDesktop, "ScreenSavePowerOffActive", Shape::Switch},
      {kUser, kDesktop, "ScreenSavePowerOffTimeOut", Shape::TimeOut},
      {kUser, kDesktop, "SCRNSAVE.EXE", Shape::Text},
      {kUser, kPowerCfg, "CurrentPowerPolicy", Shape::SchemeIndex},
      {kUser, kSchemes + schemeIndex, "Policies", Shape::Policies},
      {kMachine, kControlSet1, "AcPolicy", Shape::AcPolicy},
      {kMachine, kControlSet2, "AcPolicy", Shape::AcPolicy},
      {kMachine, kCurrentSet, "AcPolicy", Shape::AcPolicy},
  };
  for (std::size_t row = 0; row < 13; ++row) {
    places.push_back({kUser, kCorvane, kBackupNames[row], kBackupShapes[row]});
  }
  return places;
}

Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::optional<RegistryValue> MakeValue(FuzzedDataProvider& in, Shape shape) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return std::nullopt;
    case 1: {
      // Well formed.
      const std::string digits = std::to_string(in.ConsumeIntegralInRange<std::uint32_t>(0, 99999));
      switch (shape) {
        case Shape::Switch:
          return RegistryValue{ValueType::Text,
                               Text(std::string(1, in.PickValueInArray({'0', '1', '2'})))};
        case Shape::TimeOut:
          return RegistryValue{ValueType::Text, Text(digits)};
        case Shape::Text:
          return RegistryValue{ValueType::Text,
                               Text("SCRNSAVE.EXE=C:\\WINDOWS\\" + digits + ".SCR")};
        case Shape::SchemeIndex:
          return RegistryValue{ValueType::Text, Text(digits.substr(0, 1))};
        case Shape::Policies:
        case Shape::AcPolicy: {
          Bytes record(shape == Shape::Policies ? 80 : 232);
          const Bytes given = in.ConsumeBytes<std::uint8_t>(record.size());
          std::copy(given.begin(), given.end(), record.begin());
          return RegistryValue{ValueType::Binary, record};
        }
      }
      return std::nullopt;
    }
    case 2: {
      // A text of the wrong length, with or without its terminator.
      std::string text = in.ConsumeRandomLengthString(12);
      Bytes bytes(text.begin(), text.end());
      if (in.ConsumeBool()) bytes.push_back(0);
      return RegistryValue{ValueType::Text, bytes};
    }
    default: {
      // Anything at all: any type, any size, any bytes (repeated when the input runs out).
      const auto type = static_cast<ValueType>(
          in.PickValueInArray<std::uint32_t>({0, 1, 2, 3, 4, 7, 11, 0xFFFFFFFF}));
      const auto size = in.ConsumeIntegralInRange<std::uint32_t>(0, kMaxValueSize);
      Bytes bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::uint32_t>(0, 16));
      if (bytes.empty()) bytes.push_back(in.ConsumeIntegral<std::uint8_t>());
      Bytes data(size);
      for (std::uint32_t at = 0; at < size; ++at) data[at] = bytes[at % bytes.size()];
      return RegistryValue{type, data};
    }
  }
}

void CheckLines(const lull::Program& program, const char* when) {
  for (std::size_t line = 0; line < lull::kSummaryLineCount; ++line) {
    const char* text = program.lines[line];
    const std::uint32_t length = lull::TextLength(text, lull::SummaryLines::kLineCapacity);
    FUZZ_CHECK(length < lull::SummaryLines::kLineCapacity, "%s: line %zu not terminated", when,
               line);
    for (std::uint32_t at = 0; at < length; ++at) {
      const auto c = static_cast<unsigned char>(text[at]);
      FUZZ_CHECK(c >= 0x20 && c < 0x7F, "%s: line %zu has byte 0x%02x: %s", when, line, c, text);
    }
  }
}

void CheckKeys(const FakeWindows& windows, const char* when) {
  FUZZ_CHECK(windows.OpenKeyCount() == 0, "%s: %d keys left open", when, windows.OpenKeyCount());
  FUZZ_CHECK(windows.OpenFileCount() == 0, "%s: %d files left open", when, windows.OpenFileCount());
  FUZZ_CHECK(windows.MaxOpenKeys() <= 2, "%s: %d keys open at once", when, windows.MaxOpenKeys());
}

void CheckSystemIniKept(const FakeWindows& windows, const std::optional<std::string>& before,
                        const char* when) {
  if (!before) return;
  FUZZ_CHECK(windows.GetFile(kIni) == before || windows.GetFile(kStr) == before,
             "%s: System.Ini's previous content is lost", when);
}

// The program writes and deletes only its own values: the Desktop's, the backup's, and
// the power policies of a scheme (whose index is one digit) and of the three control sets.
void CheckWritesOnlyItsOwnValues(const FakeWindows& windows) {
  using lull::testing::CallKind;
  const std::string desktop = "HKCU\\" + kDesktop + " ";
  const std::string corvane = "HKCU\\" + kCorvane + " ";
  const std::string scheme = "HKCU\\" + kSchemes;
  const char* const desktopNames[] = {"ScreenSaveActive",
                                      "ScreenSaveTimeOut",
                                      "ScreenSaveLowPowerActive",
                                      "ScreenSaveLowPowerTimeOut",
                                      "ScreenSavePowerOffActive",
                                      "ScreenSavePowerOffTimeOut",
                                      "SCRNSAVE.EXE"};
  // "SetValue <key> <name> <type> <bytes>" or "DeleteValue <key> <name>".
  auto is = [](const std::string& target, const std::string& value) {
    return target == value || target.rfind(value + " ", 0) == 0;
  };
  for (const std::string& call : windows.CallsOf({CallKind::SetValue, CallKind::DeleteValue})) {
    const std::string target = call.substr(call.find(' ') + 1);
    bool own = false;
    if (target.rfind(desktop, 0) == 0) {
      for (const char* name : desktopNames) {
        own = own || is(target, desktop + name);
      }
    } else if (target.rfind(corvane, 0) == 0) {
      for (const char* name : kBackupNames) own = own || is(target, corvane + name);
    } else if (target.rfind(scheme, 0) == 0 && target.size() > scheme.size()) {
      const char index = target[scheme.size()];
      own =
          index >= '0' && index <= '9' && target.compare(scheme.size() + 1, 10, " Policies ") == 0;
    } else {
      for (const std::string& path : {kControlSet1, kControlSet2, kCurrentSet}) {
        own = own || is(target, "HKLM\\" + path + " AcPolicy");
      }
    }
    FUZZ_CHECK(own, "wrote a value that is not the program's: %.120s", call.c_str());
  }
}

// A value the program reads back whole and can therefore put back exactly.
struct Kept {
  Hive hive;
  std::string path;
  const char* name;
  Bytes data;
};

bool Writable(const FakeWindows& windows, Hive hive, const std::string& path) {
  auto key = windows.registry.keys.find({hive, [&] {
                                           std::string lower = path;
                                           for (char& c : lower)
                                             c = static_cast<char>(
                                                 std::tolower(static_cast<unsigned char>(c)));
                                           return lower;
                                         }()});
  return key != windows.registry.keys.end() && !key->second.readOnly;
}

std::vector<Kept> ValuesThatMustComeBack(const FakeWindows& windows, OsClass os) {
  std::vector<Kept> kept;
  const auto& registry = windows.registry;
  auto keep = [&](Hive hive, const std::string& path, const char* name, bool whole) {
    const auto value = registry.Get(hive, path, name);
    if (value && whole) kept.push_back({hive, path, name, value->data});
  };
  // A switch keeps its first character: only "c" with its terminator is read back whole.
  for (const char* name :
       {"ScreenSaveActive", "ScreenSaveLowPowerActive", "ScreenSavePowerOffActive"}) {
    const auto value = registry.Get(kUser, kDesktop, name);
    keep(kUser, kDesktop, name,
         value && value->type == ValueType::Text && value->data.size() == 2 &&
             value->data[0] != 0 && value->data[1] == 0);
  }
  // A time-out of one to five characters with its terminator.
  for (const char* name :
       {"ScreenSaveTimeOut", "ScreenSaveLowPowerTimeOut", "ScreenSavePowerOffTimeOut"}) {
    const auto value = registry.Get(kUser, kDesktop, name);
    keep(kUser, kDesktop, name,
         value && value->type == ValueType::Text && value->data.size() >= 2 &&
             value->data.size() <= 6 && value->data.back() == 0 &&
             std::memchr(value->data.data(), 0, value->data.size() - 1) == nullptr);
  }
  if (os == OsClass::Win95) return kept;
  // The records, each of its exact size, in keys the program may write.
  const auto index = registry.Get(kUser, kPowerCfg, "CurrentPowerPolicy");
  if (index && index->type == ValueType::Text && index->data.size() == 2 && index->data[0] >= '0' &&
      index->data[0] <= '9' && index->data[1] == 0 && Writable(windows, kUser, kPowerCfg)) {
    const std::string scheme = kSchemes + static_cast<char>(index->data[0]);
    const auto policies = registry.Get(kUser, scheme, "Policies");
    keep(kUser, scheme, "Policies",
         policies && policies->data.size() == 80 && Writable(windows, kUser, scheme));
  }
  for (const std::string& path : {kControlSet1, kControlSet2, kCurrentSet}) {
    const auto policy = registry.Get(kMachine, path, "AcPolicy");
    keep(kMachine, path, "AcPolicy",
         policy && policy->data.size() == 232 && Writable(windows, kMachine, path));
  }
  return kept;
}

std::string Hex(const Bytes& bytes) {
  std::string out;
  for (std::uint8_t byte : bytes) {
    char piece[4];
    std::snprintf(piece, sizeof piece, "%02x ", byte);
    out += piece;
  }
  return out;
}

// With LULL_FUZZ_TRACE set, a run tells what it did: handy when reading a finding.
void Trace(const FakeWindows& windows, const std::string& what) {
  static const bool tracing = std::getenv("LULL_FUZZ_TRACE") != nullptr;
  if (!tracing) return;
  std::fprintf(stderr, "-- %s; pages so far:", what.c_str());
  for (const std::string& page : windows.PageNames()) std::fprintf(stderr, " %s", page.c_str());
  std::fprintf(stderr, "\n");
}

// A fresh program object on the same computer, up to its first page.
std::unique_ptr<lull::Program> Start(FakeWindows& windows) {
  auto program = std::make_unique<lull::Program>(windows);
  program->module = windows.GetModuleHandle();
  lull::ChooseFirstPage(*program);
  CheckLines(*program, "start");
  return program;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FakeWindows windows;

  const lull::VersionInfo versions[] = {{4, 0, 1}, {4, 10, 1}, {4, 90, 1},
                                        {5, 0, 2}, {5, 1, 2},  {6, 0, 2}};
  windows.version = in.PickValueInArray(versions);
  const OsClass os = lull::ClassifyVersion(windows.version);
  const char schemeIndex = in.PickValueInArray({'0', '1', '3', '9'});

  // The keys: missing, read-only, or (twice as likely) writable.
  enum KeyState { kMissing, kReadOnly };
  enum Key { kDesktopKey, kPowerCfgKey, kSchemeKey, kBackupKey };
  const std::pair<Hive, std::string> keys[] = {
      {kUser, kDesktop},      {kUser, kPowerCfg},       {kUser, kSchemes + schemeIndex},
      {kUser, kCorvane},      {kMachine, kControlSet1}, {kMachine, kControlSet2},
      {kMachine, kCurrentSet}};
  int keyStates[std::size(keys)];
  for (std::size_t key = 0; key < std::size(keys); ++key) {
    keyStates[key] = in.ConsumeIntegralInRange<int>(0, 3);
    if (keyStates[key] != kMissing) windows.registry.CreateKey(keys[key].first, keys[key].second);
  }
  for (const Place& place : Places(schemeIndex)) {
    if (auto value = MakeValue(in, place.shape)) {
      windows.registry.Set(place.hive, place.path, place.name, value->type, value->data);
    }
  }
  // Read-only last, since setting a value creates its key.
  for (std::size_t key = 0; key < std::size(keys); ++key) {
    if (keyStates[key] == kReadOnly)
      windows.registry.SetReadOnly(keys[key].first, keys[key].second);
  }
  const bool backupWritable = keyStates[kBackupKey] != kReadOnly;
  // A reset keeps its backup for another try when a setting of the user's could not go
  // back into a key that is there.
  const bool userKeysWritable =
      keyStates[kDesktopKey] != kReadOnly && keyStates[kSchemeKey] != kReadOnly;

  std::optional<std::string> ini;
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 1:
      ini = "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\n";
      break;
    case 2:
      ini = "[boot]\n" + in.ConsumeRandomLengthString(64);
      break;
    default:
      break;
  }
  if (ini) windows.SetFile(kIni, *ini);

  const int clickable[] = {IDC_YES,     IDC_NO,      IDC_CANCEL,     IDC_FINISH,  IDC_PREVIOUS,
                           IDC_NEXT,    IDC_LICENSE, IDC_LICENSE_OK, IDC_TIME_10, IDC_TIME_15,
                           IDC_TIME_20, IDC_NEXT,    IDC_NEXT,       -1};
  for (int click = in.ConsumeIntegralInRange<int>(0, 10); click > 0; --click) {
    const int id = in.PickValueInArray(clickable);
    windows.user.push_back(id < 0 ? lull::testing::PressEscape() : lull::testing::Click(id));
  }
  const auto radio = in.PickValueInArray({IDC_TIME_10, IDC_TIME_15, IDC_TIME_20});
  const bool moveScreenSaver = in.ConsumeBool();
  // A byte of 128 or more makes that call of the operation fail (0 and up from its start).
  const auto activationFailure = in.ConsumeIntegral<std::uint8_t>();
  const auto resetFailure = in.ConsumeIntegral<std::uint8_t>();
  const auto failureMode =
      static_cast<lull::testing::FailureMode>(in.ConsumeIntegralInRange<int>(0, 2));
  auto injectFailure = [&](std::uint8_t choice) {
    if (choice < 128) return false;
    windows.failAt = windows.fallibleCallCount + (choice - 128);
    windows.failureMode = failureMode;
    return true;
  };

  // 1. The wizard, with whatever the user clicks.
  const auto registryAtStart = windows.registry.keys;
  {
    auto program = std::make_unique<lull::Program>(windows);
    lull::RunWizard(*program);
    CheckLines(*program, "wizard");
    CheckKeys(windows, "wizard");
    CheckSystemIniKept(windows, ini, "wizard");
    FUZZ_CHECK(windows.quitPosted && windows.MaxPageDepth() == 1, "the wizard did not end cleanly");
    Trace(windows, "wizard");
  }
  if (os == OsClass::UnsupportedNt) {
    FUZZ_CHECK(windows.registry.keys == registryAtStart,
               "the registry changed on an unsupported NT");
    return 0;
  }

  // 2. An activation.
  const std::vector<Kept> kept = ValuesThatMustComeBack(windows, os);
  bool activated = false;
  {
    auto program = Start(windows);
    lull::ChosenTimes chosen = lull::ChosenTimesOf(radio);
    chosen.moveScreenSaver = moveScreenSaver;
    const bool failing = injectFailure(activationFailure);
    activated = lull::ActivateSettings(program->store, chosen, program->reload) ==
                lull::ActivationResult::Activated;
    windows.failAt.reset();
    CheckKeys(windows, "activation");
    Trace(windows, std::string("activation") + (failing ? " with a failing call" : "") +
                       (activated ? ", saved" : ", not saved"));
  }

  // 3. A reset, from the page it is offered on.
  bool reset = false;
  bool resetFailed = false;
  {
    auto program = Start(windows);
    if (activated) {
      FUZZ_CHECK(program->wizard.currentPage == PageId::ResetActivate,
                 "after an activation the first page is %s",
                 lull::InfoOf(program->wizard.currentPage).templateName);
    }
    const auto iniBefore = windows.GetFile(kIni);
    resetFailed = injectFailure(resetFailure);
    reset = lull::ResetSettings(program->store, program->facts.PreviousTimeOuts(),
                                program->systemIni, program->reload) == lull::ResetResult::Reset;
    windows.failAt.reset();
    CheckKeys(windows, "reset");
    CheckSystemIniKept(windows, iniBefore, "reset");
    Trace(windows, std::string("reset") + (resetFailed ? " with a failing call" : "") +
                       (reset ? ", restored" : ", not restored"));
  }
  // Without a failing call and with the user's keys writable, there is nothing a later try
  // could do better: a key that is missing has nothing to put back into, and the reset ends.
  if (activated && !resetFailed && userKeysWritable) {
    FUZZ_CHECK(reset, "a reset with no failing call keeps its backup for another try");
  }
  if (reset && !resetFailed) {
    // A backup key the user may not write keeps what it holds.
    if (backupWritable) {
      const auto names = windows.registry.ValueNames(kUser, kCorvane);
      const auto flag = windows.registry.Get(kUser, kCorvane, "LullResetFlag");
      FUZZ_CHECK(
          names.size() == 1 && flag && flag->type == ValueType::Text && flag->data == Text("2"),
          "after a reset the backup holds %zu values", names.size());
    }
    if (activated) {
      for (const Kept& value : kept) {
        const auto now = windows.registry.Get(value.hive, value.path, value.name);
        FUZZ_CHECK(now && now->data == value.data, "%s\\%s not restored: %s, was %s",
                   value.path.c_str(), value.name, now ? Hex(now->data).c_str() : "(missing)",
                   Hex(value.data).c_str());
      }
    }
  }

  // 4. The next start.
  {
    auto program = Start(windows);
    if (reset && !resetFailed && backupWritable) {
      const PageId first = program->wizard.currentPage;
      FUZZ_CHECK(first == PageId::ActivateYesNo || first == PageId::SelectCompliant,
                 "after a reset the first page is %s", lull::InfoOf(first).templateName);
    }
    CheckKeys(windows, "last start");
    Trace(windows, std::string("last start, first page ") +
                       lull::InfoOf(program->wizard.currentPage).templateName);
  }
  CheckWritesOnlyItsOwnValues(windows);
  return 0;
}
