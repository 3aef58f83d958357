#include "tests/support/fake_windows.h"

#include <algorithm>
#include <cstring>

namespace lull::testing {
namespace {

// Case folding of the system locale the tests run in: ASCII letters only.
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Fold(c);
  return out;
}

// Eight bytes of a name, read as one number, with ASCII capitals turned into small letters
// all at once: a byte of 0x80 or more stays as it is.
std::uint64_t FoldedWord(std::string_view text, std::size_t at) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHigh = kOnes * 0x80;
  std::uint64_t word = 0;
  if (text.size() - at >= 8) {
    std::memcpy(&word, text.data() + at, 8);
  } else {
    for (std::size_t byte = 0; at + byte < text.size(); ++byte) {
      word |= std::uint64_t{static_cast<std::uint8_t>(text[at + byte])} << (8 * byte);
    }
  }
  const std::uint64_t seven = word & ~kHigh;
  const std::uint64_t fromA = seven + kOnes * (0x80 - 'A');
  const std::uint64_t pastZ = seven + kOnes * (0x80 - 'Z' - 1);
  const std::uint64_t capitals = fromA & ~pastZ & ~word & kHigh;
  return word | capitals >> 2;  // 0x80 >> 2 is the 0x20 between 'A' and 'a'
}

const char* HiveName(Hive hive) { return hive == Hive::CurrentUser ? "HKCU" : "HKLM"; }

const char* TypeName(ValueType type) {
  return type == ValueType::Text ? "text" : type == ValueType::Binary ? "binary" : "type";
}

// By SystemSetting, in its order.
const char* const kSettingNames[] = {"ScreenSaverActive", "ScreenSaverTimeout", "PowerOffActive",
                                     "PowerOffTimeout"};

constexpr ModuleHandle kModule = 0x400000;

FakeRegistry::Keys UserHive(const FakeRegistry::Keys& keys) {
  FakeRegistry::Keys user;
  for (const auto& key : keys) {
    if (key.first.first == Hive::CurrentUser) user.insert(key);
  }
  return user;
}

}  // namespace

std::string Hex(const void* data, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 3);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t at = 0; at < size; ++at) {
    if (at) out += ' ';
    out += kDigits[bytes[at] >> 4];
    out += kDigits[bytes[at] & 0xF];
  }
  return out;
}

Bytes TextBytes(const std::string& text, bool withTerminator) {
  Bytes bytes(text.begin(), text.end());
  if (withTerminator) bytes.push_back(0);
  return bytes;
}

VersionInfo VersionOf(OsClass os) {
  // By OsClass, in its order: 95, 98, Me, 2000, XP, and Vista for the NT versions not supported.
  static constexpr VersionInfo kVersions[] = {{4, 0, 1}, {4, 10, 1}, {4, 90, 1},
                                              {5, 0, 2}, {5, 1, 2},  {6, 0, 2}};
  return kVersions[static_cast<int>(os)];
}

// --- FakeRegistry ---

bool FakeRegistry::NameOrder::Less(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size();
  for (std::size_t at = 0; at < a.size(); at += 8) {
    const std::uint64_t x = FoldedWord(a, at);
    const std::uint64_t y = FoldedWord(b, at);
    if (x != y) return x < y;
  }
  return false;
}

bool FakeRegistry::NameOrder::Same(std::string_view a, std::string_view b) {
  return !Less(a, b) && !Less(b, a);
}

void FakeRegistry::CreateKey(Hive hive, const std::string& path) {
  if (Find(hive, path) == nullptr) keys[{hive, Lower(path)}];
}

bool FakeRegistry::HasKey(Hive hive, const std::string& path) const {
  return Find(hive, path) != nullptr;
}

void FakeRegistry::DeleteKey(Hive hive, const std::string& path) {
  keys.erase({hive, Lower(path)});
}

void FakeRegistry::SetReadOnly(Hive hive, const std::string& path, bool readOnly) {
  keys[{hive, Lower(path)}].readOnly = readOnly;
}

