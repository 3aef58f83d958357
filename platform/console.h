// What the command-line companion needs of Windows beyond the seam both programs share:
// standard output, the pause, the user's name and the local time of its log line, and the
// opening and reading back of the log's file.
// lull.exe never links it, so none of these calls is among its imports.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace lull {

// Why a file did not open: another process holds it (a later try may find it free), it or
// its folder, drive or share is not there, the user may not open it so, or anything else.
enum class FileError : std::uint8_t { None, Busy, NotFound, Denied, Other };

// GetLocalTime's fields, as the log line shows them.
struct LocalTime {
  std::uint16_t year;
  std::uint16_t month;
  std::uint16_t day;
  std::uint16_t hour;
  std::uint16_t minute;
  std::uint16_t second;
};

class Console {
 public:
  // Writes the bytes to standard output (a console, a file or a pipe); false when there is
  // no standard output or the write failed.
  virtual bool WriteOutput(const char* text, std::uint32_t length) = 0;
  // Windows shows no box of its own for a drive that is not ready or a disk error: the
  // call that met it fails instead, as an unattended logon script needs.
  virtual void FailCriticalErrorsQuietly() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Milliseconds since Windows started, wrapping round after 49.7 days.
  virtual std::uint32_t GetTickCount() = 0;
  // The user's name, terminated; false, and the buffer left alone, when Windows does not
  // know it (the computer's name is the shared seam's: the backup names it too).
  virtual bool GetUserName(char* buffer, std::uint32_t capacity) = 0;
  virtual LocalTime GetLocalTime() = 0;

  // The log's file, which the shared seam then writes and closes. Opens a file for reading
  // and appending, without sharing: created when missing, with the position at its end,
  // which size gives. 0 when it cannot be opened, and error says why.
  virtual FileHandle OpenFileForAppending(const char* path, FileError& error,
                                          std::uint32_t& size) = 0;
  // Reads at offset of a file opened for appending, and leaves the position at its end again.
  virtual bool ReadFileAt(FileHandle file, std::uint32_t offset, void* data, std::uint32_t size,
                          std::uint32_t& read) = 0;

 protected:
  ~Console() = default;
};

}  // namespace lull
