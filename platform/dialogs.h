// The wizard's side of the seam: its pages, shown one at a time as modal dialogs. Only
// lull.exe has pages, so the companion neither implements nor links any of it.
#pragma once

#include <cstdint>

namespace lull {

// A page on screen, as the dialog manager knows it.
using DialogWindow = std::uintptr_t;

// The module whose resources hold the page templates.
using ModuleHandle = std::uintptr_t;

// The command the dialog manager sends for the Escape key and the close box (IDCANCEL), on
// every page: the Cancel buttons carry the same id.
inline constexpr std::uint32_t kCancelCommand = 2;

// The three messages the page handler acts on; every other one is Other.
enum class DialogMessage : std::uint8_t { Init, Command, Destroy, Other };

// Receives the messages of whichever page is open. Returns true when it handled one.
class DialogHandler {
 public:
  virtual bool OnMessage(DialogWindow page, DialogMessage message, std::uint32_t controlId,
                         std::uint32_t notifyCode) = 0;

 protected:
  ~DialogHandler() = default;
};

class Pages {
 public:
  // Start-up: the common controls the pages use, and the module whose resources hold them.
  virtual void InitCommonControls() = 0;
  virtual ModuleHandle GetModuleHandle() = 0;

  // ShowPage runs a modal dialog from the named template and returns when it ends.
  virtual void ShowPage(ModuleHandle module, const char* templateName, DialogHandler& handler) = 0;
  virtual void EndDialog(DialogWindow page, int result) = 0;
  virtual void SetCheck(DialogWindow page, int controlId, bool checked) = 0;
  virtual void SetControlText(DialogWindow page, int controlId, const char* text) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;

 protected:
  ~Pages() = default;
};

}  // namespace lull
