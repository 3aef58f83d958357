// The end-to-end driver: plays a scenario against the real lull.exe under Wine. It sets
// the registry and files first, starts lull.exe, names the page on screen, clicks
// controls by id, reads texts and check marks, presses Escape or the close box, waits
// for the exit code, and checks what the wizard left in the registry and the files. It
// runs lullcmd.exe, which sits beside lull.exe, the same way, and reads its standard
// output through a pipe.
//
// usage: lull_driver LULL.EXE SCENARIO [SCREENSHOT-DIRECTORY]
// A scenario is a text file of commands, one per line ("#" starts a comment):
//   version win98                      Windows version reported to programs started later
//   clean                              removes every setting and file the wizard touches
//   set "HKCU\path" name sz "text"     also: sz-bare "text" (no terminator),
//                                      policies SECONDS, acpolicy SECONDS; the key BACKUP
//                                      stands for the wizard's backup key
//   delete HKCU\path [name]            a value, or the whole key
//   file C:\path "text"                writes a file; \r \n \\ \" escapes in texts
//   start [arguments]                  starts lull.exe
//   page NAME                          waits for that page
//   click ID | escape | close          acts on the open page
//   checked ID... | unchecked ID...    check marks
//   text ID "text"                     a control's text, exactly
//   exit CODE                          waits for lull.exe (or every lullcmd.exe) to end
//   run [arguments]                    starts lullcmd.exe, its standard output a pipe
//   run-copies COUNT [arguments]       starts COUNT copies of it at once
//   hold C:\path [throughout]          keeps a file open without sharing; the next exit
//                                      lets it go once all the copies wait for it (5
//                                      seconds at most), or with throughout, release does
//   release                            lets a file held throughout go
//   output "line"... [...]             what the lullcmd.exe runs wrote, line by line (and
//                                      then anything, after "..."); a named text may take
//                                      several lines, broken at blanks
//   expect-log C:\path COUNT "line" ["first"]
//                                      COUNT lines, each the line and CR LF: # is a digit,
//                                      {computer} and {user} the names Windows gives, {kX}
//                                      the text kX; after the first line given, when it is
//                                      ({computer} in a path is the computer's name too)
//   expect HKCU\path name sz "text"    also: missing, video OFFSET SECONDS, names N...; the
//                                      text {computer} is the name Windows gives
//   expect-file C:\path "text" | expect-file C:\path missing
//   subkey HKCU\path                   the key exists and a non-volatile key can be made under it
//   screenshot NAME                    saves the open page as SCREENSHOT-DIRECTORY\NAME.bmp
//   if win95,win98 COMMAND...          plays the command only for these versions
//   unless win95 COMMAND...            plays it for every other version
// An ID is a control's name in resources/resource_ids.h (IDC_NEXT). A text may be the name
// of a text constant of the wizard or of lullcmd (kWin95Note), which stands for its value.
#include <windows.h>
// winternl.h needs the types of windows.h first.
#include <winternl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command/companion_texts.h"
#include "e2e_names.h"
// windows.h names a cursor IDC_NO; here it is the wizard's No radio.
#undef IDC_NO
#include "resources/resource_ids.h"
// After the ids: the table of times the usage lists names its radios.
#include "command/usage.h"
#include "session/texts.h"
#include "settings/places.h"

namespace {

// The names of the controls and of the product's texts (e2e_names.h lists them).
struct Name {
  const char* name;
  int id;
  const char* text;
};
#define LULL_CONTROL(name) {#name, name, nullptr},
#define LULL_TEXT(name) {#name, 0, lull::name},
const Name kNames[] = {LULL_CONTROL_NAMES(LULL_CONTROL) LULL_TEXT_NAMES(LULL_TEXT)};

const Name* Named(const std::string& word) {
  for (const Name& name : kNames) {
    if (word == name.name) return &name;
  }
  return nullptr;
}

std::string scenarioName;
int lineNumber = 0;
int failures = 0;
PROCESS_INFORMATION lullProcess = {};
std::string lullPath;
std::string screenshotDirectory;
std::string windowsVersion;

void Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char message[2048];
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  std::printf("%s:%d: %s\n", scenarioName.c_str(), lineNumber, message);
  std::fflush(stdout);
  ++failures;
}

// A control by its name; 0, no control, for another word.
int ControlId(const std::string& word) {
  const Name* name = Named(word);
  if (name == nullptr || name->text != nullptr) Fail("no control is named %s", word.c_str());
  return name == nullptr || name->text != nullptr ? 0 : name->id;
}

