// The program's entry: classify Windows, choose the first page, and run the pages.
#pragma once

#include "platform/pages.h"
#include "wizard/program.h"

namespace lull {

// The first page, from what start-up found.
PageId FirstPage(const StartupFacts& found);

// What both programs do first on every start: classify Windows into the store's OsClass
// and, on Windows 95, 98 and Me, put System.Ini back when a swap left it missing. False on
// a Windows neither supports (unsupportedWindows), where nothing else is read or written.
bool StartOnThisWindows(Program& program);

// Start-up up to the first page: classifies Windows, reads the command line, looks at the
// settings where the wizard is to run, and makes the first page the current one.
void StartUp(Program& program);

// Shows pages from currentPage on, one at a time from the templates in module, until one
// ends the wizard.
void RunPages(Program& program, Pages& pages, ModuleHandle module);

// The whole run, up to the moment the process ends with exit code 0.
void RunWizard(Program& program, Pages& pages);

}  // namespace lull
