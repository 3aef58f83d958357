#include "tests/support/fake_windows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace lull::testing {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const char* HiveName(Hive hive) { return hive == Hive::CurrentUser ? "HKCU" : "HKLM"; }

const char* TypeName(ValueType type) {
  switch (type) {
    case ValueType::Text:
      return "text";
    case ValueType::Binary:
      return "binary";
    default:
      return "type";
  }
}

const char* SettingName(SystemSetting setting) {
  switch (setting) {
    case SystemSetting::ScreenSaverActive:
      return "ScreenSaverActive";
    case SystemSetting::ScreenSaverTimeout:
      return "ScreenSaverTimeout";
    case SystemSetting::PowerOffActive:
      return "PowerOffActive";
    case SystemSetting::PowerOffTimeout:
      return "PowerOffTimeout";
  }
  return "?";
}

constexpr ModuleHandle kModule = 0x400000;

}  // namespace

std::string Hex(const void* data, std::size_t size) {
  std::string out;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  char piece[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(piece, sizeof piece, "%s%02x", i ? " " : "", bytes[i]);
    out += piece;
  }
  return out;
}

Bytes TextBytes(const std::string& text, bool withTerminator) {
  Bytes bytes(text.begin(), text.end());
  if (withTerminator) bytes.push_back(0);
  return bytes;
}

// --- FakeRegistry ---

void FakeRegistry::CreateKey(Hive hive, const std::string& path) { keys[{hive, Lower(path)}]; }

bool FakeRegistry::HasKey(Hive hive, const std::string& path) const {
  return keys.count({hive, Lower(path)}) != 0;
}

void FakeRegistry::DeleteKey(Hive hive, const std::string& path) {
  keys.erase({hive, Lower(path)});
}

void FakeRegistry::SetReadOnly(Hive hive, const std::string& path, bool readOnly) {
  keys[{hive, Lower(path)}].readOnly = readOnly;
}

void FakeRegistry::Set(Hive hive, const std::string& path, const std::string& name, ValueType type,
                       const Bytes& data) {
  keys[{hive, Lower(path)}].values[Lower(name)] = RegistryValue{type, data};
}

void FakeRegistry::SetText(Hive hive, const std::string& path, const std::string& name,
                           const std::string& text) {
  Set(hive, path, name, ValueType::Text, TextBytes(text));
}

void FakeRegistry::SetBinary(Hive hive, const std::string& path, const std::string& name,
                             const Bytes& data) {
  Set(hive, path, name, ValueType::Binary, data);
}

std::optional<RegistryValue> FakeRegistry::Get(Hive hive, const std::string& path,
                                               const std::string& name) const {
  auto key = keys.find({hive, Lower(path)});
  if (key == keys.end()) return std::nullopt;
  auto value = key->second.values.find(Lower(name));
  if (value == key->second.values.end()) return std::nullopt;
  return value->second;
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
  auto key = keys.find({hive, Lower(path)});
  if (key == keys.end()) return names;
  for (const auto& [name, value] : key->second.values) names.push_back(name);
  return names;
}

// --- FakeWindows ---

FakeWindows::FakeWindows() = default;

void FakeWindows::SetFile(const std::string& path, const std::string& content) {
  files[Lower(path)] = Bytes(content.begin(), content.end());
}