void FakeRegistry::Set(Hive hive, std::string_view path, std::string_view name, ValueType type,
                       const Bytes& data) {
  Key* key = Find(hive, path);
  if (key == nullptr) key = &keys[{hive, Lower(path)}];
  auto value = key->values.find(name);
  if (value == key->values.end()) value = key->values.emplace(Lower(name), RegistryValue{}).first;
  value->second.type = type;
  value->second.data = data;
}

void FakeRegistry::SetText(Hive hive, const std::string& path, const std::string& name,
                           const std::string& text) {
  Set(hive, path, name, ValueType::Text, TextBytes(text));
}

void FakeRegistry::SetBinary(Hive hive, const std::string& path, const std::string& name,
                             const Bytes& data) {
  Set(hive, path, name, ValueType::Binary, data);
}

FakeRegistry::Key* FakeRegistry::Find(Hive hive, std::string_view path) {
  auto key = keys.find(std::pair{hive, path});
  return key == keys.end() ? nullptr : &key->second;
}

const FakeRegistry::Key* FakeRegistry::Find(Hive hive, std::string_view path) const {
  auto key = keys.find(std::pair{hive, path});
  return key == keys.end() ? nullptr : &key->second;
}

const RegistryValue* FakeRegistry::FindValue(Hive hive, std::string_view path,
                                             std::string_view name) const {
  const Key* key = Find(hive, path);
  if (key == nullptr) return nullptr;
  auto value = key->values.find(name);
  return value == key->values.end() ? nullptr : &value->second;
}

