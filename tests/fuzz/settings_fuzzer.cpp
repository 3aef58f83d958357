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
// can read back whole is as it was before the activation. Over all four, the program
// changes no value but its own, and, where the version is one of Windows 95/98/Me, writes
// no text without its terminator within the size it gives.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/computer.h"
#include "wizard/page_operation.h"
#include "wizard/program.h"
#include "wizard/startup.h"
#include "wizard/time_choice.h"

namespace {

using lull::Hive;
using lull::OsClass;
using lull::PageId;
using lull::ValueType;
using lull::testing::Bytes;
using lull::testing::FakeRegistry;
using lull::testing::FakeWindows;
using lull::testing::Hex;
using lull::testing::RegistryValue;
using lull::testing::UserAction;

const Hive kUser = Hive::CurrentUser;
const Hive kMachine = Hive::LocalMachine;
using lull::testing::kBackupPath;
using lull::testing::kControlSet1;
using lull::testing::kControlSet2;
using lull::testing::kDesktop;
using lull::testing::kPowerCfg;
const std::string& kCurrentSet = lull::testing::kCurrentControlSet;
const std::string& kIni = lull::testing::kIniPath;
const std::string& kStr = lull::testing::kStrPath;
// The scheme keys, without their one-digit index.
const std::string kSchemes = lull::testing::kScheme0.substr(0, lull::testing::kScheme0.size() - 1);

constexpr std::uint32_t kMaxValueSize = 300;

// The key of the power scheme with this one-digit index.
const std::string& SchemePath(char digit) {
  static const std::vector<std::string> paths = [] {
    std::vector<std::string> all;
    for (char index = '0'; index <= '9'; ++index) all.push_back(kSchemes + index);
    return all;
  }();
  return paths[static_cast<std::size_t>(digit - '0')];
}

// How an input leaves a key: missing, read-only, or (2 and 3) writable.
enum KeyState { kMissing, kReadOnly };

// What a well-formed value of a place looks like, so that the input reaches the deeper
// paths (a flag "1", a record of the right size) as easily as the hostile ones.
enum class Shape { Switch, TimeOut, Text, SchemeIndex, Policies, AcPolicy };

struct Place {
  Hive hive;
  const std::string* path;
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

constexpr std::size_t kLivePlaceCount = 12;
constexpr std::size_t kBackupRowCount = std::size(kBackupNames);

// The scheme's key is the one at schemePath.
std::array<Place, kLivePlaceCount + kBackupRowCount> Places(const std::string& schemePath) {
  std::array<Place, kLivePlaceCount + kBackupRowCount> places = {{
      {kUser, &kDesktop, "ScreenSaveActive", Shape::Switch},
      {kUser, &kDesktop, "ScreenSaveTimeOut", Shape::TimeOut},
      {kUser, &kDesktop, "ScreenSaveLowPowerActive", Shape::Switch},
      {kUser, &kDesktop, "ScreenSaveLowPowerTimeOut", Shape::TimeOut},
      {kUser, &kDesktop, "ScreenSavePowerOffActive", Shape::Switch},
      {kUser, &kDesktop, "ScreenSavePowerOffTimeOut", Shape::TimeOut},
      {kUser, &kDesktop, "SCRNSAVE.EXE", Shape::Text},
      {kUser, &kPowerCfg, "CurrentPowerPolicy", Shape::SchemeIndex},
      {kUser, &schemePath, "Policies", Shape::Policies},
      {kMachine, &kControlSet1, "AcPolicy", Shape::AcPolicy},
      {kMachine, &kControlSet2, "AcPolicy", Shape::AcPolicy},
      {kMachine, &kCurrentSet, "AcPolicy", Shape::AcPolicy},
  }};
  for (std::size_t row = 0; row < kBackupRowCount; ++row) {
    places[kLivePlaceCount + row] = {kUser, &kBackupPath, kBackupNames[row], kBackupShapes[row]};
  }
  return places;
}

Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// Fills value from the input; false when the place stays empty. The value's buffer is kept
// from place to place.
FUZZ_UNINSTRUMENTED bool MakeValue(FuzzedDataProvider& in, Shape shape, RegistryValue& value) {
  Bytes& data = value.data;
  data.clear();
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return false;
    case 1: {
      // Well formed.
      const std::string digits = std::to_string(in.ConsumeIntegralInRange<std::uint32_t>(0, 99999));
      auto text = [&](std::string_view part) { data.insert(data.end(), part.begin(), part.end()); };
      value.type = ValueType::Text;
      switch (shape) {
        case Shape::Switch:
          data.push_back(static_cast<std::uint8_t>(in.PickValueInArray({'0', '1', '2'})));
          break;
        case Shape::TimeOut:
          text(digits);
          break;
        case Shape::Text:
          text("SCRNSAVE.EXE=C:\\WINDOWS\\");
          text(digits);
          text(".SCR");
          break;
        case Shape::SchemeIndex:
          text(digits.substr(0, 1));
          break;
        case Shape::Policies:
        case Shape::AcPolicy:
          value.type = ValueType::Binary;
          data.assign(shape == Shape::Policies ? 80 : 232, 0);
          in.ConsumeData(data.data(), data.size());
          return true;
      }
      data.push_back(0);
      return true;
    }
    case 2: {
      // A text of the wrong length, with or without its terminator.
      const std::string text = in.ConsumeRandomLengthString(12);
      value.type = ValueType::Text;
      data.assign(text.begin(), text.end());
      if (in.ConsumeBool()) data.push_back(0);
      return true;
    }
    default: {
      // Anything at all: any type, any size, any bytes (repeated when the input runs out).
      value.type = static_cast<ValueType>(
          in.PickValueInArray<std::uint32_t>({0, 1, 2, 3, 4, 7, 11, 0xFFFFFFFF}));
      const auto size = in.ConsumeIntegralInRange<std::uint32_t>(0, kMaxValueSize);
      std::uint8_t pattern[16];
      std::size_t count = in.ConsumeData(pattern, in.ConsumeIntegralInRange<std::uint32_t>(0, 16));
      if (count == 0) pattern[count++] = in.ConsumeIntegral<std::uint8_t>();
      data.resize(size);
      for (std::uint32_t at = 0; at < size; ++at) data[at] = pattern[at % count];
      return true;
    }
  }
  return false;
}

FUZZ_UNINSTRUMENTED void CheckLines(const lull::Program& program, const char* when) {
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

FUZZ_UNINSTRUMENTED void CheckKeys(const FakeWindows& windows, const char* when) {
  FUZZ_CHECK(windows.OpenKeyCount() == 0, "%s: %d keys left open", when, windows.OpenKeyCount());
  FUZZ_CHECK(windows.OpenFileCount() == 0, "%s: %d files left open", when, windows.OpenFileCount());
  FUZZ_CHECK(windows.MaxOpenKeys() <= 2, "%s: %d keys open at once", when, windows.MaxOpenKeys());
}

FUZZ_UNINSTRUMENTED bool Holds(const Bytes* file, const std::string& text) {
  return file != nullptr && file->size() == text.size() &&
         std::equal(file->begin(), file->end(), text.begin(),
                    [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

FUZZ_UNINSTRUMENTED void CheckSystemIniKept(const FakeWindows& windows,
                                            const std::optional<std::string>& before,
                                            const char* when) {
  if (!before) return;
  FUZZ_CHECK(Holds(windows.FindFile(kIni), *before) || Holds(windows.FindFile(kStr), *before),
             "%s: System.Ini's previous content is lost", when);
}

FUZZ_UNINSTRUMENTED bool SameName(std::string_view lowerCase, std::string_view name) {
  if (lowerCase.size() != name.size()) return false;
  for (std::size_t at = 0; at < name.size(); ++at) {
    const char c = name[at];
    if (lowerCase[at] != (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c)) return false;
  }
  return true;
}

// The names of the program's own values in a key: the Desktop's, the backup's, and the power
// policies of a scheme (whose index is one digit) and of the three control sets. None in
// any other key.
FUZZ_UNINSTRUMENTED std::span<const char* const> OwnNames(Hive hive, std::string_view path) {
  static const char* const kDesktopNames[] = {"ScreenSaveActive",
                                              "ScreenSaveTimeOut",
                                              "ScreenSaveLowPowerActive",
                                              "ScreenSaveLowPowerTimeOut",
                                              "ScreenSavePowerOffActive",
                                              "ScreenSavePowerOffTimeOut",
                                              "SCRNSAVE.EXE"};
  static const char* const kAcPolicy[] = {"AcPolicy"};
  static const char* const kPolicies[] = {"Policies"};
  if (hive == kMachine) {
    const bool controlSet =
        SameName(path, kControlSet1) || SameName(path, kControlSet2) || SameName(path, kCurrentSet);
    return controlSet ? kAcPolicy : std::span<const char* const>();
  }
  if (SameName(path, kDesktop)) return kDesktopNames;
  if (SameName(path, kBackupPath)) return kBackupNames;
  const bool scheme = path.size() == kSchemes.size() + 1 &&
                      SameName(path.substr(0, kSchemes.size()), kSchemes) && path.back() >= '0' &&
                      path.back() <= '9';
  return scheme ? kPolicies : std::span<const char* const>();
}

FUZZ_UNINSTRUMENTED bool Listed(std::span<const char* const> names, std::string_view name) {
  for (const char* listed : names) {
    if (SameName(name, listed)) return true;
  }
  return false;
}

// The registry without the program's own values, written out: what no run may change. The
// backup key is left out when it holds nothing else and the program may have made it.
FUZZ_UNINSTRUMENTED std::string ForeignPart(const FakeRegistry::Keys& keys,
                                            bool backupKeyMayBeNew) {
  std::string out;
  for (const auto& [where, key] : keys) {
    const std::size_t start = out.size();
    out.append(where.first == kUser ? "HKCU\\" : "HKLM\\").append(where.second);
    if (key.readOnly) out.append(" (read-only)");
    const std::span<const char* const> own = OwnNames(where.first, where.second);
    bool foreign = false;
    for (const auto& [name, value] : key.values) {
      if (Listed(own, name)) continue;
      foreign = true;
      out.append(" ").append(name).append("=").append(std::to_string(static_cast<int>(value.type)));
      out.append(":").append(Hex(value.data));
    }
    if (!foreign && backupKeyMayBeNew && where.first == kUser &&
        SameName(where.second, kBackupPath)) {
      out.resize(start);
      continue;
    }
    out.append("\n");
  }
  return out;
}

// A value the program reads back whole and can therefore put back exactly.
struct Kept {
  Hive hive;
  const std::string* path;
  const char* name;
  Bytes data;
};

// Only NT keeps keys the user may read but not write.
FUZZ_UNINSTRUMENTED bool Writable(const FakeWindows& windows, Hive hive, const std::string& path) {
  const FakeRegistry::Key* key = windows.registry.Find(hive, path);
  return key != nullptr && (!key->readOnly || windows.Win9xFamily());
}

FUZZ_UNINSTRUMENTED std::vector<Kept> ValuesThatMustComeBack(const FakeWindows& windows,
                                                             OsClass os) {
  std::vector<Kept> kept;
  kept.reserve(10);
  const auto& registry = windows.registry;
  auto keep = [&](Hive hive, const std::string& path, const char* name, bool whole) {
    const RegistryValue* value = registry.FindValue(hive, path, name);
    if (value && whole) kept.push_back({hive, &path, name, value->data});
  };
  // A switch keeps its first character: only "c" with its terminator is read back whole.
  for (const char* name :
       {"ScreenSaveActive", "ScreenSaveLowPowerActive", "ScreenSavePowerOffActive"}) {
    const RegistryValue* value = registry.FindValue(kUser, kDesktop, name);
    keep(kUser, kDesktop, name,
         value && value->type == ValueType::Text && value->data.size() == 2 &&
             value->data[0] != 0 && value->data[1] == 0);
  }
  // A time-out of one to five characters with its terminator.
  for (const char* name :
       {"ScreenSaveTimeOut", "ScreenSaveLowPowerTimeOut", "ScreenSavePowerOffTimeOut"}) {
    const RegistryValue* value = registry.FindValue(kUser, kDesktop, name);
    keep(kUser, kDesktop, name,
         value && value->type == ValueType::Text && value->data.size() >= 2 &&
             value->data.size() <= 6 && value->data.back() == 0 &&
             std::memchr(value->data.data(), 0, value->data.size() - 1) == nullptr);
  }
  if (os == OsClass::Win95) return kept;
  // The records, each of its exact size, in keys the program may write.
  const RegistryValue* index = registry.FindValue(kUser, kPowerCfg, "CurrentPowerPolicy");
  if (index && index->type == ValueType::Text && index->data.size() == 2 && index->data[0] >= '0' &&
      index->data[0] <= '9' && index->data[1] == 0 && Writable(windows, kUser, kPowerCfg)) {
    const std::string& scheme = SchemePath(static_cast<char>(index->data[0]));
    const RegistryValue* policies = registry.FindValue(kUser, scheme, "Policies");
    keep(kUser, scheme, "Policies",
         policies && policies->data.size() == 80 && Writable(windows, kUser, scheme));
  }
  for (const std::string* path : {&kControlSet1, &kControlSet2, &kCurrentSet}) {
    const RegistryValue* policy = registry.FindValue(kMachine, *path, "AcPolicy");
    keep(kMachine, *path, "AcPolicy",
         policy && policy->data.size() == 232 && Writable(windows, kMachine, *path));
  }
  return kept;
}

// With LULL_FUZZ_TRACE set, a run tells what it did: handy when reading a finding.
void Trace(const FakeWindows& windows, const std::string& what) {
  static const bool tracing = std::getenv("LULL_FUZZ_TRACE") != nullptr;
  if (!tracing) return;
  std::fprintf(stderr, "-- %s; pages so far:", what.c_str());
  for (const std::string& page : windows.PageNames()) std::fprintf(stderr, " %s", page.c_str());
  std::fprintf(stderr, "\n");
}

// The program object of one start. Its storage is kept from one input to the next, since a
// fresh 27 KB block for each of the four starts costs more than the start; a read past the
// object still meets the red zone around it. Its first 4 KB are filled anew each time, as
// AddressSanitizer fills a new block, so that what a constructor leaves alone (the tails of
// the summary lines) never holds what the previous input left; the rest its constructor sets.
class ProgramObject {
 public:
  explicit ProgramObject(FakeWindows& windows) {
    std::memset(storage_, 0xBE, std::min<std::size_t>(sizeof storage_, 4096));
    program_ = new (storage_) lull::Program(windows);
  }
  ~ProgramObject() { program_->~Program(); }
  ProgramObject(const ProgramObject&) = delete;
  ProgramObject& operator=(const ProgramObject&) = delete;
  lull::Program& operator*() { return *program_; }
  lull::Program* operator->() { return program_; }

 private:
  alignas(lull::Program) static inline unsigned char storage_[sizeof(lull::Program)];
  lull::Program* program_;
};

// A fresh start of the program on the same computer, up to its first page.
void Start(lull::Program& program, FakeWindows& windows) {
  program.module = windows.GetModuleHandle();
  lull::StartUp(program);
  CheckLines(program, "start");
}

// The registry of the previous input, lent to each run's stand-in and given back however
// the run ends, so that the next input's registry is built into its nodes and buffers:
// building one afresh for every input costs more than the program's four starts.
class KeptRegistry {
 public:
  explicit KeptRegistry(FakeWindows& windows) : windows_(windows) {
    windows_.registry.keys = std::move(keys_);
  }
  ~KeptRegistry() { keys_ = std::move(windows_.registry.keys); }
  KeptRegistry(const KeptRegistry&) = delete;
  KeptRegistry& operator=(const KeptRegistry&) = delete;

 private:
  static inline FakeRegistry::Keys keys_;
  FakeWindows& windows_;
};

// Makes the registry hold exactly the keys and values an input describes, whatever it held:
// a key is there when it is not missing or a value goes into it, and read-only when the
// input says so; a place holds its value when it has one.
FUZZ_UNINSTRUMENTED void Rebuild(FakeRegistry& registry,
                                 std::span<const std::pair<Hive, const std::string*>> keys,
                                 const int* keyStates, std::span<const Place> places,
                                 const bool* present, std::span<const RegistryValue> values) {
  auto goesInto = [&](std::size_t place, std::size_t key) {
    return present[place] && places[place].path == keys[key].second;
  };
  std::bitset<8> there;
  FUZZ_CHECK(keys.size() <= there.size(), "%zu keys", keys.size());
  for (std::size_t key = 0; key < keys.size(); ++key) {
    there[key] = keyStates[key] != kMissing;
    for (std::size_t place = 0; place < places.size(); ++place) {
      there[key] = there[key] || goesInto(place, key);
    }
  }
  for (auto at = registry.keys.begin(); at != registry.keys.end();) {
    bool wanted = false;
    for (std::size_t key = 0; key < keys.size(); ++key) {
      wanted = wanted || (there[key] && at->first.first == keys[key].first &&
                          FakeRegistry::NameOrder::Same(at->first.second, *keys[key].second));
    }
    at = wanted ? std::next(at) : registry.keys.erase(at);
  }
  for (std::size_t key = 0; key < keys.size(); ++key) {
    if (!there[key]) continue;
    registry.CreateKey(keys[key].first, *keys[key].second);
    FakeRegistry::Key& made = *registry.Find(keys[key].first, *keys[key].second);
    made.readOnly = keyStates[key] == kReadOnly;
    for (auto value = made.values.begin(); value != made.values.end();) {
      bool wanted = false;
      for (std::size_t place = 0; place < places.size(); ++place) {
        wanted = wanted || (goesInto(place, key) &&
                            FakeRegistry::NameOrder::Same(value->first, places[place].name));
      }
      value = wanted ? std::next(value) : made.values.erase(value);
    }
  }
  for (std::size_t place = 0; place < places.size(); ++place) {
    if (!present[place]) continue;
    const Place& at = places[place];
    registry.Set(at.hive, *at.path, at.name, values[place].type, values[place].data);
  }
}

// A write the real Windows 95/98/Me would fault on stops the run like any broken check.
void StopAtViolation(const std::string& what) {
  std::fprintf(stderr, "check failed: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FakeWindows::onViolation = StopAtViolation;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FakeWindows windows;
  windows.recordCalls = false;

  const lull::VersionInfo versions[] = {{4, 0, 1}, {4, 10, 1}, {4, 90, 1},
                                        {5, 0, 2}, {5, 1, 2},  {6, 0, 2}};
  windows.version = in.PickValueInArray(versions);
  const OsClass os = lull::ClassifyVersion(windows.version);
  const char schemeIndex = in.PickValueInArray({'0', '1', '3', '9'});

  // The keys: missing, read-only, or (twice as likely) writable.
  enum Key { kDesktopKey, kPowerCfgKey, kSchemeKey, kBackupKey };
  const std::string& scheme = SchemePath(schemeIndex);
  const std::pair<Hive, const std::string*> keys[] = {
      {kUser, &kDesktop},      {kUser, &kPowerCfg},       {kUser, &scheme},
      {kUser, &kBackupPath},   {kMachine, &kControlSet1}, {kMachine, &kControlSet2},
      {kMachine, &kCurrentSet}};
  int keyStates[std::size(keys)];
  for (std::size_t key = 0; key < std::size(keys); ++key) {
    keyStates[key] = in.ConsumeIntegralInRange<int>(0, 3);
  }
  const auto places = Places(scheme);
  static std::array<RegistryValue, places.size()> values;  // their buffers serve every input
  bool present[places.size()];
  for (std::size_t place = 0; place < places.size(); ++place) {
    present[place] = MakeValue(in, places[place].shape, values[place]);
  }
  const KeptRegistry lent(windows);
  Rebuild(windows.registry, keys, keyStates, places, present, values);
  // Windows 95/98/Me write into every key.
  auto writable = [&](Key key) { return keyStates[key] != kReadOnly || windows.Win9xFamily(); };
  const bool backupWritable = writable(kBackupKey);
  // A reset keeps its backup for another try when a setting of the user's could not go
  // back into a key that is there.
  const bool userKeysWritable = writable(kDesktopKey) && writable(kSchemeKey);

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

#define LULL_TIME_RADIO_ID(unused, id, minutes, position) id,
  const int clickable[] = {IDC_YES,
                           IDC_NO,
                           IDC_CANCEL,
                           IDC_FINISH,
                           IDC_PREVIOUS,
                           IDC_NEXT,
                           IDC_LICENSE,
                           IDC_LICENSE_OK,
                           LULL_TIME_CHOICES(LULL_TIME_RADIO_ID, 0) IDC_NEXT,
                           IDC_NEXT,
                           -1};
  for (int click = in.ConsumeIntegralInRange<int>(0, 10); click > 0; --click) {
    const int id = in.PickValueInArray(clickable);
    windows.user.push_back(id < 0 ? lull::testing::PressEscape() : lull::testing::Click(id));
  }
  const auto radio = in.PickValueInArray(lull::kTimeChoices).radioId;
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
  const bool backupKeyAtStart = windows.registry.Find(kUser, kBackupPath) != nullptr;
  const std::string foreignAtStart = ForeignPart(windows.registry.keys, false);
  std::optional<FakeRegistry::Keys> registryAtStart;
  if (os == OsClass::UnsupportedNt) registryAtStart = windows.registry.keys;
  {
    ProgramObject program(windows);
    lull::RunWizard(*program);
    CheckLines(*program, "wizard");
    CheckKeys(windows, "wizard");
    CheckSystemIniKept(windows, ini, "wizard");
    FUZZ_CHECK(windows.quitPosted && windows.MaxPageDepth() == 1, "the wizard did not end cleanly");
    Trace(windows, "wizard");
  }
  if (os == OsClass::UnsupportedNt) {
    FUZZ_CHECK(windows.registry.keys == *registryAtStart,
               "the registry changed on an unsupported NT");
    return 0;
  }

  // 2. An activation.
  const std::vector<Kept> kept = ValuesThatMustComeBack(windows, os);
  bool activated = false;
  {
    ProgramObject program(windows);
    Start(*program, windows);
    // The time chosen on a page of times, then Next >> to the activation.
    program->wizard.RememberedChoice(PageId::SelectTime) = radio;
    const bool failing = injectFailure(activationFailure);
    lull::RunOperation(*program, moveScreenSaver ? lull::Operation::ActivationMovingScreenSaver
                                                 : lull::Operation::Activation);
    activated = program->outcome == lull::Outcome::Done;
    windows.failAt.reset();
    CheckKeys(windows, "activation");
    Trace(windows, std::string("activation") + (failing ? " with a failing call" : "") +
                       (activated ? ", saved" : ", not saved"));
  }

  // 3. A reset, from the page it is offered on.
  bool reset = false;
  bool resetFailed = false;
  {
    ProgramObject program(windows);
    Start(*program, windows);
    if (activated) {
      FUZZ_CHECK(program->wizard.currentPage == PageId::ResetActivate,
                 "after an activation the first page is %s",
                 lull::InfoOf(program->wizard.currentPage).templateName);
    }
    const auto iniBefore = windows.GetFile(kIni);
    resetFailed = injectFailure(resetFailure);
    lull::RunOperation(*program, lull::Operation::Reset);
    reset = program->outcome == lull::Outcome::Done;
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
      const FakeRegistry::Key* backup = windows.registry.Find(kUser, kBackupPath);
      const RegistryValue* flag = windows.registry.FindValue(kUser, kBackupPath, "LullResetFlag");
      const std::size_t count = backup ? backup->values.size() : 0;
      FUZZ_CHECK(count == 1 && flag && flag->type == ValueType::Text && flag->data == Text("2"),
                 "after a reset the backup holds %zu values", count);
    }
    if (activated) {
      for (const Kept& value : kept) {
        const RegistryValue* now = windows.registry.FindValue(value.hive, *value.path, value.name);
        FUZZ_CHECK(now && now->data == value.data, "%s\\%s not restored: %s, was %s",
                   value.path->c_str(), value.name, now ? Hex(now->data).c_str() : "(missing)",
                   Hex(value.data).c_str());
      }
    }
  }

  // 4. The next start.
  {
    ProgramObject program(windows);
    Start(*program, windows);
    if (reset && !resetFailed && backupWritable) {
      const PageId first = program->wizard.currentPage;
      FUZZ_CHECK(first == PageId::ActivateYesNo || first == PageId::SelectCompliant,
                 "after a reset the first page is %s", lull::InfoOf(first).templateName);
    }
    CheckKeys(windows, "last start");
    Trace(windows, std::string("last start, first page ") +
                       lull::InfoOf(program->wizard.currentPage).templateName);
  }
  // The program changes no value but its own and makes no key but the backup's.
  const std::string foreignAtEnd = ForeignPart(windows.registry.keys, !backupKeyAtStart);
  FUZZ_CHECK(foreignAtEnd == foreignAtStart, "changed what is not the program's:\n%s\nwas\n%s",
             foreignAtEnd.c_str(), foreignAtStart.c_str());
  return 0;
}
