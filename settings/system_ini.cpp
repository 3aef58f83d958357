#include "settings/system_ini.h"

#include "platform/text.h"
#include "settings/places.h"
#include "settings/settings_store.h"

namespace lull {
namespace {

// The file's key of the screen-saver line is the name of the registry value NT keeps it in.
constexpr const char* kScreenSaverKey = kScreenSaverName;
constexpr char kBootHeader[] = "[Boot]";
constexpr std::uint32_t kScreenSaverKeyLength = sizeof kScreenSaverName - 1;
constexpr std::uint32_t kBootHeaderLength = sizeof kBootHeader - 1;
constexpr std::uint32_t kNotFound = UINT32_MAX;

constexpr bool IsLineBreak(std::uint8_t byte) { return byte == '\r' || byte == '\n'; }

// The first CR or LF at or after at, or the end of the data.
std::uint32_t NextLineBreak(const SystemIniImage& image, std::uint32_t at) {
  while (at < image.bytesRead && !IsLineBreak(image.data[at])) ++at;
  return at;
}

// Where the line after the one holding at begins: past the line's first CR or LF and one
// more CR or LF that follows it directly (CR LF, LF CR, CR CR, LF LF). The end of the
// data when the line has no line end.
std::uint32_t NextLineStart(const SystemIniImage& image, std::uint32_t at) {
  at = NextLineBreak(image, at);
  for (int breaks = 0; breaks < 2 && at < image.bytesRead && IsLineBreak(image.data[at]);
       ++breaks) {
    ++at;
  }
  return at;
}

bool KeyAt(Platform& platform, const SystemIniImage& image, std::uint32_t at, const char* key,
           std::uint32_t keyLength) {
  // The comparison never reaches past the data, so a key cut off by the end never matches.
  if (image.bytesRead - at < keyLength) return false;
  return platform.EqualIgnoringCase(reinterpret_cast<const char*>(image.data + at), key, keyLength);
}

// The screen-saver line's key outside ";" comments; a ";" anywhere hides the rest of its line.
std::uint32_t FindScreenSaverKey(Platform& platform, const SystemIniImage& image) {
  std::uint32_t at = 0;
  while (at < image.bytesRead) {
    if (image.data[at] == ';') {
      at = NextLineBreak(image, at);
      continue;
    }
    if (KeyAt(platform, image, at, kScreenSaverKey, kScreenSaverKeyLength)) return at;
    ++at;
  }
  return kNotFound;
}

// The first "[Boot]" anywhere, comments included.
std::uint32_t FindBootHeader(Platform& platform, const SystemIniImage& image) {
  for (std::uint32_t at = 0; at < image.bytesRead; ++at) {
    if (KeyAt(platform, image, at, kBootHeader, kBootHeaderLength)) return at;
  }
  return kNotFound;
}

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t size) {
  for (std::uint32_t at = 0; at < size; ++at) {
    if (a[at] != b[at]) return false;
  }
  return true;
}

// One write, counted as done only when every byte went out.
bool WriteAll(Platform& platform, FileHandle file, const void* data, std::uint32_t size) {
  if (size == 0) return true;
  std::uint32_t written = 0;
  return platform.WriteFile(file, data, size, written) && written == size;
}

// The saved text without its terminator, then CR LF; when the header it follows ends the
// file without a line end, a CR LF first so that the header keeps its own line.
static_assert(kBackupRowLayout[kRowScreenSaver].capacity <= kScreenSaverPathCapacity,
              "the saved line holds the screen-saver row whole");
struct SavedLine {
  std::uint8_t bytes[2 + kScreenSaverPathCapacity + 2] = {};
  std::uint32_t size = 0;

