// IResWindowHost: what a res window needs from the control that owns it.
// The control implements it; a res window knows nothing else of the
// control, so reswindow/ does not depend on control/.
#pragma once

#include <optional>
#include <string>

#include "platform/win_types.h"

namespace zv {
namespace platform {
class Window;
}

class CBrimlux;
class CInputRecall;

class IResWindowHost {
 public:
  // ---- Events out -------------------------------------------------------------------------------
  virtual void FireHostResponse(short window, short type, const std::string& text) = 0;
  virtual void FireInputReflectText(const std::string& text, short flags) = 0;
  virtual void FireInputReflectChar(short ch, short flags) = 0;
  virtual void FireInputReflect(short window, short type, short ch, const std::optional<std::string>& text,
                                short flags) = 0;
  virtual void FireDriveMacro(const std::string& text) = 0;
  virtual void FireUSMGRequest() = 0;
  // A message box with the control's caption and the buttons of `type`.
  virtual int ShowMessage(const std::string& text, UINT type = MB_OK) = 0;

  // ---- Entry routing ----------------------------------------------------------------------------
  // Offers an entry of window `window` (1..10) to the host. `typedHere`: the
  // window is the one Enter was pressed on, so its response comes back to it.
  virtual void OfferEntry(const std::string& text, short window, bool typedHere) = 0;
  virtual void CopyEntryToOtherFrame() = 0;
  virtual void SendEntryToWindow(short n) = 0;
  virtual void MarkEntryForWindow(short n) = 0;
  // The control's message pre-translation; TRUE when handled.
  virtual bool PreTranslateMessage(const MSG& msg) = 0;

  // ---- Queue and response state -----------------------------------------------------------------
  // Requests in flight in the current window's queue.
  virtual int RequestsInFlight() = 0;
  // Escape twice: the current window's queue emptied.
  virtual void EmptyCurrentQueue() = 0;
  // The session whose queue the current window uses: 0 for a window no
  // mapping names, -1 while there is one queue for all windows.
  virtual int CurrentQueueSession() const = 0;
  // Entries handed to the container whose responses have not come back.
  virtual int OutstandingEntries() const = 0;
  virtual void ResetAwaitingResponses() = 0;
  // A response was shown: one entry fewer awaits its response.
  virtual void ResponseShown() = 0;
  virtual CInputRecall* EntryHistory() = 0;
  // The highlighting engine while highlighting is on, else null.
  virtual CBrimlux* Highlighter() = 0;

  // ---- Window set and insert state --------------------------------------------------------------
  virtual platform::Window* ControlWindow() = 0;
  virtual short GetCurrentWindow() const = 0;
  virtual void SetActiveFrameFromWindow(short window) = 0;
  // True when window `window` (1..10) is current in its frame (in either
  // frame with two frames shown).
  virtual bool IsCurrentInFrame(short window) const = 0;
  // 1 for one frame, 2 for two.
  virtual int FrameLayout() const = 0;
  // Rows of a page, as the last clear measured them.
  virtual int PageLines() const = 0;
  virtual void SetPageLines(int lines) = 0;
  virtual void UpdateClock() = 0;
  virtual BOOL GetInsertMode() const = 0;
  virtual bool InsertKeyEnabled() const = 0;
  virtual void ToggleInsertState() = 0;
  // Set when Control goes down in a res window, cleared when used.
  virtual bool CtrlKeySeen() const = 0;
  virtual void SetCtrlKeySeen(bool seen) = 0;

  // ---- Clipboard and context menu ------------------------------------------------------------
  // Builds the context menu with its macro submenus and shows it.
  virtual void BuildMacroMenu() = 0;
  // Copies (or cuts) the current window's selection as plain text.
  virtual void CopySelectionToClipboard(BOOL cut) = 0;
  // The current window pastes the clipboard's text.
  virtual void PasteInCurrentWindow() = 0;
  // A macro submenu's scroll command (101 to 104): its page moves and the
  // next menu shown is that submenu alone.
  virtual void ScrollMacroMenu(UINT command) = 0;

  // ---- Settings and folders ---------------------------------------------------------------------
  virtual BOOL GetTWA() const = 0;
  virtual double OsVersion() const = 0;
  // The rich-edit engine's version (major << 16 | minor); 0 when unknown.
  virtual DWORD RichEditVersion() const = 0;
  virtual std::string GetPersonalDir() const = 0;
  virtual std::string GetOfficeDir() const = 0;
  // The macro bound to a key name such as "Shift+B"; empty when unbound.
  virtual std::string LookupMacroKey(const std::string& keyName) const = 0;
  virtual void SetKeyboardName(const std::string& name) = 0;
  // The face and point size of every res window (the local commands FONT
  // and FONTSIZE).
  virtual void SetFonts(const std::string& name, int size) = 0;

 protected:
  ~IResWindowHost() = default;
};

}  // namespace zv