std::optional<std::string> FakeWindows::GetFile(const std::string& path) const {
  auto file = files.find(Lower(path));
  if (file == files.end()) return std::nullopt;
  return std::string(file->second.begin(), file->second.end());
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

bool FakeWindows::InjectFailure() {
  const bool fail = failAt && *failAt == fallibleCallCount;
  ++fallibleCallCount;
  return fail;
}

void FakeWindows::Record(CallKind kind, std::string description, bool failed) {
  calls.push_back(Call{kind, std::move(description), failed});
}

std::string FakeWindows::KeyName(KeyHandle key) const {
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return "<closed key>";
  return std::string(HiveName(open->second.hive)) + "\\" + open->second.shownPath;
}

void FakeWindows::InitCommonControls() {
  Record(CallKind::InitCommonControls, "InitCommonControls");
}

ModuleHandle FakeWindows::GetModuleHandle() {
  Record(CallKind::GetModuleHandle, "GetModuleHandle");
  return kModule;
}

VersionInfo FakeWindows::GetVersion() {
  Record(CallKind::GetVersion, "GetVersion");
  return version;
}

const char* FakeWindows::GetCommandLine() {
  Record(CallKind::GetCommandLine, "GetCommandLine");
  return commandLine.c_str();
}

void FakeWindows::ShowPage(ModuleHandle module, const char* templateName, DialogHandler& handler) {
  Record(CallKind::ShowPage, std::string("ShowPage ") + templateName);
  if (module != kModule) return;
  const DialogWindow window = nextHandle_++;
  openPages_.push_back(OpenPage{window, false, {}, {}});
  maxPageDepth_ = std::max(maxPageDepth_, static_cast<int>(openPages_.size()));
  pages.push_back(PageVisit{templateName, {}, {}, false});
  const std::size_t visit = pages.size() - 1;

  pages[visit].initHandled = handler.OnMessage(window, DialogMessage::Init, 0, 0);
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
  handler.OnMessage(window, DialogMessage::Destroy, 0, 0);
  pages[visit].texts = openPages_.back().texts;
  openPages_.pop_back();
}

void FakeWindows::EndDialog(DialogWindow page, int result) {
  Record(CallKind::EndDialog, "EndDialog " + std::to_string(result));
  for (OpenPage& open : openPages_) {
    if (open.window == page) open.ended = true;
  }
}

void FakeWindows::SetCheck(DialogWindow page, int controlId, bool checked) {
  Record(CallKind::SetCheck, "SetCheck " + std::to_string(controlId) + (checked ? " on" : " off"));
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
  Record(CallKind::SetControlText, "SetControlText " + std::to_string(controlId) + " " + text);
  for (OpenPage& open : openPages_) {
    if (open.window == page) open.texts[controlId] = text;
  }
}

void FakeWindows::PostQuitMessage(int exitCode) {
  Record(CallKind::PostQuitMessage, "PostQuitMessage " + std::to_string(exitCode));
  quitPosted = true;
  quitCode = exitCode;
}

RegResult FakeWindows::OpenKey(Hive hive, const char* path, KeyHandle& key) {
  std::string description = std::string("OpenKey ") + HiveName(hive) + "\\" + path;
  key = 0;
  RegResult result = kRegSuccess;
  auto found = registry.keys.find({hive, Lower(path)});
  if (InjectFailure()) {
    result = kErrorGenFailure;
  } else if (found == registry.keys.end()) {
    result = kErrorFileNotFound;
  } else if (found->second.readOnly) {
    result = kErrorAccessDenied;
  } else {
    key = nextHandle_++;
    openKeys_[key] = OpenKeyState{hive, Lower(path), path};
    maxOpenKeys_ = std::max(maxOpenKeys_, OpenKeyCount());
  }
  Record(CallKind::OpenKey, description, result != kRegSuccess);
  return result;
}

RegResult FakeWindows::CreateKey(Hive hive, const char* path, KeyHandle& key) {
  std::string description = std::string("CreateKey ") + HiveName(hive) + "\\" + path;
  key = 0;
  RegResult result = kRegSuccess;
  auto found = registry.keys.find({hive, Lower(path)});
  if (InjectFailure()) {
    result = kErrorGenFailure;
  } else if (found != registry.keys.end() && found->second.readOnly) {
    result = kErrorAccessDenied;
  } else {
    registry.CreateKey(hive, path);
    key = nextHandle_++;
    openKeys_[key] = OpenKeyState{hive, Lower(path), path};
    maxOpenKeys_ = std::max(maxOpenKeys_, OpenKeyCount());
  }
  Record(CallKind::CreateKey, description, result != kRegSuccess);
  return result;
}

RegResult FakeWindows::QueryValue(KeyHandle key, const char* name, ValueType& type, void* data,
                                  std::uint32_t& size) {
  std::string description = "QueryValue " + KeyName(key) + " " + name + " " + std::to_string(size);
  RegResult result = kRegSuccess;
  auto open = openKeys_.find(key);
  if (InjectFailure()) {
    result = kErrorGenFailure;
  } else if (open == openKeys_.end()) {
    result = kErrorInvalidHandle;
  } else {
    auto value = registry.Get(open->second.hive, open->second.path, name);
    if (!value) {
      result = kErrorFileNotFound;
    } else if (value->data.size() > size) {
      // Windows tells the size needed and leaves the buffer alone.
      type = value->type;
      size = static_cast<std::uint32_t>(value->data.size());
      result = kErrorMoreData;
    } else {
      type = value->type;
      size = static_cast<std::uint32_t>(value->data.size());
      if (size) std::memcpy(data, value->data.data(), size);
    }
  }
  Record(CallKind::QueryValue, description, result != kRegSuccess);
  return result;
}

RegResult FakeWindows::SetValue(KeyHandle key, const char* name, ValueType type, const void* data,
                                std::uint32_t size) {
  std::string description =
      "SetValue " + KeyName(key) + " " + name + " " + TypeName(type) + " " + Hex(data, size);
  RegResult result = kRegSuccess;
  auto open = openKeys_.find(key);
  if (InjectFailure()) {
    result = kErrorGenFailure;
  } else if (open == openKeys_.end()) {
    result = kErrorInvalidHandle;
  } else {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    registry.Set(open->second.hive, open->second.path, name, type, Bytes(bytes, bytes + size));
  }
  Record(CallKind::SetValue, description, result != kRegSuccess);
  return result;
}

RegResult FakeWindows::DeleteValue(KeyHandle key, const char* name) {
  std::string description = "DeleteValue " + KeyName(key) + " " + name;
  RegResult result = kRegSuccess;
  auto open = openKeys_.find(key);
  if (InjectFailure()) {
    result = kErrorGenFailure;
  } else if (open == openKeys_.end()) {
    result = kErrorInvalidHandle;
  } else {
    auto& values = registry.keys[{open->second.hive, open->second.path}].values;
    if (values.erase(Lower(name)) == 0) result = kErrorFileNotFound;
  }
  Record(CallKind::DeleteValue, description, result != kRegSuccess);
  return result;
}

RegResult FakeWindows::CloseKey(KeyHandle key) {
  std::string description = "CloseKey " + KeyName(key);
  RegResult result = kRegSuccess;
  // A close that reports failure still lets the handle go, as RegCloseKey does.
  if (InjectFailure()) result = kErrorGenFailure;
  if (openKeys_.erase(key) == 0) result = kErrorInvalidHandle;
  Record(CallKind::CloseKey, description, result != kRegSuccess);
  return result;
}

FileHandle FakeWindows::OpenFileForReading(const char* path) {
  std::string description = std::string("OpenFileForReading ") + path;
  const std::string name = Lower(path);
  bool busy = false;
  for (const auto& [handle, open] : openFiles_) busy = busy || open.path == name;
  FileHandle handle = 0;
  if (!InjectFailure() && !busy && files.count(name)) {
    handle = nextHandle_++;
    openFiles_[handle] = OpenFileState{name, false, 0};
  }
  Record(CallKind::OpenFileForReading, description, handle == 0);
  return handle;
}

FileHandle FakeWindows::CreateFileForWriting(const char* path) {
  std::string description = std::string("CreateFileForWriting ") + path;
  const std::string name = Lower(path);
  bool busy = false;
  for (const auto& [handle, open] : openFiles_) busy = busy || open.path == name;
  FileHandle handle = 0;
  if (!InjectFailure() && !busy) {
    files[name].clear();
    handle = nextHandle_++;
    openFiles_[handle] = OpenFileState{name, true, 0};
  }
  Record(CallKind::CreateFileForWriting, description, handle == 0);
  return handle;
}

bool FakeWindows::ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t& read) {
  read = 0;
  bool ok = false;
  auto open = openFiles_.find(file);
  if (!InjectFailure() && open != openFiles_.end() && !open->second.writing) {
    const Bytes& content = files[open->second.path];
    const std::size_t left = content.size() - std::min(content.size(), open->second.readPosition);
    read = static_cast<std::uint32_t>(std::min<std::size_t>(left, size));
    if (read) std::memcpy(data, content.data() + open->second.readPosition, read);
    open->second.readPosition += read;
    ok = true;
  }
  Record(CallKind::ReadFile, "ReadFile " + std::to_string(size) + " -> " + std::to_string(read),
         !ok);
  return ok;
}

