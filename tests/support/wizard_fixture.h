// A program object on the in-memory Windows, for tests of the wizard or of lullcmd as a
// whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command/companion.h"
#include "tests/support/fake_windows.h"
#include "wizard/program.h"
#include "wizard/startup.h"

namespace lull::testing {

// A summary line as the wizard shows it: with the minutes of these seconds, or marked active.
inline std::string Shown(SummaryLine line, std::optional<std::uint32_t> seconds = {}) {
  SummaryLines lines;
  seconds ? lines.ShowMinutes(line, *seconds) : lines.MarkActive(line);
  return lines[line];
}

struct WizardRun {
  // Shows pages from the given one on, with the start-up facts as the test set them.
  void RunPagesFrom(PageId first) {
    program.wizard.currentPage = first;
    RunPages(program, windows, windows.GetModuleHandle());
  }
  // The whole program, as lull.exe runs it.
  void RunProgram() { RunWizard(program, windows); }
  // lullcmd.exe with these words after its own name; its exit code.
  int RunCommand(const std::string& arguments) {
    windows.commandLine = "lullcmd.exe " + arguments;
    exitCode = RunCompanion(program, windows);
    return exitCode;
  }

  const PageVisit& Visit(std::size_t index) const { return windows.pages.at(index); }
  const PageVisit& LastVisit() const { return windows.pages.back(); }

  FakeWindows windows;
  Program program{windows};
  int exitCode = 0;  // the wizard's is always 0
};

}  // namespace lull::testing
