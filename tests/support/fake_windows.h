// An in-memory Windows for the native tests: a registry with typed values and
// read-only keys, a file system of named byte strings, a scripted user who clicks
// control ids, lullcmd's console (its output, a log file other PCs may hold, names and
// the time), a record of every call made, failure injection, and a program stopped
// after its k-th change as a crash or a power cut stops it. It follows the registry rules of
// the family of the Windows version it plays: 95/98/Me or NT.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/dialogs.h"
#include "platform/os_class.h"
#include "platform/platform.h"

namespace lull::testing {

// Windows' result codes that the program never tells apart, for the values the stand-in
// returns; the ones it does (not found, access denied, more data) are the seam's kReg*.
inline constexpr RegResult kErrorInvalidHandle = 6;
inline constexpr RegResult kErrorGenFailure = 31;

using Bytes = std::vector<std::uint8_t>;

Bytes TextBytes(const std::string& text, bool withTerminator = true);

// Bytes as the call records show them: "31 00".
std::string Hex(const void* data, std::size_t size);
inline std::string Hex(const Bytes& bytes) { return Hex(bytes.data(), bytes.size()); }

struct RegistryValue {
  ValueType type = ValueType::Text;
  Bytes data;
};

// What GetVersionExA reports on a typical system of each version.
VersionInfo VersionOf(OsClass os);

class FakeRegistry {
 public:
  // Orders names and paths as the registry tells them apart, ignoring the case of ASCII
  // letters, and shorter ones first: those in use differ in length more often than in their
  // first letters, and the order need only be a quick one. A name may be looked up in any
  // case, as a string_view; those stored are lower case.
  struct NameOrder {
    using is_transparent = void;
    static bool Less(std::string_view a, std::string_view b);
    static bool Same(std::string_view a, std::string_view b);
    bool operator()(std::string_view a, std::string_view b) const { return Less(a, b); }
  };
  struct Key {
    std::map<std::string, RegistryValue, NameOrder> values;  // by lower-case name
    bool readOnly = false;  // for a limited user on NT; Windows 95/98/Me have no such keys
  };
  // By hive, then lower-case path.
  struct KeyOrder {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      return a.first != b.first ? a.first < b.first : NameOrder::Less(a.second, b.second);
    }
  };
  using Keys = std::map<std::pair<Hive, std::string>, Key, KeyOrder>;

  void CreateKey(Hive hive, const std::string& path);
  bool HasKey(Hive hive, const std::string& path) const;
  void DeleteKey(Hive hive, const std::string& path);
  // A key the user may read but not write: on NT, opening it with full access fails.
  void SetReadOnly(Hive hive, const std::string& path, bool readOnly = true);

  // Each Set creates the key when needed.
  void Set(Hive hive, std::string_view path, std::string_view name, ValueType type,
           const Bytes& data);
  void SetText(Hive hive, const std::string& path, const std::string& name,
               const std::string& text);
  void SetBinary(Hive hive, const std::string& path, const std::string& name, const Bytes& data);

  std::optional<RegistryValue> Get(Hive hive, const std::string& path,
                                   const std::string& name) const;
  // The text up to its first zero byte; nullopt when the value is missing.
  std::optional<std::string> GetText(Hive hive, const std::string& path,
                                     const std::string& name) const;
  // The names of a key's values, lower case, sorted.
  std::vector<std::string> ValueNames(Hive hive, const std::string& path) const;

  // The key or value itself, without a copy; null when there is none.
  Key* Find(Hive hive, std::string_view path);
  const Key* Find(Hive hive, std::string_view path) const;
  const RegistryValue* FindValue(Hive hive, std::string_view path, std::string_view name) const;

  // Every key, by hive and lower-case path; comparable as a whole.
  Keys keys;

  friend bool operator==(const Key& a, const Key& b) {
    return a.values == b.values && a.readOnly == b.readOnly;
  }
};

inline bool operator==(const RegistryValue& a, const RegistryValue& b) {
  return a.type == b.type && a.data == b.data;
}