// The product's text that a word names, or the word itself.
std::string TextOf(const std::string& word) {
  const Name* name = Named(word);
  return name != nullptr && name->text != nullptr ? name->text : word;
}

// --- words of a command line ---

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\' || at + 1 == text.size()) {
      out += text[at];
      continue;
    }
    // Only these are escapes; any other backslash stands for itself, as in key paths.
    const char next = text[at + 1];
    if (next == 'r' || next == 'n' || next == 't' || next == '\\' || next == '"') {
      out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
      ++at;
    } else {
      out += '\\';
    }
  }
  return out;
}

// Splits a line into words; "quoted words" keep their blanks and take escapes.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at == line.size() || line[at] == '#') break;
    if (line[at] == '"') {
      std::string raw;
      for (++at; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) raw += line[at++];
        raw += line[at];
      }
      ++at;
      words.push_back(Unescape(raw));
    } else {
      const std::size_t start = at;
      while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
      words.push_back(line.substr(start, at - start));
    }
  }
  return words;
}

std::string Show(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char piece[8];
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 32 || c > 126) {
      std::snprintf(piece, sizeof piece, "\\x%02x", c);
      out += piece;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// --- the registry ---

bool SplitKey(const std::string& given, HKEY& hive, std::string& path) {
  const std::string full =
      given == "BACKUP" ? std::string("HKCU\\") + lull::kBackupKey.path : given;
  const std::size_t slash = full.find('\\');
  const std::string root = full.substr(0, slash);
  path = slash == std::string::npos ? "" : full.substr(slash + 1);
  if (root == "HKCU") {
    hive = HKEY_CURRENT_USER;
  } else if (root == "HKLM") {
    hive = HKEY_LOCAL_MACHINE;
  } else {
    Fail("unknown hive in %s", full.c_str());
    return false;
  }
  return true;
}

// A power-policy record with a recognisable filling and the video time-out at offset.
std::vector<BYTE> Record(std::size_t size, std::size_t offset, DWORD seconds, BYTE fill) {
  std::vector<BYTE> bytes(size);
  for (std::size_t at = 0; at < size; ++at) bytes[at] = static_cast<BYTE>(fill + at);
  for (int byte = 0; byte < 4; ++byte) bytes[offset + byte] = (seconds >> (8 * byte)) & 0xFF;
  return bytes;
}

// The data a "set" or "expect" command describes, from its type word on.
bool ValueData(const std::vector<std::string>& words, std::size_t at, DWORD& type,
               std::vector<BYTE>& data) {
  if (at + 1 >= words.size()) {
    Fail("a value needs a type and data");
    return false;
  }
  const std::string& kind = words[at];
  const std::string& value = words[at + 1];
  const DWORD seconds = std::strtoul(value.c_str(), nullptr, 10);
  if (kind == "sz" || kind == "sz-bare") {
    type = REG_SZ;
    data.assign(value.begin(), value.end());
    if (kind == "sz") data.push_back(0);
  } else if (kind == "policies") {
    type = REG_BINARY;
    data = Record(lull::kPoliciesSize, lull::kPoliciesVideoTimeoutOffset, seconds, 0x10);
  } else if (kind == "acpolicy") {
    type = REG_BINARY;
    data = Record(lull::kAcPolicySize, lull::kAcPolicyVideoTimeoutOffset, seconds, 0x40);
  } else {
    Fail("unknown value type %s", kind.c_str());
    return false;
  }
  return true;
}

// A REG_SZ value of exactly these characters, no terminator. RegSetValueExA cannot make
// one when Wine plays Windows 95, 98 or Me (it stores a text up to its terminator, as those
// do), so this goes to the registry below that rule; Wine keeps texts as UTF-16.
void SetBareText(HKEY key, const std::string& name, const std::vector<BYTE>& text) {
  using SetValueKey = LONG(WINAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, void*, ULONG);
  const auto setValueKey = reinterpret_cast<SetValueKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
  std::wstring wideName(name.begin(), name.end());
  std::wstring wideText(text.begin(), text.end());
  UNICODE_STRING valueName = {static_cast<USHORT>(wideName.size() * sizeof(wchar_t)),
                              static_cast<USHORT>(wideName.size() * sizeof(wchar_t)),
                              wideName.data()};
  if (setValueKey == nullptr ||
      setValueKey(key, &valueName, 0, REG_SZ, wideText.data(),
                  static_cast<ULONG>(wideText.size() * sizeof(wchar_t))) != 0) {
    Fail("cannot set %s without its terminator", name.c_str());
  }
}

// Makes the key if need be and sets the value; a bare text goes below RegSetValueExA.
void WriteValue(HKEY hive, const std::string& path, const std::string& name, DWORD type,
                const std::vector<BYTE>& data, bool bare) {
  HKEY key;
  if (RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    Fail("cannot create %s", path.c_str());
    return;
  }
  if (bare) {
    SetBareText(key, name, data);
  } else {
    RegSetValueExA(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
  }
  RegCloseKey(key);
}

void SetValue(const std::vector<std::string>& words) {
  HKEY hive;
  std::string path;
  DWORD type;
  std::vector<BYTE> data;
  if (words.size() < 5 || !SplitKey(words[1], hive, path) || !ValueData(words, 3, type, data)) {
    Fail("usage: set KEY NAME TYPE DATA");
    return;
  }
  WriteValue(hive, path, words[2], type, data, words[3] == "sz-bare");
}

void DeleteTree(HKEY hive, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    DeleteTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(hive, path.c_str());
}

void DeleteValue(HKEY hive, const std::string& path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, name);
    RegCloseKey(key);
  }
}