bool FakeWindows::WriteFile(FileHandle file, const void* data, std::uint32_t size,
                            std::uint32_t& written) {
  written = 0;
  auto open = openFiles_.find(file);
  const bool injected = InjectFailure();
  bool ok = open != openFiles_.end() && open->second.writing;
  const bool failing =
      injected || (ok && failWritesTo && Lower(*failWritesTo) == open->second.path);
  if (ok) {
    std::uint32_t count = size;
    if (failing) count = failureMode == FailureMode::Error ? 0 : size / 2;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    Bytes& content = files[open->second.path];
    content.insert(content.end(), bytes, bytes + count);
    written = count;
    ok = !failing || failureMode == FailureMode::ShortWrite;
  }
  Record(CallKind::WriteFile, "WriteFile " + Hex(data, size), !ok);
  return ok;
}

bool FakeWindows::CloseFile(FileHandle file) {
  const bool injected = InjectFailure();
  const bool known = openFiles_.erase(file) != 0;
  Record(CallKind::CloseFile, "CloseFile", injected || !known);
  return known && !injected;
}

bool FakeWindows::DeleteFile(const char* path) {
  const std::string name = Lower(path);
  bool busy = false;
  for (const auto& [handle, open] : openFiles_) busy = busy || open.path == name;
  const bool ok = !InjectFailure() && !busy && files.erase(name) != 0;
  Record(CallKind::DeleteFile, std::string("DeleteFile ") + path, !ok);
  return ok;
}

