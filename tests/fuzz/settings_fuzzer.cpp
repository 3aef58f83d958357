// The whole program over an arbitrary registry: every value of the table of places and of
// the backup rows, each absent, well formed, or of any type, size (0 to 300) and content, in
// keys that are missing, writable or read-only, on any Windows version.
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
//
// The input follows the product's tables: the keys, then a value for each place and each
// backup row in table order, so a row added there adds one to every input. A failing call is
// named by its kind and its number among the calls of that kind. With LULL_FUZZ_DESCRIBE set,
// the target prints what the input holds, for make_seeds.py.

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
#include "session/time_choice.h"
#include "settings/places.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/computer.h"
#include "wizard/page_operation.h"
#include "wizard/program.h"
#include "wizard/startup.h"

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

using lull::PlaceKey;
using lull::PlaceKind;

// The keys an input fills, in PlaceKey's order, with the backup's in place of None.
struct Key {
  const char* name;
  Hive hive;
  const std::string* path;
};
constexpr std::size_t Index(PlaceKey key) { return static_cast<std::size_t>(key); }
constexpr std::size_t kBackupKeyIndex = Index(PlaceKey::None);
constexpr std::size_t kKeyCount = [] {
  std::size_t count = 1;
  for (const lull::Place& place : lull::kPlaces) count = std::max(count, Index(place.key) + 1);
  return count;
}();
using Keys = std::array<Key, kKeyCount>;

// The scheme's key is the one at schemePath.
Keys KeysOf(const std::string& schemePath) {
  return {{{"Backup", kUser, &kBackupPath},
           {"Desktop", kUser, &kDesktop},
           {"PowerCfg", kUser, &kPowerCfg},
           {"Scheme", kUser, &schemePath},
           {"ControlSet001", kMachine, &kControlSet1},
           {"ControlSet002", kMachine, &kControlSet2},
           {"CurrentControlSet", kMachine, &kCurrentSet}}};
}

// A value an input fills: each place of the table, then each backup row, in table order. A
// row has the kind of its place (the flag is a switch); the size is the row's capacity.
struct Slot {
  std::size_t key;
  const char* name;
  PlaceKind kind;
  std::uint32_t size;
  std::uint32_t videoTimeoutOffset;
};
constexpr std::size_t kSlotCount = std::size(lull::kPlaces) + lull::kBackupRowCount;
// A record's video time-out offset; 0 for the other kinds.
constexpr std::uint32_t OffsetOf(const lull::Place& place) {
  return place.kind == PlaceKind::Record ? lull::VideoTimeoutOffset(place) : 0;
}

constexpr std::array<Slot, kSlotCount> kSlots = [] {
  std::array<Slot, kSlotCount> slots{};
  std::size_t at = 0;
  for (const lull::Place& place : lull::kPlaces) {
    slots[at++] = {Index(place.key), place.name, place.kind,
                   lull::kBackupRowLayout[place.row].capacity, OffsetOf(place)};
  }
  for (std::size_t row = 0; row < lull::kBackupRowCount; ++row) {
    Slot& slot = slots[at++];
    slot = {kBackupKeyIndex, lull::kBackupRowLayout[row].name, PlaceKind::Switch,
            lull::kBackupRowLayout[row].capacity, 0};
    for (const lull::Place& place : lull::kPlaces) {
      if (place.row != row) continue;
      slot.kind = place.kind;
      slot.videoTimeoutOffset = OffsetOf(place);
    }
  }
  return slots;
}();

// PlaceKind's names, in its order.
const char* const kKindNames[] = {"switch", "timeout", "program", "index", "record"};

// What the scripted user may do, by the names the seeds give them: the buttons, the time
// radios by their minutes, Next twice more (so that scripts get further), and Escape (-1).
struct Clickable {
  int id;
  const char* name;
};
#define LULL_TIME_CLICK(unused, id, minutes, position) {id, #minutes},
// clang-format off
constexpr Clickable kClickables[] = {
    {IDC_YES, "yes"}, {IDC_NO, "no"}, {IDC_CANCEL, "cancel"}, {IDC_FINISH, "finish"},
    {IDC_PREVIOUS, "previous"}, {IDC_NEXT, "next"}, {IDC_LICENSE, "license"},
    {IDC_LICENSE_OK, "license_ok"}, LULL_TIME_CHOICES(LULL_TIME_CLICK, 0)
    {IDC_NEXT, "next"}, {IDC_NEXT, "next"}, {-1, "escape"}};
