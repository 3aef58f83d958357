// The program's entry: classify Windows, choose the first page, and run the pages.
#pragma once

#include "platform/dialogs.h"
#include "wizard/program.h"

namespace lull {

// The first page, from what start-up found.
PageId FirstPage(const StartupFacts& found);

// Start-up up to the first page: classifies Windows, reads the command line, looks at the
// settings where the wizard is to run, and makes the first page the current one.
void StartUp(Program& program);

// Shows pages from currentPage on, one at a time from the templates in module, until one
// ends the wizard.
void RunPages(Program& program, Pages& pages, ModuleHandle module);

// The whole run, up to the moment the process ends with exit code 0.
void RunWizard(Program& program, Pages& pages);

}  // namespace lull
