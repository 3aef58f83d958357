// RestoreSystemIniLine on an arbitrary System.Ini and saved line, with or without one
// failing file call. On every input the file must afterwards be either as it was or
// exactly what a plain model of the rules makes of it (the screen-saver line outside ";"
// comments replaced, or the saved line inserted after the [Boot] line), and the previous
// content must survive byte for byte as System.Ini or SysIni.Str.
//
// Input, from the end: option bits, the failing call (by kind and number), the padding size,
// the saved row's length and the image's fill byte; from the front: the saved text; the rest
// is the file.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "settings/settings_store.h"
#include "settings/system_ini.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_windows.h"

namespace {

using lull::SystemIniOutcome;
using lull::testing::FailureMode;
using lull::testing::FakeWindows;

constexpr const char* kIni = lull::kSystemIniPath;
constexpr const char* kTmp = lull::kSystemIniTempPath;
constexpr const char* kStr = lull::kSystemIniKeptPath;
constexpr std::size_t kLargestFile = lull::kSystemIniMaxFileSize;
constexpr char kKeptContent[] = "kept by an earlier reset";
constexpr char kTemporaryContent[] = "left by an earlier try";

enum Option : std::uint8_t {
  kNoFile = 1,
  kOldKeptFile = 2,
  kOldTempFile = 4,
  kPadToLimit = 8,
  kAnyRowLength = 16,
};

// The system locale's case folding: ASCII letters only.
FUZZ_UNINSTRUMENTED char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

FUZZ_UNINSTRUMENTED bool StartsWithIgnoringCase(const std::string& text, std::size_t at,
                                                std::string_view key) {
  if (at + key.size() > text.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (Lower(text[at + i]) != Lower(key[i])) return false;
  }
  return true;
}

// Where the next line starts: after the first CR or LF from at on and one more right
// after it; the end of the file when there is no line end.
FUZZ_UNINSTRUMENTED std::size_t NextLine(const std::string& file, std::size_t at) {
  std::size_t end = file.find_first_of("\r\n", at);
  if (end == std::string::npos) return file.size();
  ++end;
  if (end < file.size() && (file[end] == '\r' || file[end] == '\n')) ++end;
  return end;
}

struct Expected {
  std::optional<std::string> rewritten;  // nullopt: the file stays as it is
  SystemIniOutcome outcome;
};

// The file with the part from cut to resume replaced by the line.
FUZZ_UNINSTRUMENTED std::string Spliced(const std::string& f, std::size_t cut,
                                        std::string_view line, std::size_t resume) {
  std::string out;
  out.reserve(f.size() + line.size());
  out.append(f, 0, cut).append(line).append(f, resume);
  return out;
}

FUZZ_UNINSTRUMENTED Expected Model(const std::string* file, const std::string& saved,
                                   bool rowPresent) {
  if (!rowPresent) return {std::nullopt, SystemIniOutcome::NothingSaved};
  if (!file || file->size() > kLargestFile) return {std::nullopt, SystemIniOutcome::NotReadable};
  const std::string& f = *file;
  const std::string line = saved + "\r\n";
  for (std::size_t at = 0; at < f.size();) {
    if (f[at] == ';') {
      const std::size_t end = f.find_first_of("\r\n", at + 1);
      if (end == std::string::npos) break;
      at = end + 1;
    } else if (Lower(f[at]) == 's' && StartsWithIgnoringCase(f, at, "SCRNSAVE.EXE")) {
      return {Spliced(f, at, line, NextLine(f, at + 12)), SystemIniOutcome::Replaced};
    } else {
      ++at;
    }
  }
  for (std::size_t at = 0; at < f.size(); ++at) {
    if (f[at] != '[' || !StartsWithIgnoringCase(f, at, "[Boot]")) continue;
    // A header on the file's last line without a line end keeps its own line.
    const bool headerEndsFile = f.find_first_of("\r\n", at + 6) == std::string::npos;
    const std::size_t next = NextLine(f, at + 6);
    return {Spliced(f, next, (headerEndsFile ? "\r\n" : "") + line, next),
            SystemIniOutcome::Inserted};
  }
  return {std::nullopt, SystemIniOutcome::NoPlaceForLine};
}

// Whether the file holds exactly the text; both missing counts as the same.
bool Holds(const lull::testing::Bytes* file, const std::string* text) {
  if (file == nullptr || text == nullptr) return file == nullptr && text == nullptr;
  return file->size() == text->size() &&
         (text->empty() || std::memcmp(file->data(), text->data(), text->size()) == 0);
}
bool Holds(const lull::testing::Bytes* file, const std::optional<std::string>& text) {
  return Holds(file, text ? &*text : nullptr);
}

std::string Show(std::string_view text) {
  std::string shown;
  for (unsigned char c : text) {
    char piece[8];
    std::snprintf(piece, sizeof piece, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02x", c);
    shown += piece;
  }
  return shown;
}
std::string Show(const lull::testing::Bytes* file) {
  if (!file) return "(none)";
  return Show(std::string_view(reinterpret_cast<const char*>(file->data()), file->size()));
}

// The files are those the run started with, byte for byte, and no others.
bool FilesAsSetUp(const FakeWindows& windows, const std::string* ini, std::uint8_t options) {
  const std::string kept = kKeptContent;
  const std::string temporary = kTemporaryContent;
  const std::pair<const char*, const std::string*> files[] = {
      {kIni, ini},
      {kStr, options & kOldKeptFile ? &kept : nullptr},
      {kTmp, options & kOldTempFile ? &temporary : nullptr},
  };
  std::size_t count = 0;
  for (const auto& [path, content] : files) {
    if (!Holds(windows.FindFile(path), content)) return false;
    count += content != nullptr;
  }
  return windows.files.size() == count;
}

bool Succeeded(SystemIniOutcome outcome) {
  return outcome == SystemIniOutcome::Replaced || outcome == SystemIniOutcome::Inserted;
}

// Kept from one input to the next, as allocating their images afresh for each would cost
// more than the run itself: the file's content, and the room for each input's settings
// store, which holds the image the file is read into.
std::string content;
alignas(lull::SettingsStore) unsigned char storeRoom[sizeof(lull::SettingsStore)];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto options = in.ConsumeIntegral<std::uint8_t>();
  const FailingCall failingCall = ConsumeFailingCall(in);
  const auto mode = in.ConsumeIntegralInRange<int>(0, 2);
  const auto padding = in.ConsumeIntegralInRange<std::size_t>(0, 8);
  const auto anyLength =
      in.ConsumeIntegralInRange<std::uint32_t>(0, lull::kScreenSaverPathCapacity);
  const auto fill = in.ConsumeIntegral<std::uint8_t>();
  const std::string savedText = in.ConsumeRandomLengthString(lull::kScreenSaverPathCapacity);
  content.resize(in.remaining_bytes());
  in.ConsumeData(content.data(), content.size());
  // Around the largest file worked on: from four bytes smaller to four bytes larger.
  if (options & kPadToLimit) content.resize(kLargestFile - 4 + padding, 'x');

  // Row 2 as a load leaves it: a buffer of its capacity (on the heap, so that a read past
  // it is caught) and a length that counts a terminator.
  auto buffer = std::make_unique<std::uint8_t[]>(lull::kScreenSaverPathCapacity);
  std::memset(buffer.get(), 0, lull::kScreenSaverPathCapacity);
  std::memcpy(buffer.get(), savedText.data(), savedText.size());
  std::uint32_t length = static_cast<std::uint32_t>(savedText.size() + 1);
  if (length > lull::kScreenSaverPathCapacity) length = lull::kScreenSaverPathCapacity;
  if (options & kAnyRowLength) length = anyLength;
  // The line is the row's text up to its terminator, never past its length.
  const char* text = reinterpret_cast<const char*>(buffer.get());
  const std::string saved(text, lull::TextLength(text, length));

  FakeWindows windows;
  windows.recordCalls = false;
  const std::string* before = nullptr;
  if (!(options & kNoFile)) {
    windows.SetFile(kIni, content);
    before = &content;
  }
  if (options & kOldKeptFile) windows.SetFile(kStr, kKeptContent);
  if (options & kOldTempFile) windows.SetFile(kTmp, kTemporaryContent);
  const bool failing = failingCall.on;
  if (failing) {
    windows.failCall = {failingCall.kind, failingCall.nth};
    windows.failureMode = static_cast<FailureMode>(mode);
  }
  const Expected expected = Model(before, saved, length != 0);

  auto* store = new (storeRoom) lull::SettingsStore(windows);
  lull::BackupEntry& row = store->backup[lull::kRowScreenSaver];
  row.data = buffer.get();
  row.length = length;
  std::memset(store->systemIni.data, fill, sizeof store->systemIni.data);
  const SystemIniOutcome outcome = lull::RestoreSystemIniLine(*store);
  store->~SettingsStore();
  const lull::testing::Bytes* after = windows.FindFile(kIni);
  const lull::testing::Bytes* kept = windows.FindFile(kStr);

  FUZZ_CHECK(windows.OpenFileCount() == 0, "a file was left open");
  // A line already in place is not written again, so SysIni.Str keeps the file from before
  // the swap that put it there.
  if (!expected.rewritten || (before != nullptr && *expected.rewritten == *before)) {
    FUZZ_CHECK(FilesAsSetUp(windows, before, options),
               "files changed although the line has no place or is in place");
    if (!failing)
      FUZZ_CHECK(outcome == expected.outcome, "outcome %d, expected %d", static_cast<int>(outcome),
                 static_cast<int>(expected.outcome));
    return 0;
  }
  // Whatever failed, the previous content is kept and System.Ini is one of the two.
  FUZZ_CHECK(Holds(after, before) || Holds(kept, before),
             "previous content lost: System.Ini %s, SysIni.Str %s", Show(after).c_str(),
             Show(kept).c_str());
  FUZZ_CHECK(Holds(after, before) || Holds(after, expected.rewritten),
             "System.Ini\n  %s\nexpected\n  %s\nfrom\n  %s", Show(after).c_str(),
             Show(*expected.rewritten).c_str(), Show(*before).c_str());
  if (Succeeded(outcome)) {
    FUZZ_CHECK(Holds(after, expected.rewritten), "reported %d with System.Ini %s",
               static_cast<int>(outcome), Show(after).c_str());
  } else {
    FUZZ_CHECK(Holds(after, before), "reported %d with System.Ini changed to %s",
               static_cast<int>(outcome), Show(after).c_str());
  }
  if (!failing) {
    FUZZ_CHECK(outcome == expected.outcome, "outcome %d, expected %d", static_cast<int>(outcome),
               static_cast<int>(expected.outcome));
    FUZZ_CHECK(Holds(kept, before), "SysIni.Str is not the previous file");
    FUZZ_CHECK(windows.FindFile(kTmp) == nullptr, "SysIni.Tmp was left behind");
  }
  return 0;
}