void Delete(const std::vector<std::string>& words) {
  HKEY hive;
  std::string path;
  if (words.size() < 2 || !SplitKey(words[1], hive, path)) return;
  if (words.size() == 2) {
    DeleteTree(hive, path);
  } else {
    DeleteValue(hive, path, words[2].c_str());
  }
}

// The path of a machine-wide place's key, as the program names it.
std::string MachineKeyPath(lull::PlaceKey key) {
  if (key == lull::PlaceKey::CurrentControlSet) return lull::kCurrentControlSetKey.path;
  lull::ControlSetKeyPath path;
  path.SetDigit(key == lull::PlaceKey::ControlSet1 ? '1' : '2');
  return path.text;
}

const char* const kFiles[] = {lull::kSystemIniPath, lull::kSystemIniTempPath,
                              lull::kSystemIniKeptPath};

// Every place the wizard reads or writes goes back to empty.
void Clean() {
  for (const lull::Place& place : lull::kPlaces) {
    if (place.key == lull::PlaceKey::Desktop) {
      DeleteValue(HKEY_CURRENT_USER, lull::kDesktopKey.path, place.name);
    } else if (lull::MachineWide(place)) {
      DeleteValue(HKEY_LOCAL_MACHINE, MachineKeyPath(place.key), place.name);
    }
  }
  DeleteTree(HKEY_CURRENT_USER, lull::kBackupKey.path);
  DeleteTree(HKEY_CURRENT_USER, lull::kPowerCfgKey.path);
  for (const char* file : kFiles) DeleteFileA(file);
}

std::string NameOfThis(BOOL(WINAPI* get)(char*, DWORD*));

void ExpectValue(const std::vector<std::string>& words) {
  HKEY hive;
  std::string path;
  if (words.size() < 4 || !SplitKey(words[1], hive, path)) {
    Fail("usage: expect KEY NAME missing|sz|video|names ...");
    return;
  }
  HKEY key;
  const bool opened = RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (words[2] == "names") {
    // expect KEY names N: the key holds exactly N values.
    // A missing key holds no values.
    DWORD count = 0;
    if (opened)
      RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                       nullptr, nullptr, nullptr);
    if (count != std::strtoul(words[3].c_str(), nullptr, 10)) {
      Fail("%s holds %lu values, expected %s", words[1].c_str(), count, words[3].c_str());
    }
    if (opened) RegCloseKey(key);
    return;
  }
  BYTE data[1024];
  DWORD size = sizeof data, type = 0;
  const bool found = opened && RegQueryValueExA(key, words[2].c_str(), nullptr, &type, data,
                                                &size) == ERROR_SUCCESS;
  if (opened) RegCloseKey(key);
  const std::string& kind = words[3];
  const std::string where = words[1] + " " + words[2];
  if (kind == "missing") {
    if (found) Fail("%s exists, expected it missing", where.c_str());
    return;
  }
  if (!found) {
    Fail("%s is missing", where.c_str());
    return;
  }
  if (kind == "video" && words.size() >= 6) {
    // expect KEY NAME video OFFSET SECONDS: the time-out inside a power-policy record.
    const std::size_t offset = std::strtoul(words[4].c_str(), nullptr, 10);
    const DWORD seconds = std::strtoul(words[5].c_str(), nullptr, 10);
    DWORD actual = 0;
    if (offset + 4 <= size) std::memcpy(&actual, data + offset, 4);
    if (type != REG_BINARY || offset + 4 > size || actual != seconds) {
      Fail("%s holds %lu at offset %zu (size %lu), expected %lu", where.c_str(), actual, offset,
           size, seconds);
    }
    return;
  }
  DWORD expectedType;
  std::vector<BYTE> expected;
  // "{computer}": the name Windows gives this computer, as a backup names it.
  std::vector<std::string> named = words;
  if (named.size() > 4 && named[4] == "{computer}") named[4] = NameOfThis(GetComputerNameA);
  if (!ValueData(named, 3, expectedType, expected)) return;
  if (type != expectedType || size != expected.size() ||
      std::memcmp(data, expected.data(), size) != 0) {
    Fail("%s is \"%s\" (type %lu, %lu bytes), expected \"%s\"", where.c_str(),
         Show(std::string(reinterpret_cast<char*>(data), size)).c_str(), type, size,
         Show(std::string(expected.begin(), expected.end())).c_str());
  }
}

