// A program object on the in-memory Windows, for tests of the wizard as a whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

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
  WizardRun() { program.module = windows.GetModuleHandle(); }

  // Shows pages from the given one on, with the start-up facts as the test set them.
  void RunPagesFrom(PageId first) {
    program.wizard.currentPage = first;
    RunPages(program);
  }
  // The whole program, as lull.exe runs it.
  void RunProgram() { RunWizard(program); }

  const PageVisit& Visit(std::size_t index) const { return windows.pages.at(index); }
  const PageVisit& LastVisit() const { return windows.pages.back(); }

  FakeWindows windows;
  Program program{windows};
};

}  // namespace lull::testing