// What the user does on the open page. Escape and the close box both arrive as IDCANCEL.
struct UserAction {
  enum class Kind { Click, Escape, CloseBox } kind = Kind::Click;
  int controlId = 0;
};

inline UserAction Click(int controlId) { return {UserAction::Kind::Click, controlId}; }
inline UserAction PressEscape() { return {UserAction::Kind::Escape, 0}; }
inline UserAction CloseBox() { return {UserAction::Kind::CloseBox, 0}; }

// One page as it was shown: the check marks after it opened and when it closed, and its
// texts.
struct PageVisit {
  std::string name;
  std::set<int> checkedOnOpen;
  std::set<int> checkedOnClose;
  std::map<int, std::string> texts;
};

// clang-format off
#define LULL_CALL_KINDS(X)                                                                     \
  X(InitCommonControls) X(GetModuleHandle) X(GetVersion) X(GetCommandLine) X(ShowPage)          \
  X(EndDialog) X(SetCheck) X(SetControlText) X(PostQuitMessage) X(OpenKey) X(CreateKey)         \
  X(QueryValue) X(SetValue) X(DeleteValue) X(CloseKey) X(FlushKey) X(OpenFileForReading)        \
  X(CreateFileForWriting) X(ReadFile) X(WriteFile) X(FlushFile) X(CloseFile) X(DeleteFile)      \
  X(MoveFile) X(SetSystemParameter) X(GetSystemDirectory) X(StartProcess) X(EqualIgnoringCase)  \
  X(FlushProfileCache) X(OpenFileForAppending) X(ReadFileAt) X(Sleep) X(FailCriticalErrorsQuietly) \
  X(GetComputerName)
#define LULL_CALL_KIND(kind) kind,
enum class CallKind { LULL_CALL_KINDS(LULL_CALL_KIND) };
#undef LULL_CALL_KIND
#define LULL_CALL_KIND(kind) #kind,
inline constexpr const char* kCallKindNames[] = {LULL_CALL_KINDS(LULL_CALL_KIND)};
#undef LULL_CALL_KIND
// clang-format on
inline constexpr std::size_t kCallKindCount = std::size(kCallKindNames);

// A recorded call, with its arguments written out ("SetValue HKCU\Control Panel\Desktop
// ScreenSaveActive text 31 00").
struct Call {
  CallKind kind;
  std::string description;
  bool failed = false;
  bool change = false;  // a change, as the crash model counts them
};

// How an injected failure behaves.
enum class FailureMode {
  Error,         // the call fails and changes nothing
  PartialWrite,  // a file write stores half its bytes, then fails
  ShortWrite,    // a file write stores half its bytes and reports success, as on a full disk
};

class FakeWindows final : public Platform, public Pages, public Console {
 public:
  using Files = std::map<std::string, Bytes, FakeRegistry::NameOrder>;

  FakeWindows();

  // --- what the test sets up ---
  FakeRegistry registry;
  Files files;                   // by lower-case path
  VersionInfo version{5, 1, 2};  // Windows XP; any platform id but NT's plays Windows 95/98/Me
  std::string commandLine = "\"C:\\Program Files\\Lull\\lull.exe\"";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  bool systemDirectoryFails = false;
  std::deque<UserAction> user;
  // Off, neither the calls, nor the check marks and texts of the pages, nor the processes
  // started are recorded: for runs that read none, since recording a call costs more than
  // making it.
  bool recordCalls = true;

  // lullcmd's console. An open for appending also fails as an injected failure would, and
  // counts as a change like a file's creation.
  std::string output;  // what went to standard output
  // The computer's name; a second computer that shares the user's hive, as a roaming
  // profile does, is another FakeWindows with another name.
  std::optional<std::string> computerName = "PC042";
  std::optional<std::string> userName = "Jo Smith";
  LocalTime localTime{2003, 4, 5, 6, 7, 8};
  // The first that many opens for appending find the file held by another PC.
  int appendBusyFor = 0;
  // Every open for appending fails so (NotFound: a folder that is not there).
  FileError appendRefused = FileError::None;
  std::vector<std::uint32_t> sleeps;  // each Sleep's milliseconds; none really sleeps
  // The clock: a Sleep moves it on, and so does each open for appending, by openTakes.
  std::uint32_t ticks = 0xFFFFF000;  // near its wrap
  std::uint32_t openTakes = 0;