// clang-format on
#undef LULL_TIME_CLICK

// What the input holds, one line each: the keys, the slots (key, name, kind, size, a record's
// video time-out offset), the clicks, the times, the calls that may fail.
void Describe() {
  const Keys keys = KeysOf(SchemePath('0'));
  for (const Key& key : keys) std::printf("key %s\n", key.name);
  for (const Slot& slot : kSlots) {
    std::printf("place %s %s %s %u %u\n", keys[slot.key].name, slot.name,
                kKindNames[static_cast<int>(slot.kind)], slot.size, slot.videoTimeoutOffset);
  }
  for (const Clickable& click : kClickables) std::printf("click %s\n", click.name);
  for (const lull::TimeChoiceRow& time : lull::kTimeChoices) std::printf("time %u\n", time.minutes);
  for (const char* call : lull::testing::kCallKindNames) std::printf("call %s\n", call);
}

// Fills value from the input; false when the place stays empty. A well-formed value reaches
// the deeper paths (a flag "1", a record of the right size) as easily as the hostile ones.
// The value's buffer is kept from place to place.
FUZZ_UNINSTRUMENTED bool MakeValue(FuzzedDataProvider& in, const Slot& slot, RegistryValue& value) {
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
      switch (slot.kind) {
        case PlaceKind::Switch:
          data.push_back(static_cast<std::uint8_t>(in.PickValueInArray({'0', '1', '2'})));
          break;
        case PlaceKind::TimeOut:
          text(digits);
          break;
        case PlaceKind::Program:
          text("SCRNSAVE.EXE=C:\\WINDOWS\\");
          text(digits);
          text(".SCR");
          break;
        case PlaceKind::SchemeIndex:
          text(digits.substr(0, 1));
          break;
        case PlaceKind::Record:
          value.type = ValueType::Binary;
          data.assign(slot.size, 0);
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

constexpr auto& SameName = FakeRegistry::NameOrder::Same;

// Whether a value is the program's own: a slot's, in its key; the Policies of any scheme whose
// index is one digit count.
FUZZ_UNINSTRUMENTED bool Own(const Keys& keys, Hive hive, std::string_view path,
                             std::string_view name) {
  for (const Slot& slot : kSlots) {
    const Key& key = keys[slot.key];
    if (key.hive != hive || !SameName(name, slot.name)) continue;
    const bool scheme = path.size() == kSchemes.size() + 1 &&
                        SameName(path.substr(0, kSchemes.size()), kSchemes) && path.back() >= '0' &&
                        path.back() <= '9';
    if (slot.key == Index(PlaceKey::PowerScheme) ? scheme : SameName(path, *key.path)) return true;
  }
  return false;
}

// The registry without the program's own values, written out: what no run may change. The
// backup key is left out when it holds nothing else and the program may have made it.
FUZZ_UNINSTRUMENTED std::string ForeignPart(const Keys& keys, const FakeRegistry::Keys& registry,
                                            bool backupKeyMayBeNew) {
  std::string out;
  for (const auto& [where, key] : registry) {
    const std::size_t start = out.size();
    out.append(where.first == kUser ? "HKCU\\" : "HKLM\\").append(where.second);
    if (key.readOnly) out.append(" (read-only)");
    bool foreign = false;
    for (const auto& [name, value] : key.values) {
      if (Own(keys, where.first, where.second, name)) continue;
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

FUZZ_UNINSTRUMENTED std::vector<Kept> ValuesThatMustComeBack(const FakeWindows& windows, OsClass os,
                                                             const Keys& keys) {
  std::vector<Kept> kept;
  kept.reserve(std::size(lull::kPlaces));
  const std::string* followed = nullptr;  // the scheme whose index the live settings hold
  for (const lull::Place& place : lull::kPlaces) {
    const Key& key = keys[Index(place.key)];
    const std::string* path = place.key == PlaceKey::PowerScheme ? followed : key.path;
    const RegistryValue* value =
        path ? windows.registry.FindValue(key.hive, *path, place.name) : nullptr;
    if (value == nullptr || !lull::KeptOn(os, place)) continue;
    const Bytes& data = value->data;
    const bool text = value->type == ValueType::Text && !data.empty() && data.back() == 0 &&
                      std::memchr(data.data(), 0, data.size() - 1) == nullptr;
    const std::uint32_t capacity = lull::kBackupRowLayout[place.row].capacity;
    // The scheme index is one digit, in a key the program may write.
    if (place.kind == PlaceKind::SchemeIndex && text && data.size() == 2 && data[0] >= '0' &&
        data[0] <= '9' && Writable(windows, key.hive, *path)) {
      followed = &SchemePath(static_cast<char>(data[0]));
    }
    // A switch keeps its first character, so only "c" comes back whole; a time-out has one to
    // five characters; a record its exact size, in a key the program may write.
    const PlaceKind kind = place.kind;
    if ((kind == PlaceKind::Switch && text && data.size() == 2) ||
        (kind == PlaceKind::TimeOut && text && data.size() >= 2 && data.size() <= capacity) ||
        (kind == PlaceKind::Record && data.size() == capacity &&
         Writable(windows, key.hive, *path))) {
      kept.push_back({key.hive, path, place.name, data});
    }
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
void Start(lull::Program& program) {
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
FUZZ_UNINSTRUMENTED void Rebuild(FakeRegistry& registry, const Keys& keys, const int* keyStates,
                                 const bool* present, std::span<const RegistryValue> values) {
  auto goesInto = [&](std::size_t slot, std::size_t key) {
    return present[slot] && kSlots[slot].key == key;
  };
  std::bitset<kKeyCount> there;
  for (std::size_t key = 0; key < kKeyCount; ++key) {
    there[key] = keyStates[key] != kMissing;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
      there[key] = there[key] || goesInto(slot, key);
    }
  }
  for (auto at = registry.keys.begin(); at != registry.keys.end();) {
    bool wanted = false;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
      wanted = wanted || (there[key] && at->first.first == keys[key].hive &&
                          FakeRegistry::NameOrder::Same(at->first.second, *keys[key].path));
    }
    at = wanted ? std::next(at) : registry.keys.erase(at);
  }
  for (std::size_t key = 0; key < kKeyCount; ++key) {
    if (!there[key]) continue;
    registry.CreateKey(keys[key].hive, *keys[key].path);
    FakeRegistry::Key& made = *registry.Find(keys[key].hive, *keys[key].path);
    made.readOnly = keyStates[key] == kReadOnly;
    for (auto value = made.values.begin(); value != made.values.end();) {
      bool wanted = false;
      for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        wanted = wanted || (goesInto(slot, key) &&
                            FakeRegistry::NameOrder::Same(value->first, kSlots[slot].name));
      }
      value = wanted ? std::next(value) : made.values.erase(value);
    }
  }
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    if (!present[slot]) continue;
    const Key& key = keys[kSlots[slot].key];
    registry.Set(key.hive, *key.path, kSlots[slot].name, values[slot].type, values[slot].data);
  }
}

// A write the real Windows 95/98/Me would fault on stops the run like any broken check.
void StopAtViolation(const std::string& what) {
  std::fprintf(stderr, "check failed: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::getenv("LULL_FUZZ_DESCRIBE") != nullptr) {
    Describe();
    std::exit(0);
  }
  FakeWindows::onViolation = StopAtViolation;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FakeWindows windows;
  windows.recordCalls = false;

  const OsClass os =
      in.PickValueInArray({OsClass::Win95, OsClass::Win98, OsClass::WinMe, OsClass::Win2000,
                           OsClass::WinXP, OsClass::UnsupportedNt});
  windows.version = lull::testing::VersionOf(os);
  const char schemeIndex = in.PickValueInArray({'0', '1', '3', '9'});

  // The keys: missing, read-only, or (twice as likely) writable.
  const Keys keys = KeysOf(SchemePath(schemeIndex));
  int keyStates[kKeyCount];
  for (int& state : keyStates) state = in.ConsumeIntegralInRange<int>(0, 3);
  static std::array<RegistryValue, kSlotCount> values;  // their buffers serve every input
  bool present[kSlotCount];
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    present[slot] = MakeValue(in, kSlots[slot], values[slot]);
  }
  const KeptRegistry lent(windows);
  Rebuild(windows.registry, keys, keyStates, present, values);
  // Windows 95/98/Me write into every key.
  auto writable = [&](std::size_t key) {
    return keyStates[key] != kReadOnly || windows.Win9xFamily();
  };
  const bool backupWritable = writable(kBackupKeyIndex);
  // A reset keeps its backup for another try when a setting of the user's could not go
  // back into a key that is there.
  const bool userKeysWritable =
      writable(Index(PlaceKey::Desktop)) && writable(Index(PlaceKey::PowerScheme));

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

  for (int click = in.ConsumeIntegralInRange<int>(0, 10); click > 0; --click) {
    const int id = in.PickValueInArray(kClickables).id;
    windows.user.push_back(id < 0 ? lull::testing::PressEscape() : lull::testing::Click(id));
  }
  const auto radio = in.PickValueInArray(lull::kTimeChoices).radioId;
  const bool moveScreenSaver = in.ConsumeBool();
  // Optionally one call of each operation fails, counted from the operation's start.
  const FailingCall activationFailure = ConsumeFailingCall(in);
  const FailingCall resetFailure = ConsumeFailingCall(in);
  const auto failureMode =
      static_cast<lull::testing::FailureMode>(in.ConsumeIntegralInRange<int>(0, 2));
  auto injectFailure = [&](const FailingCall& failing) {
    if (!failing.on) return false;
    windows.failCall = {failing.kind, windows.CallCount(failing.kind) + failing.nth};
    windows.failureMode = failureMode;
    return true;
  };

  // 1. The wizard, with whatever the user clicks.
  const bool backupKeyAtStart = windows.registry.Find(kUser, kBackupPath) != nullptr;
  const std::string foreignAtStart = ForeignPart(keys, windows.registry.keys, false);
  std::optional<FakeRegistry::Keys> registryAtStart;
  if (os == OsClass::UnsupportedNt) registryAtStart = windows.registry.keys;
  {
    ProgramObject program(windows);
    lull::RunWizard(*program, windows);
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
  const std::vector<Kept> kept = ValuesThatMustComeBack(windows, os, keys);
  bool activated = false;
  {
    ProgramObject program(windows);
    Start(*program);
    // The time chosen on a page of times, then Next >> to the activation.
    program->wizard.RememberedChoice(PageId::SelectTime) = radio;
    const bool failing = injectFailure(activationFailure);
    lull::RunOperation(*program, moveScreenSaver ? lull::Operation::ActivationMovingScreenSaver
                                                 : lull::Operation::Activation);
    activated = program->outcome == lull::Outcome::Done;
    windows.failCall.reset();
    CheckKeys(windows, "activation");
    Trace(windows, std::string("activation") + (failing ? " with a failing call" : "") +
                       (activated ? ", saved" : ", not saved"));
  }

  // 3. A reset, from the page it is offered on.
  bool reset = false;
  bool resetFailed = false;
  {
    ProgramObject program(windows);
    Start(*program);
    if (activated) {
      FUZZ_CHECK(program->wizard.currentPage == PageId::ResetActivate,
                 "after an activation the first page is %s",
                 lull::InfoOf(program->wizard.currentPage).templateName);
    }
    const auto iniBefore = windows.GetFile(kIni);
    resetFailed = injectFailure(resetFailure);
    lull::RunOperation(*program, lull::Operation::Reset);
    reset = program->outcome == lull::Outcome::Done;
    windows.failCall.reset();
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
      const RegistryValue* flag = windows.registry.FindValue(
          kUser, kBackupPath, lull::kBackupRowLayout[lull::kRowFlag].name);
      const std::size_t count = backup ? backup->values.size() : 0;
      FUZZ_CHECK(count == 1 && flag && flag->type == ValueType::Text &&
                     flag->data == lull::testing::TextBytes("2"),
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
    Start(*program);
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
  const std::string foreignAtEnd = ForeignPart(keys, windows.registry.keys, !backupKeyAtStart);
  FUZZ_CHECK(foreignAtEnd == foreignAtStart, "changed what is not the program's:\n%s\nwas\n%s",
             foreignAtEnd.c_str(), foreignAtStart.c_str());
  return 0;
}