std::optional<RegistryValue> FakeRegistry::Get(Hive hive, const std::string& path,
                                               const std::string& name) const {
  const RegistryValue* value = FindValue(hive, path, name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

std::optional<std::string> FakeRegistry::GetText(Hive hive, const std::string& path,
                                                 const std::string& name) const {
  auto value = Get(hive, path, name);
  if (!value) return std::nullopt;
  std::string text(value->data.begin(), value->data.end());
  return text.substr(0, text.find('\0'));
}

std::vector<std::string> FakeRegistry::ValueNames(Hive hive, const std::string& path) const {
  std::vector<std::string> names;
  const Key* key = Find(hive, path);
  if (key == nullptr) return names;
  for (const auto& [name, value] : key->values) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

// --- FakeWindows ---

FakeWindows::FakeWindows() = default;

void FakeWindows::SetFile(const std::string& path, const std::string& content) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(content.data());
  files[Lower(path)].assign(bytes, bytes + content.size());
}

std::optional<std::string> FakeWindows::GetFile(const std::string& path) const {
  const Bytes* file = FindFile(path);
  if (file == nullptr) return std::nullopt;
  return std::string(file->begin(), file->end());
}

const Bytes* FakeWindows::FindFile(std::string_view path) const {
  auto file = files.find(std::string_view(path));
  return file == files.end() ? nullptr : &file->second;
}

std::vector<std::string> FakeWindows::CallsOf(std::initializer_list<CallKind> kinds) const {
  std::vector<std::string> out;
  for (const Call& call : calls) {
    if (std::find(kinds.begin(), kinds.end(), call.kind) != kinds.end()) {
      out.push_back(call.failed ? call.description + " (failed)" : call.description);
    }
  }
  return out;
}

std::vector<std::string> FakeWindows::PageNames() const {
  std::vector<std::string> names;
  for (const PageVisit& page : pages) names.push_back(page.name);
  return names;
}

bool FakeWindows::InjectFailure(CallKind kind) {
  const int number = callCounts_[static_cast<std::size_t>(kind)]++;
  const bool fail = (failAt && *failAt == fallibleCallCount) ||
                    (failCall && failCall->kind == kind && failCall->number == number);
  ++fallibleCallCount;
  return fail;
}

void FakeWindows::BeforeChange() {
  if (cutAfter && !userHiveOnDisk_) userHiveOnDisk_ = UserHive(registry.keys);
}

void FakeWindows::AfterChange() {
  ++changeCount;
  if (recordCalls) calls.back().change = true;
  if (!cutAfter || changeCount != *cutAfter) return;
  stopped = Disk{registry, files};
  powerCut = stopped;
  FakeRegistry::Keys& keys = powerCut->registry.keys;
  std::erase_if(keys, [](const auto& key) { return key.first.first == Hive::CurrentUser; });
  keys.insert(userHiveOnDisk_->begin(), userHiveOnDisk_->end());
  for (const auto& [path, data] : unflushedFiles_) {
    auto file = powerCut->files.find(path);
    if (file != powerCut->files.end()) file->second = data;
  }
}

void FakeWindows::Violation(std::string what) {
  if (reportViolations && onViolation != nullptr) onViolation(what);
  violations.push_back(std::move(what));
}

KeyHandle FakeWindows::OpenSlot(Hive hive, const char* path) {
  auto slot = std::find_if(openKeys_.begin(), openKeys_.end(),
                           [](const OpenKeyState& open) { return open.handle == 0; });
  if (slot == openKeys_.end()) slot = openKeys_.emplace(openKeys_.end());
  slot->handle = nextHandle_++;
  slot->hive = hive;
  slot->path.assign(path);
  ++openKeyCount_;
  maxOpenKeys_ = std::max(maxOpenKeys_, openKeyCount_);
  return slot->handle;
}

const FakeWindows::OpenKeyState* FakeWindows::FindOpenKey(KeyHandle key) const {
  if (key == 0) return nullptr;
  for (const OpenKeyState& open : openKeys_) {
    if (open.handle == key) return &open;
  }
  return nullptr;
}

std::string FakeWindows::KeyName(KeyHandle key) const {
  const OpenKeyState* open = FindOpenKey(key);
  if (open == nullptr) return "<closed key>";
  return std::string(HiveName(open->hive)) + "\\" + open->path;
}

bool FakeWindows::FileBusy(std::string_view path) const {
  for (const auto& [handle, open] : openFiles_) {
    if (FakeRegistry::NameOrder::Same(open.path, path)) return true;
  }
  return false;
}

void FakeWindows::InitCommonControls() {
  Record(CallKind::InitCommonControls, false, [] { return "InitCommonControls"; });
}

ModuleHandle FakeWindows::GetModuleHandle() {
  Record(CallKind::GetModuleHandle, false, [] { return "GetModuleHandle"; });
  return kModule;
}

VersionInfo FakeWindows::GetVersion() {
  Record(CallKind::GetVersion, false, [] { return "GetVersion"; });
  return version;
}

const char* FakeWindows::GetCommandLine() {
  Record(CallKind::GetCommandLine, false, [] { return "GetCommandLine"; });
  return commandLine.c_str();
}

void FakeWindows::ShowPage(ModuleHandle module, const char* templateName, DialogHandler& handler) {
  Record(CallKind::ShowPage, false, [&] { return std::string("ShowPage ") + templateName; });
  if (module != kModule) return;
  const DialogWindow window = nextHandle_++;
  openPages_.push_back(OpenPage{window, false, {}, {}});
  maxPageDepth_ = std::max(maxPageDepth_, static_cast<int>(openPages_.size()));
  pages.push_back(PageVisit{templateName, {}, {}, {}});
  const std::size_t visit = pages.size() - 1;

  handler.OnMessage(window, DialogMessage::Init, 0, 0);
  pages[visit].checkedOnOpen = openPages_.back().checked;
  // The end of the page ends its modal loop. On NT (and in Wine) a quit request in the
  // queue does too; nothing says the dialog loop of Windows 95, 98 and Me does, so there
  // it does not.
  const bool quitEndsLoop = version.platformId == 2;
  while (!openPages_.back().ended && !(quitPosted && quitEndsLoop)) {
    if (user.empty()) {
      userRanOut = true;
      break;
    }
    const UserAction action = user.front();
    user.pop_front();
    const int id = action.kind == UserAction::Kind::Click ? action.controlId : 2;
    handler.OnMessage(window, DialogMessage::Command, static_cast<std::uint32_t>(id), 0);
  }
  pages[visit].checkedOnClose = openPages_.back().checked;
  handler.OnMessage(window, DialogMessage::Destroy, 0, 0);
  pages[visit].texts = openPages_.back().texts;
  openPages_.pop_back();
}

void FakeWindows::EndDialog(DialogWindow page, int result) {
  Record(CallKind::EndDialog, false, [&] { return "EndDialog " + std::to_string(result); });
  for (OpenPage& open : openPages_) {
    if (open.window == page) open.ended = true;
  }
}

void FakeWindows::SetCheck(DialogWindow page, int controlId, bool checked) {
  Record(CallKind::SetCheck, false,
         [&] { return "SetCheck " + std::to_string(controlId) + (checked ? " on" : " off"); });
  if (!recordCalls) return;
  for (OpenPage& open : openPages_) {
    if (open.window != page) continue;
    if (checked) {
      open.checked.insert(controlId);
    } else {
      open.checked.erase(controlId);
    }
  }
}

void FakeWindows::SetControlText(DialogWindow page, int controlId, const char* text) {
  Record(CallKind::SetControlText, false,
         [&] { return "SetControlText " + std::to_string(controlId) + " " + text; });
  if (!recordCalls) return;
  for (OpenPage& open : openPages_) {
    if (open.window == page) open.texts[controlId] = text;
  }
}

void FakeWindows::PostQuitMessage(int exitCode) {
  Record(CallKind::PostQuitMessage, false,
         [&] { return "PostQuitMessage " + std::to_string(exitCode); });
  quitPosted = true;
  quitCode = exitCode;
}

RegResult FakeWindows::OpenKey(Hive hive, const char* path, KeyHandle& key) {
  key = 0;
  RegResult result = kRegSuccess;
  const FakeRegistry::Key* found = registry.Find(hive, path);
  if (InjectFailure(CallKind::OpenKey)) {
    result = kErrorGenFailure;
  } else if (found == nullptr) {
    result = kRegFileNotFound;
  } else if (found->readOnly && !Win9xFamily()) {
    // Only NT checks the access asked for; Windows 95/98/Me open every key with full access.
    result = kRegAccessDenied;
  } else {
    key = OpenSlot(hive, path);
  }
  Record(CallKind::OpenKey, result != kRegSuccess,
         [&] { return std::string("OpenKey ") + HiveName(hive) + "\\" + path; });
  return result;
}

RegResult FakeWindows::CreateKey(Hive hive, const char* path, KeyHandle& key) {
  BeforeChange();
  key = 0;
  RegResult result = kRegSuccess;
  const FakeRegistry::Key* found = registry.Find(hive, path);
  if (InjectFailure(CallKind::CreateKey)) {
    result = kErrorGenFailure;
  } else if (found != nullptr && found->readOnly && !Win9xFamily()) {
    result = kRegAccessDenied;
  } else {
    if (found == nullptr) registry.keys[{hive, Lower(path)}];
    key = OpenSlot(hive, path);
  }
  Record(CallKind::CreateKey, result != kRegSuccess,
         [&] { return std::string("CreateKey ") + HiveName(hive) + "\\" + path; });
  AfterChange();
  return result;
}

// Every call on an open key first meets an injected failure or a handle that is not open.
RegResult FakeWindows::StartKeyCall(CallKind kind, KeyHandle key, const OpenKeyState*& open) {
  open = FindOpenKey(key);
  if (open == nullptr) Violation("a call on a key handle that is not open: " + std::to_string(key));
  if (InjectFailure(kind)) return kErrorGenFailure;
  return open == nullptr ? kErrorInvalidHandle : kRegSuccess;
}

RegResult FakeWindows::QueryValue(KeyHandle key, const char* name, ValueType& type, void* data,
                                  std::uint32_t& size) {
  const std::uint32_t asked = size;
  const OpenKeyState* open = nullptr;
  RegResult result = StartKeyCall(CallKind::QueryValue, key, open);
  if (result == kRegSuccess) {
    const RegistryValue* value = registry.FindValue(open->hive, open->path, name);
    static const Bytes kEmptyText(1, 0);
    if (value == nullptr) {
      result = kRegFileNotFound;
      // NT tells a caller who gave no buffer that there is nothing to read; with a buffer,
      // and always on Windows 95/98/Me, the size is left as it was.
      if (data == nullptr && !Win9xFamily()) size = 0;
    } else {
      // Windows 95/98/Me keep no text of no bytes: it reads back as its terminator alone.
      const Bytes& bytes = Win9xFamily() && value->type == ValueType::Text && value->data.empty()
                               ? kEmptyText
                               : value->data;
      type = value->type;
      // Windows tells the size needed when the buffer is too small, and what the buffer then
      // holds is not defined: here, as much of the value as fits, which looks like a value.
      if (bytes.size() > size) result = kRegMoreData;
      if (data != nullptr && !bytes.empty()) {
        std::memcpy(data, bytes.data(), std::min<std::size_t>(bytes.size(), size));
      }
      size = static_cast<std::uint32_t>(bytes.size());
    }
  }
  Record(CallKind::QueryValue, result != kRegSuccess,
         [&] { return "QueryValue " + KeyName(key) + " " + name + " " + std::to_string(asked); });
  return result;
}

RegResult FakeWindows::SetValue(KeyHandle key, const char* name, ValueType type, const void* data,
                                std::uint32_t size) {
  BeforeChange();
  const OpenKeyState* open = nullptr;
  RegResult result = StartKeyCall(CallKind::SetValue, key, open);
  if (result == kRegSuccess) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t count = size;
    bool unterminated = false;
    if (type == ValueType::Text && Win9xFamily()) {
      // Windows 95/98/Me store a text up to its terminator, whatever size is given. One
      // without a terminator within that size is read on past it, into bytes the program
      // never meant to write: the stand-in keeps the given ones, terminated, and says so.
      const void* end = size != 0 ? std::memchr(bytes, 0, size) : nullptr;
      if (end != nullptr) {
        count = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(end) - bytes) + 1;
      } else {
        unterminated = true;
      }
    }
    FakeRegistry::Key* found = registry.Find(open->hive, open->path);
    if (found == nullptr) found = &registry.keys[{open->hive, Lower(open->path)}];
    auto value = found->values.find(std::string_view(name));
    if (value == found->values.end())
      value = found->values.emplace(Lower(name), RegistryValue{}).first;
    value->second.type = type;
    value->second.data.assign(bytes, bytes + count);
    if (unterminated) {
      value->second.data.push_back(0);
      Violation("SetValue " + KeyName(key) + " " + name + ": a text of " + std::to_string(size) +
                " bytes without its terminator, which Windows 95/98/Me would read on past");
    }
  }
  Record(CallKind::SetValue, result != kRegSuccess, [&] {
    return "SetValue " + KeyName(key) + " " + name + " " + TypeName(type) + " " + Hex(data, size);
  });
  AfterChange();
  return result;
}

