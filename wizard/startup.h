// The program's entry: classify Windows, choose the first page, and run the pages.
#pragma once

#include "wizard/program.h"

namespace lull {

// Chooses the first page as start-up does (NTFinish on an unsupported Windows,
// AboutDisplay for "/?", otherwise from the settings).
void ChooseFirstPage(Program& program);

// Shows pages from currentPage on, one at a time, until one ends the wizard.
void RunPages(Program& program);

// The whole run, up to the moment the process ends with exit code 0.
void RunWizard(Program& program);

}  // namespace lull