  // Fails the fallible call with this number (counting from 0 in the order made):
  // registry, file, system-parameter, system-directory and process calls.
  std::optional<int> failAt;
  // Or fails the fallible call of this kind with this number (from 0, of that kind only).
  struct FailingCall {
    CallKind kind;
    int number;
  };
  std::optional<FailingCall> failCall;
  FailureMode failureMode = FailureMode::Error;

  // The crash model. Changes are registry creates, sets and deletes, file creates, writes,
  // moves and deletes, announcements and process starts, each counted whether it worked or
  // not. With cutAfter set, the computer right after that many changes is kept: as a killed
  // process leaves it (every change so far), and as a power cut leaves it (of the user's
  // hive and of each file's data only what was flushed; the machine's hive, whose lazy
  // writer came first, as it is). Every change after the cut never happens there.
  struct Disk {
    FakeRegistry registry;
    Files files;
  };
  std::optional<int> cutAfter;
  int changeCount = 0;
  std::optional<Disk> stopped;
  std::optional<Disk> powerCut;

  void SetFile(const std::string& path, const std::string& content);
  std::optional<std::string> GetFile(const std::string& path) const;
  // The file's bytes without a copy; null when there is no such file.
  const Bytes* FindFile(std::string_view path) const;

  // --- what the test reads afterwards ---
  std::vector<Call> calls;
  std::vector<PageVisit> pages;
  int fallibleCallCount = 0;
  int CallCount(CallKind kind) const { return callCounts_[static_cast<std::size_t>(kind)]; }
  bool quitPosted = false;
  int quitCode = -1;
  bool userRanOut = false;
  std::vector<std::string> startedProcesses;
  // Calls that would be faults on the real machine but that the stand-in survives: on
  // Windows 95/98/Me, a text written without a terminator within the size given, which
  // the registry reads on past, into whatever follows it in the program's memory.
  std::vector<std::string> violations;
  // Told of each violation as it happens, unless reportViolations is off: the unit tests
  // fail the running test, the fuzz targets stop the run.
  static inline void (*onViolation)(const std::string& what) = nullptr;
  bool reportViolations = true;

  // Descriptions of the calls of the given kinds, in order.
  std::vector<std::string> CallsOf(std::initializer_list<CallKind> kinds) const;
  std::vector<std::string> PageNames() const;
  int OpenKeyCount() const { return openKeyCount_; }
  int OpenFileCount() const { return static_cast<int>(openFiles_.size()); }
  int MaxOpenKeys() const { return maxOpenKeys_; }
  // The most pages ever open at once: 1 when every page ends before the next opens.
  int MaxPageDepth() const { return maxPageDepth_; }
  // Windows 95, 98 and Me: the registry ignores access rights and a text's given size.
  bool Win9xFamily() const { return version.platformId != kNtPlatformId; }

  // --- Pages ---
  void InitCommonControls() override;
  ModuleHandle GetModuleHandle() override;
  void ShowPage(ModuleHandle module, const char* templateName, DialogHandler& handler) override;
  void EndDialog(DialogWindow page, int result) override;
  void SetCheck(DialogWindow page, int controlId, bool checked) override;
  void SetControlText(DialogWindow page, int controlId, const char* text) override;
  void PostQuitMessage(int exitCode) override;