bool FakeWindows::MoveFile(const char* from, const char* to) {
  const std::string source = Lower(from);
  const std::string target = Lower(to);
  bool busy = false;
  for (const auto& [handle, open] : openFiles_) busy = busy || open.path == source;
  bool ok = !InjectFailure() && !busy && files.count(source) && !files.count(target);
  if (ok) {
    files[target] = std::move(files[source]);
    files.erase(source);
  }
  Record(CallKind::MoveFile, std::string("MoveFile ") + from + " " + to, !ok);
  return ok;
}

void FakeWindows::FlushProfileCache(const char* path) {
  const bool failed = InjectFailure();
  Record(CallKind::FlushProfileCache, std::string("FlushProfileCache ") + path, failed);
}

bool FakeWindows::SetSystemParameter(SystemSetting setting, std::uint32_t value) {
  const bool ok = !InjectFailure();
  Record(CallKind::SetSystemParameter,
         std::string("SetSystemParameter ") + SettingName(setting) + " " + std::to_string(value),
         !ok);
  return ok;
}

std::uint32_t FakeWindows::GetSystemDirectory(char* buffer, std::uint32_t capacity) {
  std::uint32_t length = 0;
  if (!InjectFailure() && !systemDirectoryFails && systemDirectory.size() < capacity) {
    std::memcpy(buffer, systemDirectory.c_str(), systemDirectory.size() + 1);
    length = static_cast<std::uint32_t>(systemDirectory.size());
  }
  Record(CallKind::GetSystemDirectory, "GetSystemDirectory", length == 0);
  return length;
}

bool FakeWindows::StartProcess(char* line) {
  const bool ok = !InjectFailure();
  if (ok) startedProcesses.emplace_back(line);
  Record(CallKind::StartProcess, std::string("StartProcess ") + line, !ok);
  return ok;
}

bool FakeWindows::EqualIgnoringCase(const char* a, const char* b, std::uint32_t count) {
  bool equal = true;
  for (std::uint32_t i = 0; i < count && equal; ++i) {
    equal = std::tolower(static_cast<unsigned char>(a[i])) ==
            std::tolower(static_cast<unsigned char>(b[i]));
  }
  // Comparisons are many and never fail; they are not recorded.
  return equal;
}

}  // namespace lull::testing