RegResult FakeWindows::DeleteValue(KeyHandle key, const char* name) {
  BeforeChange();
  const OpenKeyState* open = nullptr;
  RegResult result = StartKeyCall(CallKind::DeleteValue, key, open);
  if (result == kRegSuccess) {
    FakeRegistry::Key* found = registry.Find(open->hive, open->path);
    if (found == nullptr) {
      result = kRegFileNotFound;
    } else {
      auto value = found->values.find(std::string_view(name));
      if (value == found->values.end()) {
        result = kRegFileNotFound;
      } else {
        found->values.erase(value);
      }
    }
  }
  Record(CallKind::DeleteValue, result != kRegSuccess,
         [&] { return "DeleteValue " + KeyName(key) + " " + name; });
  AfterChange();
  return result;
}

RegResult FakeWindows::FlushKey(KeyHandle key) {
  const OpenKeyState* open = nullptr;
  const RegResult result = StartKeyCall(CallKind::FlushKey, key, open);
  if (result == kRegSuccess && cutAfter && open->hive == Hive::CurrentUser) {
    userHiveOnDisk_ = UserHive(registry.keys);
  }
  Record(CallKind::FlushKey, result != kRegSuccess, [&] { return "FlushKey " + KeyName(key); });
  return result;
}

RegResult FakeWindows::CloseKey(KeyHandle key) {
  std::string description;
  if (recordCalls) description = "CloseKey " + KeyName(key);
  RegResult result = kRegSuccess;
  // A close that reports failure still lets the handle go, as RegCloseKey does.
  if (InjectFailure(CallKind::CloseKey)) result = kErrorGenFailure;
  auto* open = const_cast<OpenKeyState*>(FindOpenKey(key));
  if (open == nullptr) {
    // Windows may have given a closed handle's number to a key opened since: closing it
    // again would close that one.
    Violation("CloseKey of a handle that is not open: " + std::to_string(key));
    result = kErrorInvalidHandle;
  } else {
    open->handle = 0;
    --openKeyCount_;
  }
  Record(CallKind::CloseKey, result != kRegSuccess, [&] { return std::move(description); });
  return result;
}