// Windows makes no non-volatile key under a volatile one, so one made under an existing key
// proves that key outlives the session. It is deleted again.
void ExpectNonVolatile(const std::vector<std::string>& words) {
  HKEY hive;
  std::string path;
  HKEY key;
  if (words.size() != 2 || !SplitKey(words[1], hive, path)) {
    Fail("usage: subkey KEY");
    return;
  }
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    Fail("%s is missing", words[1].c_str());
    return;
  }
  RegCloseKey(key);
  const std::string subkey = path + "\\NonVolatile";
  const LONG result = RegCreateKeyExA(hive, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    Fail("cannot make a non-volatile key under %s (error %ld)", words[1].c_str(), result);
    return;
  }
  RegCloseKey(key);
  RegDeleteKeyA(hive, subkey.c_str());
}

// --- files ---

void WriteWholeFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("cannot write %s", path.c_str());
    return;
  }
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[65536];
  DWORD read = 0;
  content.clear();
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read != 0) {
    content.append(buffer, read);
  }
  CloseHandle(file);
  return true;
}

void ExpectFile(const std::vector<std::string>& words) {
  if (words.size() < 3) {
    Fail("usage: expect-file PATH TEXT|missing");
    return;
  }
  std::string content;
  const bool exists = ReadWholeFile(words[1], content);
  if (words[2] == "missing") {
    if (exists) Fail("%s exists, expected it missing", words[1].c_str());
  } else if (!exists) {
    Fail("%s is missing", words[1].c_str());
  } else if (content != words[2]) {
    Fail("%s holds \"%s\", expected \"%s\"", words[1].c_str(), Show(content).c_str(),
         Show(words[2]).c_str());
  }
}

// --- the pages ---

struct PageSignature {
  const char* name;
  const char* text;  // a text only this page shows (a caption for AboutDisplay)
  bool hasPrevious;  // whether it has "<< Previous", for pages that share their texts
};

const PageSignature kPages[] = {
    {"AboutDisplay", "This program provides a mechanism", false},
    {"LicenseDisplay", "LULL WIZARD PROGRAM LICENSE AGREEMENT", false},
    {"ResetActivate", "The Sleepwell settings on your system have previously", false},
    {"ShowCurrent", "Your current Sleepwell settings are:", true},
    {"ActivateYesNo", "To help in this worthwhile effort", false},
    {"ActivateYesNoPrev", "To help in this worthwhile effort", true},
    {"SelectTime", "Please select the number of minutes", true},
    {"SelectCompliant", "Your system already has Sleepwell activated", false},
    {"AdjustScreenSave", "The time that you have elected for Sleepwell", true},
    {"NormalFinish", "Your system's monitor Sleepwell feature has been activated.", false},
    {"NoActivateFinish", "Thank you for your interest in Sleepwell.  We hope", false},
    {"ResetFinish", "Your Sleepwell settings have been reset", false},
    {"NoResetFinish", "You have elected to keep your current settings", false},
    {"NTFinish", "Your computer operating system uses Windows NT", false},
};

struct Search {
  DWORD processId;
  HWND window;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == search->processId && IsWindowVisible(window) &&
      std::strcmp(className, "#32770") == 0) {
    search->window = window;
    return FALSE;
  }
  return TRUE;
}

HWND OpenPage() {
  if (lullProcess.hProcess == nullptr) return nullptr;
  Search search{lullProcess.dwProcessId, nullptr};
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.window;
}

struct TextSearch {
  const char* text;
  bool found;
};

