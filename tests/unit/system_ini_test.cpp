#include "settings/system_ini.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "tests/support/computer.h"

namespace lull::testing {
namespace {

const std::string& kSaved = kSavedLine;

// Row 2 as a backup load leaves it, the text and its terminator, or absent; then the line
// goes back.
SystemIniOutcome Restore(FakeWindows& fake, const std::optional<std::string>& saved) {
  auto store = std::make_unique<SettingsStore>(fake);
  if (saved) {
    const Bytes text = TextBytes(*saved);
    store->backup.TakeValue(kRowScreenSaver, ValueType::Text, text.data(),
                            static_cast<std::uint32_t>(text.size()));
  }
  return RestoreSystemIniLine(*store);
}

std::string Padded(std::size_t size) { return "[boot]\r\n" + std::string(size - 8, 'x'); }

TEST(RestoreSystemIniLine, ReplacesTheScreenSaverLineOrInsertsItAfterTheBootHeader) {
  using O = SystemIniOutcome;
  const std::string s = kSaved + "\r\n";
  const struct {
    const char* what;
    std::string file;
    std::optional<std::string> saved;
    std::optional<std::string> rewritten;  // nullopt: the file is left alone
    SystemIniOutcome outcome;
  } cases[] = {
      {"third of four lines", kIniContent, kSaved, kRestoredIni, O::Replaced},
      {"no screen-saver line", "[boot]\r\nshell=Explorer.exe\r\n", kSaved,
       "[boot]\r\n" + s + "shell=Explorer.exe\r\n", O::Inserted},
      {"only in comment lines, one right after another",
       "[Boot]\n;x\n;SCRNSAVE.EXE=C:\\OLD.SCR\nshell=x\n", kSaved,
       "[Boot]\n" + s + ";x\n;SCRNSAVE.EXE=C:\\OLD.SCR\nshell=x\n", O::Inserted},
      {"comment first in the file, CR line ends", ";SCRNSAVE.EXE=old\r[boot]\rx=1\r", kSaved,
       ";SCRNSAVE.EXE=old\r[boot]\r" + s + "x=1\r", O::Inserted},
      {"a ; hides the rest of its line", "[boot]\r\nshell=a.exe ;SCRNSAVE.EXE=old\r\n", kSaved,
       "[boot]\r\n" + s + "shell=a.exe ;SCRNSAVE.EXE=old\r\n", O::Inserted},
      {"a comment before the real line", "[boot]\r\n; SCRNSAVE.EXE=a\r\nscrnsave.exe=b\r\nx\r\n",
       kSaved, "[boot]\r\n; SCRNSAVE.EXE=a\r\n" + s + "x\r\n", O::Replaced},
      {"text before the key stays", "[boot]\r\n  scrnsave.exe=old\r\n", kSaved, "[boot]\r\n  " + s,
       O::Replaced},
      {"LF LF is one line end", "[boot]\nSCRNSAVE.EXE=old\n\nx=1\n", kSaved,
       "[boot]\n" + s + "x=1\n", O::Replaced},
      {"LF CR is one line end", "SCRNSAVE.EXE=old\n\rx=1", kSaved, s + "x=1", O::Replaced},
      {"CR LF CR LF keeps the empty line", "SCRNSAVE.EXE=old\r\n\r\nx", kSaved, s + "\r\nx",
       O::Replaced},
      {"a longer key is another one", "[boot]\r\nSCRNSAVE.EXT=x\r\n", kSaved,
       "[boot]\r\n" + s + "SCRNSAVE.EXT=x\r\n", O::Inserted},
      {"the line differs in its first letter's case only", "s" + s.substr(1), kSaved, s,
       O::Replaced},
      {"text after the header", "[boot] ; start\r\nshell=x\r\n", kSaved,
       "[boot] ; start\r\n" + s + "shell=x\r\n", O::Inserted},
      {"a header named in a comment counts", "; [Boot] below\r\n[boot]\r\n", kSaved,
       "; [Boot] below\r\n" + s + "[boot]\r\n", O::Inserted},
      {"an empty saved text", "[boot]\r\nSCRNSAVE.EXE=old\r\nx\r\n", "", "[boot]\r\n\r\nx\r\n",
       O::Replaced},
      // Inserted, it goes in even when the line after the header reads the same.
      {"an empty saved text inserted before an empty line", "[boot]\r\n\r\nx\r\n", "",
       "[boot]\r\n\r\n\r\nx\r\n", O::Inserted},
      {"screen-saver line last, no line end", "[boot]\r\nSCRNSAVE.EXE=old", kSaved,
       "[boot]\r\n" + s, O::Replaced},
      {"header last, no line end", "x=1\r\n[boot]", kSaved, "x=1\r\n[boot]\r\n" + s, O::Inserted},
      {"header last with its line end", "[boot]\n", kSaved, "[boot]\n" + s, O::Inserted},
      {"no place for the line", "x=1\r\n;SCRNSAVE.EXE=a\r\n", kSaved, std::nullopt,
       O::NoPlaceForLine},
      {"no saved line", kIniContent, std::nullopt, std::nullopt, O::NothingSaved},
      {"the largest file", Padded(kSystemIniMaxFileSize), kSaved,
       "[boot]\r\n" + s + Padded(kSystemIniMaxFileSize).substr(8), O::Inserted},
      {"a byte larger", Padded(kSystemIniMaxFileSize + 1), kSaved, std::nullopt, O::NotReadable},
  };
  for (const auto& c : cases) {
    FakeWindows fake;
    fake.SetFile(kIniPath, c.file);
    fake.SetFile(kStrPath, "older");
    fake.SetFile(kTmpPath, "leftover");
    EXPECT_EQ(Restore(fake, c.saved), c.outcome) << c.what;
    EXPECT_EQ(fake.GetFile(kIniPath), c.rewritten.value_or(c.file)) << c.what;
    EXPECT_EQ(fake.GetFile(kStrPath), c.rewritten ? c.file : "older") << c.what;
    EXPECT_EQ(fake.GetFile(kTmpPath), c.rewritten ? std::nullopt : std::optional("leftover"))
        << c.what;
  }
}

TEST(RestoreSystemIniLine, TouchesNoFileWithoutASavedLineOrAFile) {
  FakeWindows fake;
  EXPECT_EQ(Restore(fake, kSaved), SystemIniOutcome::NotReadable);
  fake.SetFile(kIniPath, kIniContent);
  fake.calls.clear();
  EXPECT_EQ(Restore(fake, std::nullopt), SystemIniOutcome::NothingSaved);
  EXPECT_TRUE(fake.calls.empty());
}

// A line at the file's end leaves nothing after it, and no write is made of nothing: one
// could only fail the reset.
TEST(RestoreSystemIniLine, MakesNoWriteOfNothing) {
  FakeWindows fake;
  fake.SetFile(kIniPath, "[boot]\r\nSCRNSAVE.EXE=X");
  fake.failCall = {{CallKind::WriteFile, 2}};
  EXPECT_EQ(Restore(fake, kSaved), SystemIniOutcome::Replaced);
}

// The copy Windows 95, 98 and Me keep of the INI file last used goes right before the read
// and right after the swap, so neither a stale copy is read nor one written over the new file.
TEST(RestoreSystemIniLine, FlushesTheProfileCacheBeforeTheReadAndAfterTheSwap) {
  FakeWindows fake;
  fake.SetFile(kIniPath, kIniContent);
  Restore(fake, kSaved);
  const std::string flush = "FlushProfileCache " + kIniPath;
  EXPECT_EQ(fake.CallsOf({CallKind::FlushProfileCache, CallKind::ReadFile,
                          CallKind::CreateFileForWriting, CallKind::MoveFile}),
            (std::vector<std::string>{flush,
                                      "ReadFile " + std::to_string(kSystemIniImageSize) + " -> " +
                                          std::to_string(kIniContent.size()),
                                      "CreateFileForWriting " + kTmpPath,
                                      "MoveFile " + kIniPath + " " + kStrPath,
                                      "MoveFile " + kTmpPath + " " + kIniPath, flush}));
}

TEST(RestoreSystemIniLine, AFailedWriteOrSwapLeavesSystemIniAsItWas) {
  using O = SystemIniOutcome;
  const struct {
    const char* what;
    CallKind kind;
    int nth;
    FailureMode mode;
    SystemIniOutcome outcome;
    bool temporaryRemoved;
  } cases[] = {
      {"temporary file not created", CallKind::CreateFileForWriting, 0, FailureMode::Error,
       O::NotWritten, true},
      {"first write", CallKind::WriteFile, 0, FailureMode::Error, O::NotWritten, true},
      {"saved line cut short", CallKind::WriteFile, 1, FailureMode::PartialWrite, O::NotWritten,
       true},
      {"rest cut short", CallKind::WriteFile, 2, FailureMode::PartialWrite, O::NotWritten, true},
      {"rest reported whole but short", CallKind::WriteFile, 2, FailureMode::ShortWrite,
       O::NotWritten, true},
      {"temporary file not closed", CallKind::CloseFile, 1, FailureMode::Error, O::NotWritten,
       true},
      {"System.Ini not renamed", CallKind::MoveFile, 0, FailureMode::Error, O::NotSwapped, false},
      {"SysIni.Tmp not renamed", CallKind::MoveFile, 1, FailureMode::Error, O::NotSwapped, false},
  };
  for (const auto& c : cases) {
    FakeWindows fake;
    fake.SetFile(kIniPath, kIniContent);
    fake.failCall = {{c.kind, c.nth}};
    fake.failureMode = c.mode;
    EXPECT_EQ(Restore(fake, kSaved), c.outcome) << c.what;
    EXPECT_EQ(fake.GetFile(kIniPath), kIniContent) << c.what;
    EXPECT_EQ(!fake.GetFile(kTmpPath).has_value(), c.temporaryRemoved) << c.what;
    EXPECT_EQ(fake.OpenFileCount(), 0) << c.what;
  }
}

}  // namespace
}  // namespace lull::testing