FileHandle FakeWindows::OpenFileForReading(const char* path) {
  FileHandle handle = 0;
  auto found = files.find(std::string_view(path));
  if (!InjectFailure(CallKind::OpenFileForReading) && !FileBusy(path) && found != files.end()) {
    handle = nextHandle_++;
    openFiles_[handle] = OpenFileState{found->first, false, 0};
  }
  Record(CallKind::OpenFileForReading, handle == 0,
         [&] { return std::string("OpenFileForReading ") + path; });
  return handle;
}

FileHandle FakeWindows::CreateFileForWriting(const char* path) {
  BeforeChange();
  FileHandle handle = 0;
  if (!InjectFailure(CallKind::CreateFileForWriting) && !FileBusy(path)) {
    auto file = files.find(std::string_view(path));
    if (file == files.end()) file = files.emplace(Lower(path), Bytes{}).first;
    file->second.clear();
    handle = nextHandle_++;
    openFiles_[handle] = OpenFileState{file->first, true, 0};
    if (cutAfter) unflushedFiles_[file->first].clear();
  }
  Record(CallKind::CreateFileForWriting, handle == 0,
         [&] { return std::string("CreateFileForWriting ") + path; });
  AfterChange();
  return handle;
}

FileHandle FakeWindows::OpenFileForAppending(const char* path, FileError& error,
                                             std::uint32_t& size) {
  BeforeChange();
  ticks += openTakes;
  FileHandle handle = 0;
  error = FileError::None;
  if (InjectFailure(CallKind::OpenFileForAppending)) {
    error = FileError::Other;
  } else if (appendRefused != FileError::None) {
    error = appendRefused;
  } else if (appendBusyFor > 0 || FileBusy(path)) {
    appendBusyFor -= appendBusyFor > 0;
    error = FileError::Busy;
  } else {
    auto file = files.find(std::string_view(path));
    if (file == files.end()) file = files.emplace(Lower(path), Bytes{}).first;
    if (cutAfter) unflushedFiles_.emplace(file->first, file->second);
    handle = nextHandle_++;
    openFiles_[handle] = OpenFileState{file->first, true, 0};
    size = static_cast<std::uint32_t>(file->second.size());
  }
  Record(CallKind::OpenFileForAppending, handle == 0, [&] {
    return std::string("OpenFileForAppending ") + path +
           (error == FileError::Busy ? " (busy)" : "");
  });
  AfterChange();
  return handle;
}