  // --- Platform ---
  VersionInfo GetVersion() override;
  const char* GetCommandLine() override;
  RegResult OpenKey(Hive hive, const char* path, KeyHandle& key) override;
  RegResult CreateKey(Hive hive, const char* path, KeyHandle& key) override;
  RegResult QueryValue(KeyHandle key, const char* name, ValueType& type, void* data,
                       std::uint32_t& size) override;
  RegResult SetValue(KeyHandle key, const char* name, ValueType type, const void* data,
                     std::uint32_t size) override;
  RegResult DeleteValue(KeyHandle key, const char* name) override;
  RegResult CloseKey(KeyHandle key) override;
  RegResult FlushKey(KeyHandle key) override;
  FileHandle OpenFileForReading(const char* path) override;
  FileHandle CreateFileForWriting(const char* path) override;
  bool ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t& read) override;
  bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                 std::uint32_t& written) override;
  bool FlushFile(FileHandle file) override;
  bool CloseFile(FileHandle file) override;
  bool DeleteFile(const char* path) override;
  bool MoveFile(const char* from, const char* to) override;
  void FlushProfileCache(const char* path) override;
  bool SetSystemParameter(SystemSetting setting, std::uint32_t value) override;
  std::uint32_t GetSystemDirectory(char* buffer, std::uint32_t capacity) override;
  bool StartProcess(char* commandLine) override;
  bool EqualIgnoringCase(const char* a, const char* b, std::uint32_t count) override;
  bool GetComputerName(char* buffer, std::uint32_t capacity) override;

  // --- Console ---
  bool WriteOutput(const char* text, std::uint32_t length) override;
  void FailCriticalErrorsQuietly() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t GetTickCount() override { return ticks; }
  bool GetUserName(char* buffer, std::uint32_t capacity) override;
  LocalTime GetLocalTime() override;
  FileHandle OpenFileForAppending(const char* path, FileError& error, std::uint32_t& size) override;
  bool ReadFileAt(FileHandle file, std::uint32_t offset, void* data, std::uint32_t size,
                  std::uint32_t& read) override;

 private:
  static constexpr std::uint32_t kNtPlatformId = 2;

  // A slot of an open key; handle 0 marks a free one, kept for the next open so that its
  // texts keep their storage.
  struct OpenKeyState {
    KeyHandle handle = 0;
    Hive hive = Hive::CurrentUser;
    std::string path;  // as the program gave it
  };
  struct OpenFileState {
    std::string path;  // lower case
    bool writing = false;
    std::size_t readPosition = 0;
  };
  struct OpenPage {
    DialogWindow window = 0;
    bool ended = false;
    std::set<int> checked;
    std::map<int, std::string> texts;
  };

  // Counts a fallible call and tells whether it is the one to fail.
  bool InjectFailure(CallKind kind);
  // Around every change: what is on the disk before the first one, and the cut after it.
  void BeforeChange();
  void AfterChange();
  // Records a call, describing it only when calls are recorded.
  template <class Describe>
  void Record(CallKind kind, bool failed, const Describe& describe) {
    if (recordCalls) calls.push_back(Call{kind, describe(), failed});
  }
  void Violation(std::string what);
  void NotOpenFile(const char* call, FileHandle file);
  KeyHandle OpenSlot(Hive hive, const char* path);
  const OpenKeyState* FindOpenKey(KeyHandle key) const;
  RegResult StartKeyCall(CallKind kind, KeyHandle key, const OpenKeyState*& open);
  std::string KeyName(KeyHandle key) const;
  bool FileBusy(std::string_view path) const;

  std::vector<OpenKeyState> openKeys_;
  int openKeyCount_ = 0;
  int callCounts_[kCallKindCount] = {};  // fallible calls made, by kind
  std::map<FileHandle, OpenFileState> openFiles_;
  std::uintptr_t nextHandle_ = 0x100;
  int maxOpenKeys_ = 0;
  int maxPageDepth_ = 0;
  std::vector<OpenPage> openPages_;
  // In the crash model: the user's hive as of its last flush, and the data on the disk of
  // each file written since it was last flushed.
  std::optional<FakeRegistry::Keys> userHiveOnDisk_;
  Files unflushedFiles_;
};

}  // namespace lull::testing