  SavedLine(const BackupEntry& row, bool breakFirst) {
    if (breakFirst) {
      Append('\r');
      Append('\n');
    }
    // The text up to its terminator: a zero byte has no place in the file.
    const std::uint32_t length = TextLength(row.text(), row.length);
    for (std::uint32_t at = 0; at < length; ++at) Append(row.data[at]);
    Append('\r');
    Append('\n');
  }
  void Append(std::uint8_t byte) { bytes[size++] = byte; }
};

// Writes the data before `cut`, the saved line, then the data from `resume` on, into
// SysIni.Tmp. A failed or short write leaves no temporary file behind.
bool WriteTemporaryFile(Platform& platform, const SystemIniImage& image, std::uint32_t cut,
                        const SavedLine& line, std::uint32_t resume) {
  const FileHandle file = platform.CreateFileForWriting(kSystemIniTempPath);
  if (file == 0) return false;
  // The data is on the disk before the file takes System.Ini's name: a power cut after the
  // swap must not leave a System.Ini whose data never got there.
  const bool written = WriteAll(platform, file, image.data, cut) &&
                       WriteAll(platform, file, line.bytes, line.size) &&
                       WriteAll(platform, file, image.data + resume, image.bytesRead - resume) &&
                       platform.FlushFile(file);
  const bool closed = platform.CloseFile(file);
  if (written && closed) return true;
  platform.DeleteFile(kSystemIniTempPath);
  return false;
}

// SysIni.Tmp takes System.Ini's place and the previous file stays as SysIni.Str. If the
// new file cannot follow, the previous one goes back to its name. Between the two renames
// there is no System.Ini: the next start puts SysIni.Str back (PutBackSystemIni).
bool SwapFiles(Platform& platform) {
  platform.DeleteFile(kSystemIniKeptPath);
  if (!platform.MoveFile(kSystemIniPath, kSystemIniKeptPath)) return false;
  if (platform.MoveFile(kSystemIniTempPath, kSystemIniPath)) return true;
  platform.MoveFile(kSystemIniKeptPath, kSystemIniPath);
  return false;
}

bool ReadImage(Platform& platform, SystemIniImage& image) {
  const FileHandle file = platform.OpenFileForReading(kSystemIniPath);
  if (file == 0) return false;
  std::uint32_t read = 0;
  const bool whole = platform.ReadFile(file, image.data, kSystemIniImageSize, read) &&
                     read <= kSystemIniMaxFileSize;
  platform.CloseFile(file);
  // A file that could not be read, or fills more than the data part of the image, is left
  // alone.
  if (!whole) return false;
  image.bytesRead = read;
  image.data[read] = 0;
  image.data[read + 1] = 0;
  return true;
}

}  // namespace

SystemIniOutcome RestoreSystemIniLine(SettingsStore& store) {
  Platform& platform = store.platform;
  const BackupEntry& savedLine = store.backup[kRowScreenSaver];
  SystemIniImage& image = store.systemIni;
  if (!savedLine.present()) return SystemIniOutcome::NothingSaved;
  // Windows 95, 98 and Me keep a copy of the INI file last used through the profile
  // functions and may write it back later: the file is read, and left after the swap,
  // with that copy dropped.
  platform.FlushProfileCache(kSystemIniPath);
  if (!ReadImage(platform, image)) return SystemIniOutcome::NotReadable;

  std::uint32_t cut = FindScreenSaverKey(platform, image);
  std::uint32_t resume = 0;
  bool breakFirst = false;
  SystemIniOutcome done = SystemIniOutcome::Replaced;
  if (cut != kNotFound) {
    // Whatever stands before the key on its line stays; the rest of the line goes.
    resume = NextLineStart(image, cut + kScreenSaverKeyLength);
  } else {
    const std::uint32_t header = FindBootHeader(platform, image);
    if (header == kNotFound) return SystemIniOutcome::NoPlaceForLine;
    cut = NextLineStart(image, header + kBootHeaderLength);
    resume = cut;
    breakFirst = cut == image.bytesRead && !IsLineBreak(image.data[cut - 1]);
    done = SystemIniOutcome::Inserted;
  }

  const SavedLine line(savedLine, breakFirst);
  // The line is in place already (a reset that stopped after its swap, tried again): a swap
  // would only put that file in place of SysIni.Str, the one from before.
  if (resume - cut == line.size && SameBytes(image.data + cut, line.bytes, line.size)) {
    return done;
  }
  if (!WriteTemporaryFile(platform, image, cut, line, resume)) {
    return SystemIniOutcome::NotWritten;
  }
  const bool swapped = SwapFiles(platform);
  platform.FlushProfileCache(kSystemIniPath);
  return swapped ? done : SystemIniOutcome::NotSwapped;
}

void PutBackSystemIni(Platform& platform) { platform.MoveFile(kSystemIniKeptPath, kSystemIniPath); }

}  // namespace lull