bool FakeWindows::ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t& read) {
  read = 0;
  bool ok = false;
  auto open = openFiles_.find(file);
  if (!InjectFailure(CallKind::ReadFile) && open != openFiles_.end() && !open->second.writing) {
    const Bytes& content = files[open->second.path];
    const std::size_t left = content.size() - std::min(content.size(), open->second.readPosition);
    read = static_cast<std::uint32_t>(std::min<std::size_t>(left, size));
    if (read) std::memcpy(data, content.data() + open->second.readPosition, read);
    open->second.readPosition += read;
    ok = true;
  }
  Record(CallKind::ReadFile, !ok,
         [&] { return "ReadFile " + std::to_string(size) + " -> " + std::to_string(read); });
  return ok;
}

bool FakeWindows::ReadFileAt(FileHandle file, std::uint32_t offset, void* data, std::uint32_t size,
                             std::uint32_t& read) {
  read = 0;
  auto open = openFiles_.find(file);
  const bool ok = !InjectFailure(CallKind::ReadFileAt) && open != openFiles_.end();
  if (ok) {
    const Bytes& content = files[open->second.path];
    if (offset < content.size()) {
      read = static_cast<std::uint32_t>(std::min<std::size_t>(content.size() - offset, size));
      std::memcpy(data, content.data() + offset, read);
    }
  }
  Record(CallKind::ReadFileAt, !ok, [&] {
    return "ReadFileAt " + std::to_string(offset) + " " + std::to_string(size) + " -> " +
           std::to_string(read);
  });
  return ok;
}