BOOL CALLBACK FindText(HWND control, LPARAM parameter) {
  auto* search = reinterpret_cast<TextSearch*>(parameter);
  char text[1024] = {};
  GetWindowTextA(control, text, sizeof text);
  if (std::strncmp(text, search->text, std::strlen(search->text)) == 0) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

// The template a page on screen was made from, told by its texts and buttons.
std::string NameOf(HWND page) {
  if (page == nullptr) return "(no page)";
  for (const PageSignature& signature : kPages) {
    TextSearch search{signature.text, false};
    EnumChildWindows(page, FindText, reinterpret_cast<LPARAM>(&search));
    const bool hasPrevious = GetDlgItem(page, IDC_PREVIOUS) != nullptr;
    if (search.found && hasPrevious == signature.hasPrevious) return signature.name;
  }
  return "(unknown page)";
}

const DWORD kWaitMilliseconds = 15000;

// Waits until the named page is open and idle.
HWND WaitForPage(const std::string& name) {
  const DWORD start = GetTickCount();
  std::string seen;
  do {
    HWND page = OpenPage();
    seen = NameOf(page);
    if (seen == name) {
      WaitForInputIdle(lullProcess.hProcess, 2000);
      return page;
    }
    if (lullProcess.hProcess && WaitForSingleObject(lullProcess.hProcess, 0) == WAIT_OBJECT_0) {
      seen = "(lull.exe has ended)";
      break;
    }
    Sleep(10);
  } while (GetTickCount() - start < kWaitMilliseconds);
  Fail("expected page %s, found %s", name.c_str(), seen.c_str());
  return nullptr;
}

HWND CurrentPage() {
  HWND page = OpenPage();
  if (page == nullptr) Fail("no page is open");
  return page;
}

// Starts PATH with the words from FIRST on as its arguments, each as written or, with QUOTE,
// in quotes when it is empty or holds blanks. It inherits handles when given a standard output.
bool Launch(const std::string& path, const std::vector<std::string>& words, std::size_t first,
            bool quote, STARTUPINFOA& startup, DWORD flags, PROCESS_INFORMATION& process) {
  std::string commandLine = "\"" + path + "\"";
  for (std::size_t at = first; at < words.size(); ++at) {
    const bool blanks = words[at].empty() || words[at].find_first_of(" \t") != std::string::npos;
    commandLine += quote && blanks ? " \"" + words[at] + "\"" : " " + words[at];
  }
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  startup.cb = sizeof startup;
  if (CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, startup.hStdOutput != nullptr,
                     flags, nullptr, nullptr, &startup, &process)) {
    return true;
  }
  Fail("cannot start %s (error %lu)", path.c_str(), GetLastError());
  return false;
}

void Start(const std::vector<std::string>& words) {
  STARTUPINFOA startup = {};
  Launch(lullPath, words, 1, false, startup, 0, lullProcess);
}

// Waits for a process to end, or ends it when it does not in time, checks its exit code
// and closes its handles. LATE says what was on screen when it did not end.
void ExpectEnd(PROCESS_INFORMATION& process, const char* name, DWORD wait, DWORD expected,
               std::string (*late)()) {
  if (WaitForSingleObject(process.hProcess, wait) != WAIT_OBJECT_0) {
    Fail("%s did not end%s", name, late().c_str());
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (code != expected) Fail("%s ended with code %lu, expected %lu", name, code, expected);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// Clicks the way a user does, and waits until the page has dealt with it.
void ClickControl(HWND page, int id) {
  HWND control = GetDlgItem(page, id);
  if (control == nullptr) {
    Fail("the page has no control %d", id);
    return;
  }
  DWORD_PTR result;
  SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
}

void ExpectChecks(HWND page, const std::vector<std::string>& words, bool checked) {
  for (std::size_t at = 1; at < words.size(); ++at) {
    const int id = ControlId(words[at]);
    const LRESULT state = SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0);
    if ((state == BST_CHECKED) != checked) {
      Fail("control %d is %s, expected %s", id, state == BST_CHECKED ? "checked" : "clear",
           checked ? "checked" : "clear");
    }
  }
}

void ExpectText(HWND page, const std::vector<std::string>& words) {
  if (words.size() < 3) {
    Fail("usage: text ID TEXT");
    return;
  }
  char text[1024] = {};
  GetDlgItemTextA(page, ControlId(words[1]), text, sizeof text);
  const std::string expected = TextOf(words[2]);
  if (expected != text) {
    Fail("control %s reads \"%s\", expected \"%s\"", words[1].c_str(), Show(text).c_str(),
         Show(expected).c_str());
  }
}

// --- lullcmd.exe ---

// A started lullcmd.exe, and the read end of the pipe that is its standard output.
struct Companion {
  PROCESS_INFORMATION process;
  HANDLE output;
};
std::vector<Companion> companions;
// What the companions of the latest run wrote, one after the other in the order started.
std::string companionOutput;
// Eight emulated copies at once on a busy machine take longer than one page does.
const DWORD kCompanionWaitMilliseconds = 60000;

std::string CompanionPath() {
  const std::size_t slash = lullPath.find_last_of("\\/");
  return (slash == std::string::npos ? "" : lullPath.substr(0, slash + 1)) + "lullcmd.exe";
}

// Starts every copy suspended and lets them all go together once the last is made, so
// that they run at the same time.
void RunCompanions(const std::vector<std::string>& words, std::size_t first, long copies) {
  const std::string path = CompanionPath();
  companionOutput.clear();
  for (long copy = 0; copy < copies; ++copy) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    // Big enough for all the program writes: it never waits for the driver to read.
    if (!CreatePipe(&read, &write, &inherited, 65536)) {
      Fail("cannot make a pipe (error %lu)", GetLastError());
      return;
    }
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    Companion companion = {{}, read};
    if (Launch(path, words, first, true, startup, CREATE_SUSPENDED, companion.process)) {
      companions.push_back(companion);
    } else {
      CloseHandle(read);
    }
    CloseHandle(write);
  }
  for (Companion& companion : companions) ResumeThread(companion.process.hThread);
}

