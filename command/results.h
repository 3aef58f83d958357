// What a run of lullcmd can end in, each result by name: its exit code, the line that says
// what it did (also its log line's message), the note of an operation that could not do its
// work, and whether an operation ran (and may have changed something).
#pragma once

#include "command/companion_texts.h"
#include "session/texts.h"

namespace lull {

inline constexpr int kExitDone = 0;
// A rerun that finds every time in force already; a reset without a backup from an
// activation.
inline constexpr int kExitNothingToDo = 1;
inline constexpr int kExitBadInput = 2;
// The backup could not be saved or read (nothing was changed), or a reset could not put
// everything back (the backup is kept for another try).
inline constexpr int kExitFailed = 3;
// A Windows the wizard does not support either: no setting is read or written.
inline constexpr int kExitUnsupported = 4;

struct Result {
  int exitCode;
  const char* message;
  const char* failureNote;
  bool operationRan;
};

inline constexpr const char* kNoNote = nullptr;

// clang-format off
//                                      exit code          message                failure note      ran
inline constexpr Result kActivated           {kExitDone,        kActivatedText,        kNoNote,          true};
inline constexpr Result kActivatedAgain      {kExitDone,        kActivatedAgainText,   kNoNote,          true};
inline constexpr Result kAlreadyActive       {kExitNothingToDo, kAlreadyActiveText,    kNoNote,          false};
inline constexpr Result kNotActivated        {kExitFailed,      kNotActivatedText,     kNotSavedNote,    true};
inline constexpr Result kBackupUnreadable    {kExitFailed,      kBackupUnreadableText, kNoNote,          false};
inline constexpr Result kWasReset            {kExitDone,        kResetText,            kNoNote,          true};
inline constexpr Result kNotReset            {kExitFailed,      kNotResetText,         kNotRestoredNote, true};
inline constexpr Result kNothingToReset      {kExitNothingToDo, kNothingToResetText,   kNoNote,          false};
inline constexpr Result kStatusShown         {kExitDone,        kStatusText,           kNoNote,          false};
inline constexpr Result kStatusWithoutBackup {kExitDone,        kNothingToResetText,   kNoNote,          false};
inline constexpr Result kUnsupported         {kExitUnsupported, kUnsupportedText,      kNoNote,          false};
// clang-format on

}  // namespace lull