// As with a key: Windows may have given the number to a file opened since, so a call on a
// handle that is not open (a create that failed gives 0) would reach that file.
void FakeWindows::NotOpenFile(const char* call, FileHandle file) {
  Violation(std::string(call) + " of a file handle that is not open: " + std::to_string(file));
}

bool FakeWindows::WriteFile(FileHandle file, const void* data, std::uint32_t size,
                            std::uint32_t& written) {
  BeforeChange();
  written = 0;
  auto open = openFiles_.find(file);
  if (open == openFiles_.end()) NotOpenFile("WriteFile", file);
  const bool failing = InjectFailure(CallKind::WriteFile);
  bool ok = open != openFiles_.end() && open->second.writing;
  if (ok) {
    std::uint32_t count = size;
    if (failing) count = failureMode == FailureMode::Error ? 0 : size / 2;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    Bytes& content = files[open->second.path];
    content.insert(content.end(), bytes, bytes + count);
    written = count;
    ok = !failing || failureMode == FailureMode::ShortWrite;
  }
  Record(CallKind::WriteFile, !ok, [&] { return "WriteFile " + Hex(data, size); });
  AfterChange();
  return ok;
}

bool FakeWindows::FlushFile(FileHandle file) {
  auto open = openFiles_.find(file);
  const bool ok = !InjectFailure(CallKind::FlushFile) && open != openFiles_.end();
  if (ok) unflushedFiles_.erase(open->second.path);
  Record(CallKind::FlushFile, !ok, [] { return "FlushFile"; });
  return ok;
}

bool FakeWindows::CloseFile(FileHandle file) {
  const bool injected = InjectFailure(CallKind::CloseFile);
  const bool known = openFiles_.erase(file) != 0;
  if (!known) NotOpenFile("CloseFile", file);
  Record(CallKind::CloseFile, injected || !known, [] { return "CloseFile"; });
  return known && !injected;
}

bool FakeWindows::DeleteFile(const char* path) {
  BeforeChange();
  bool ok = !InjectFailure(CallKind::DeleteFile) && !FileBusy(path);
  if (ok) {
    auto found = files.find(std::string_view(path));
    ok = found != files.end();
    if (ok) files.erase(found);
  }
  if (auto unflushed = unflushedFiles_.find(std::string_view(path));
      ok && unflushed != unflushedFiles_.end()) {
    unflushedFiles_.erase(unflushed);
  }
  Record(CallKind::DeleteFile, !ok, [&] { return std::string("DeleteFile ") + path; });
  AfterChange();
  return ok;
}

bool FakeWindows::MoveFile(const char* from, const char* to) {
  BeforeChange();
  auto moving = files.find(std::string_view(from));
  bool ok = !InjectFailure(CallKind::MoveFile) && !FileBusy(from) && moving != files.end() &&
            files.find(std::string_view(to)) == files.end();
  if (ok) {
    Bytes content = std::move(moving->second);
    files.erase(moving);
    files.emplace(Lower(to), std::move(content));
    // The data goes with its name; what was not on the disk still is not.
    if (auto unflushed = unflushedFiles_.find(std::string_view(from));
        unflushed != unflushedFiles_.end()) {
      auto node = unflushedFiles_.extract(unflushed);
      node.key() = Lower(to);
      unflushedFiles_.insert(std::move(node));
    }
  }
  Record(CallKind::MoveFile, !ok, [&] { return std::string("MoveFile ") + from + " " + to; });
  AfterChange();
  return ok;
}