bool Available(HANDLE pipe) {
  DWORD available = 0;
  return PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available != 0;
}

// What is in the pipe once its writer has ended. Reading up to the end of the pipe would
// wait for every process that inherited its write end, the reload a run starts included.
std::string Drain(HANDLE pipe) {
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (Available(pipe) && ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read != 0) {
    content.append(buffer, read);
  }
  return content;
}

void ExpectCompanionsExit(DWORD expected) {
  for (Companion& companion : companions) {
    ExpectEnd(companion.process, "lullcmd.exe", kCompanionWaitMilliseconds, expected,
              [] { return std::string(); });
    companionOutput += Drain(companion.output);
    CloseHandle(companion.output);
  }
  companions.clear();
}

// A file the driver keeps open without sharing, as another PC holding the log would; held
// throughout, past the next exit, as a spreadsheet open over lunch would.
HANDLE heldFile = INVALID_HANDLE_VALUE;
bool heldThroughout = false;

void Hold(const std::vector<std::string>& words) {
  heldFile = CreateFileA(words[1].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (heldFile == INVALID_HANDLE_VALUE) Fail("cannot hold %s", words[1].c_str());
  heldThroughout = words.size() == 3 && words[2] == "throughout";
}

// Lets the held file go once every companion has written its output, and so waits for the
// file, or 5 seconds after the first one has: well within the 10 seconds each one waits.
void Release() {
  const DWORD start = GetTickCount();
  DWORD firstWaiting = 0;
  for (bool anyWaiting = false; GetTickCount() - start < kCompanionWaitMilliseconds; Sleep(10)) {
    std::size_t waiting = 0;
    for (const Companion& companion : companions) waiting += Available(companion.output);
    if (waiting != 0 && !anyWaiting) firstWaiting = GetTickCount();
    anyWaiting = anyWaiting || waiting != 0;
    if (waiting == companions.size() || (anyWaiting && GetTickCount() - firstWaiting >= 5000)) {
      break;
    }
  }
  CloseHandle(heldFile);
  heldFile = INVALID_HANDLE_VALUE;
}

// A line is the word and CR LF; a named text is its value, on as many lines as it takes
// when broken at blanks, or, holding CR LF itself, as written.
bool Matches(const std::string& output, std::size_t& at, const std::string& word) {
  const std::string text = TextOf(word);
  if (text != word && text.find("\r\n") != std::string::npos) {
    const bool same = output.compare(at, text.size(), text) == 0;
    at += text.size();
    return same;
  }
  std::string joined;
  do {
    const std::size_t end = output.find("\r\n", at);
    if (end == std::string::npos) return false;
    joined += (joined.empty() ? "" : " ") + output.substr(at, end - at);
    at = end + 2;
  } while (text != word && joined.size() < text.size());
  return joined == text;
}

void ExpectOutput(const std::vector<std::string>& words) {
  // A last word "..." stands for any lines after the ones given.
  const bool more = words.size() > 1 && words.back() == "...";
  std::size_t at = 0;
  bool matches = true;
  for (std::size_t word = 1; matches && word < words.size() - (more ? 1 : 0); ++word) {
    matches = Matches(companionOutput, at, words[word]);
  }
  if (!matches || (!more && at != companionOutput.size())) {
    std::string expected;
    for (std::size_t word = 1; word < words.size(); ++word) expected += TextOf(words[word]) + "|";
    Fail("lullcmd.exe wrote \"%s\", expected the lines \"%s\"", Show(companionOutput).c_str(),
         Show(expected).c_str());
  }
}

std::string NameOfThis(BOOL(WINAPI* get)(char*, DWORD*)) {
  char name[512] = {};
  DWORD size = sizeof name;
  return get(name, &size) ? name : "(unknown)";
}

// A path with {computer} for the computer's name, as a log folder's file is named.
std::string Expanded(std::string path) {
  const std::size_t at = path.find("{computer}");
  return at == std::string::npos ? path : path.replace(at, 10, NameOfThis(GetComputerNameA));
}

// The log's lines as the pattern describes each: a digit for each #, the computer's and
// the user's names for {computer} and {user}, every other character itself; then CR LF.
void ExpectLog(const std::vector<std::string>& words) {
  if (words.size() != 4 && words.size() != 5) {
    Fail("usage: expect-log PATH COUNT LINE [FIRST]");
    return;
  }
  std::string pattern = words[3];
  std::vector<std::pair<std::string, std::string>> names = {
      {"{computer}", NameOfThis(GetComputerNameA)}, {"{user}", NameOfThis(GetUserNameA)}};
  for (const Name& name : kNames) {
    if (name.text != nullptr) names.push_back({std::string("{") + name.name + "}", name.text});
  }
  for (const auto& [name, value] : names) {
    for (std::size_t at; (at = pattern.find(name)) != std::string::npos;) {
      pattern.replace(at, name.size(), value);
    }
  }
  std::string content;
  if (!ReadWholeFile(Expanded(words[1]), content)) {
    Fail("%s is missing", words[1].c_str());
    return;
  }
  if (words.size() == 5) {
    const std::string first = TextOf(words[4]) + "\r\n";
    if (content.compare(0, first.size(), first) != 0) {
      Fail("%s does not start with \"%s\"", words[1].c_str(), Show(first).c_str());
      return;
    }
    content.erase(0, first.size());
  }
  std::size_t count = 0;
  for (std::size_t at = 0; at < content.size(); ++count) {
    const std::size_t end = content.find("\r\n", at);
    const std::string line = content.substr(at, end == std::string::npos ? end : end - at);
    bool matches = end != std::string::npos && line.size() == pattern.size();
    for (std::size_t i = 0; matches && i < line.size(); ++i) {
      matches = pattern[i] == '#' ? line[i] >= '0' && line[i] <= '9' : line[i] == pattern[i];
    }
    if (!matches) {
      Fail("%s: line %zu is \"%s\"%s, expected \"%s\"", words[1].c_str(), count + 1,
           Show(line).c_str(), end == std::string::npos ? " without CR LF" : "",
           Show(pattern).c_str());
      return;
    }
    at = end + 2;
  }
  if (count != std::strtoul(words[2].c_str(), nullptr, 10)) {
    Fail("%s holds %zu lines, expected %s", words[1].c_str(), count, words[2].c_str());
  }
}

void ExpectExit(const std::vector<std::string>& words) {
  const DWORD expected = words.size() > 1 ? std::strtoul(words[1].c_str(), nullptr, 10) : 0;
  if (heldFile != INVALID_HANDLE_VALUE && !heldThroughout) Release();
  if (!companions.empty()) {
    ExpectCompanionsExit(expected);
  } else if (lullProcess.hProcess == nullptr) {
    Fail("lull.exe was not started");
  } else {
    ExpectEnd(lullProcess, "lull.exe", kWaitMilliseconds, expected,
              [] { return " (page " + NameOf(OpenPage()) + " is open)"; });
    lullProcess = PROCESS_INFORMATION{};
  }
}

// Saves the page as the screen shows it, caption and frame included, as a BMP file.
void Screenshot(HWND page, const std::string& name) {
  if (screenshotDirectory.empty()) return;
  // A user sees the page active, with its caption in the active colour.
  SetForegroundWindow(page);
  // Wine leaves the caption of a page that another process opened drawn inactive.
  SendMessageA(page, WM_NCACTIVATE, TRUE, 0);
  // Only what is still to be painted: repainting the whole page paints the first text of
  // SelectTime, which reaches over its radio buttons, after the first of them, hiding it.
  RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);
  RECT rect;
  GetWindowRect(page, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD stride = ((width * 3 + 3) & ~3);
  std::vector<BYTE> pixels(stride * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
  BITMAPFILEHEADER header = {0x4D42, offset + static_cast<DWORD>(pixels.size()), 0, 0, offset};
  std::string content(reinterpret_cast<char*>(&header), sizeof header);
  content.append(reinterpret_cast<char*>(&info), sizeof info);
  content.append(reinterpret_cast<char*>(pixels.data()), pixels.size());
  WriteWholeFile(screenshotDirectory + "\\" + name + ".bmp", content);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

bool NamesThisVersion(const std::string& list) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    if (list.compare(start, end - start, windowsVersion) == 0) return true;
    start = end + 1;
  }
  return false;
}

void Run(const std::vector<std::string>& words) {
  const std::string& command = words[0];
  if ((command == "if" || command == "unless") && words.size() > 2) {
    // if win95,win98 COMMAND...: the command is played only for (or all but) those versions.
    if (NamesThisVersion(words[1]) == (command == "if")) {
      Run(std::vector<std::string>(words.begin() + 2, words.end()));
    }
    return;
  }
  if (command == "version" && words.size() == 2) {
    windowsVersion = words[1];
    std::vector<BYTE> text(words[1].begin(), words[1].end());
    text.push_back(0);
    WriteValue(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, text, false);
  } else if (command == "clean") {
    Clean();
  } else if (command == "set") {
    SetValue(words);
  } else if (command == "delete") {
    Delete(words);
  } else if (command == "file" && words.size() == 3) {
    WriteWholeFile(Expanded(words[1]), words[2]);
  } else if (command == "start") {
    Start(words);
  } else if (command == "page" && words.size() == 2) {
    WaitForPage(words[1]);
  } else if (command == "click" && words.size() == 2) {
    if (HWND page = CurrentPage()) ClickControl(page, ControlId(words[1]));
  } else if (command == "escape") {
    if (HWND page = CurrentPage()) PostMessageA(page, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  } else if (command == "close") {
    if (HWND page = CurrentPage()) PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (command == "checked" || command == "unchecked") {
    if (HWND page = CurrentPage()) ExpectChecks(page, words, command == "checked");
  } else if (command == "text") {
    if (HWND page = CurrentPage()) ExpectText(page, words);
  } else if (command == "run") {
    RunCompanions(words, 1, 1);
  } else if (command == "run-copies" && words.size() >= 2) {
    RunCompanions(words, 2, std::strtol(words[1].c_str(), nullptr, 10));
  } else if (command == "hold" && (words.size() == 2 || words.size() == 3)) {
    Hold(words);
  } else if (command == "release") {
    CloseHandle(heldFile);
    heldFile = INVALID_HANDLE_VALUE;
  } else if (command == "output") {
    ExpectOutput(words);
  } else if (command == "expect-log") {
    ExpectLog(words);
  } else if (command == "exit") {
    ExpectExit(words);
  } else if (command == "expect") {
    ExpectValue(words);
  } else if (command == "expect-file") {
    ExpectFile(words);
  } else if (command == "subkey") {
    ExpectNonVolatile(words);
  } else if (command == "screenshot" && words.size() == 2) {
    if (HWND page = CurrentPage()) Screenshot(page, words[1]);
  } else {
    Fail("unknown command: %s", command.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: lull_driver LULL.EXE SCENARIO [SCREENSHOT-DIRECTORY]\n");
    return 2;
  }
  lullPath = argv[1];
  scenarioName = argv[2];
  if (argc > 3) screenshotDirectory = argv[3];
  std::string script;
  if (!ReadWholeFile(scenarioName, script)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    ++lineNumber;
    const std::vector<std::string> words = Words(line);
    if (!words.empty()) Run(words);
  }
  if (lullProcess.hProcess != nullptr) {
    Fail("the scenario ended with lull.exe still running");
    TerminateProcess(lullProcess.hProcess, 99);
  }
  if (!companions.empty()) {
    Fail("the scenario ended with lullcmd.exe still running");
    for (Companion& companion : companions) TerminateProcess(companion.process.hProcess, 99);
  }
  std::printf("%s: %s\n", scenarioName.c_str(), failures == 0 ? "passed" : "FAILED");
  return failures == 0 ? 0 : 1;
}