void FakeWindows::FlushProfileCache(const char* path) {
  const bool failed = InjectFailure(CallKind::FlushProfileCache);
  Record(CallKind::FlushProfileCache, failed,
         [&] { return std::string("FlushProfileCache ") + path; });
}

bool FakeWindows::SetSystemParameter(SystemSetting setting, std::uint32_t value) {
  BeforeChange();
  // Windows 95 takes the monitor power-off pair from 16-bit programs only.
  const bool powerOff =
      setting == SystemSetting::PowerOffActive || setting == SystemSetting::PowerOffTimeout;
  const bool ok = !InjectFailure(CallKind::SetSystemParameter) &&
                  !(powerOff && ClassifyVersion(version) == OsClass::Win95);
  Record(CallKind::SetSystemParameter, !ok, [&] {
    return std::string("SetSystemParameter ") + kSettingNames[static_cast<int>(setting)] + " " +
           std::to_string(value);
  });
  AfterChange();
  return ok;
}

std::uint32_t FakeWindows::GetSystemDirectory(char* buffer, std::uint32_t capacity) {
  std::uint32_t length = 0;
  if (!InjectFailure(CallKind::GetSystemDirectory) && !systemDirectoryFails &&
      systemDirectory.size() < capacity) {
    std::memcpy(buffer, systemDirectory.c_str(), systemDirectory.size() + 1);
    length = static_cast<std::uint32_t>(systemDirectory.size());
  }
  Record(CallKind::GetSystemDirectory, length == 0, [] { return "GetSystemDirectory"; });
  return length;
}

bool FakeWindows::StartProcess(char* line) {
  BeforeChange();
  const bool ok = !InjectFailure(CallKind::StartProcess);
  if (ok && recordCalls) startedProcesses.emplace_back(line);
  Record(CallKind::StartProcess, !ok, [&] { return std::string("StartProcess ") + line; });
  AfterChange();
  return ok;
}

bool FakeWindows::EqualIgnoringCase(const char* a, const char* b, std::uint32_t count) {
  for (std::uint32_t at = 0; at < count; ++at) {
    if (Fold(a[at]) != Fold(b[at])) return false;
  }
  // Comparisons are many and never fail; they are not recorded.
  return true;
}

bool FakeWindows::WriteOutput(const char* text, std::uint32_t length) {
  output.append(text, length);
  return true;
}

void FakeWindows::FailCriticalErrorsQuietly() {
  Record(CallKind::FailCriticalErrorsQuietly, false, [] { return "FailCriticalErrorsQuietly"; });
}

void FakeWindows::Sleep(std::uint32_t milliseconds) {
  sleeps.push_back(milliseconds);
  ticks += milliseconds;
  Record(CallKind::Sleep, false, [&] { return "Sleep " + std::to_string(milliseconds); });
}

namespace {

bool GiveName(const std::optional<std::string>& name, char* buffer, std::uint32_t capacity) {
  if (!name || name->size() >= capacity) return false;
  std::memcpy(buffer, name->c_str(), name->size() + 1);
  return true;
}

}  // namespace

bool FakeWindows::GetComputerName(char* buffer, std::uint32_t capacity) {
  const bool ok =
      !InjectFailure(CallKind::GetComputerName) && GiveName(computerName, buffer, capacity);
  Record(CallKind::GetComputerName, !ok, [] { return "GetComputerName"; });
  return ok;
}

bool FakeWindows::GetUserName(char* buffer, std::uint32_t capacity) {
  return GiveName(userName, buffer, capacity);
}

LocalTime FakeWindows::GetLocalTime() { return localTime; }

}  // namespace lull::testing
