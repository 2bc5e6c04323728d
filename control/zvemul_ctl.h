// CZVEmulCtrl: the reservation-terminal control. It owns the ten res
// windows, the tab strips and the status bar, the entry history and request
// queues, and the fonts and colours of the windows; containers drive it
// through its automation table and hear from it through five events.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "control/request_queues.h"
#include "control/zvemul_surface.h"
#include "diagnostics/error_log.h"
#include "highlight/brimlux.h"
#include "macros/macro_array.h"
#include "platform/automation.h"
#include "platform/common_controls.h"
#include "platform/object_registry.h"
#include "platform/window.h"
#include "reswindow/input_recall.h"
#include "reswindow/res_rich.h"
#include "reswindow/res_window_host.h"

namespace zv {

class CWindowOrder;
class CWindowTabDialog;

// Shared by every control of the process: the TWA property and the
// WindowCount property minus one (every constructor sets it to 9).
extern BOOL g_twa;
extern short g_windowCountLess1;

class CZVEmulCtrl final : public platform::ComObject<IZVEmulControl>,
                          public platform::Window,
                          public IResWindowHost {
 public:
  static constexpr int kWindowCount = 10;
  static constexpr int kColorAttributes = 4;
  static constexpr int kQueueLimit = CRequestQueues::kQueueLimit;
  static constexpr int kHistoryCapacity = 50;
  static constexpr UINT kStatusBarId = 1001;
  static constexpr UINT kFirstResWindowId = 100;
  // Caption of the control's message boxes.
  static constexpr char kMessageCaption[] = "ZVEmul";

  CZVEmulCtrl();

  // ---- IZVEmulControl ---------------------------------------------------------------------
  platform::DispatchTable& Automation() override { return m_dispatch; }
  const platform::TypeLibraryInfo& TypeLibrary() override;
  bool CreateControlWindow(platform::Window* parent, const RECT& rect) override;
  void DestroyControlWindow() override;
  platform::Window* ControlWindow() override { return this; }
  void SetSite(ContainerSite* site) override { m_site = site; }
  void LoadProperties(const PropertyBag& bag) override;
  PropertyBag SaveProperties() override;
  bool IsModified() override { return m_modified; }
  ControlView View() override;

  // ---- Automation properties ----------------------------------------------------------------
  std::string GetPersistDir() const { return m_persistDir; }
  short GetCurrentWindowProperty() const { return GetCurrentWindow(); }
  void SetCurrentWindowProperty(short window);
  std::string GetDefaultFont() const { return m_fontName; }
  void SetDefaultFont(const std::string& name);
  BOOL GetTWA() const override { return g_twa; }
  void SetTWA(BOOL value);
  BOOL GetMHA() const;
  void SetMHA(BOOL value);
  BOOL GetInsertMode() const override { return m_insertOn; }
  void SetInsertMode(BOOL value);
  short GetWindowCount() const { return static_cast<short>(g_windowCountLess1 + 1); }
  void SetWindowCount(short count);
  short GetDefaultFontSize() const { return static_cast<short>(m_fontSize); }
  void SetDefaultFontSize(short size);
  platform::OLE_COLOR GetColor(short window, short attribute) const;
  void SetColor(short window, short attribute, platform::OLE_COLOR color);
  short GetResponseMode(short window) const;
  void SetResponseMode(short window, short mode);
  // MacroKey: the macro bound to a keystroke; binding marks the control modified.
  std::string GetMacroKey(const std::string& keystroke) const { return LookupMacroKey(keystroke); }
  void SetMacroKey(const std::string& keystroke, const std::string& macroName);

  // ---- Automation methods --------------------------------------------------------------------
  BOOL HostEntry(short window, const std::string& data);
  void ClearScreen(short window);
  BOOL ScreenInput(short window, const std::string& data);
  short DataSourceResponse(const std::string& data);
  std::string ReadScreen();
  BOOL SendKey(short window, short key, short flags, short repeat);
  // The layout toggle: 0 toggles, 1 and 2 toggle with that frame active, 3
  // asks for two frames and 4 for one.
  void Resize(short nFrame);
  // The printer-setup dialog; the choice is kept as the application's
  // printer settings, which every print starts from.
  void PrintSetUp();
  void HideWindow(short window, BOOL clearData, BOOL minimize);
  short OpenWindow(short window);
  void RenameWindow(short window, const std::optional<std::string>& name);
  void SetCommText(const std::string& text);
  void SetScriptText(const std::string& text);
  void SetScriptStatusText(const std::string& text);
  LONG GetCurrentHWND();
  void CreateSessionQueue(short sessions, const std::string& mappings);
  void AboutBox();

  // ---- Keyboard mapping (keyboard/zvemul_keyboard.cpp) --------------------------------------
  // TRUE whether or not the keyboard-mapping component could be created.
  BOOL InitKeyboardMapping();
  std::string GetKeyboardCode();
  std::string GetKeyboardName(const std::string& layoutCode);
  // The component's answer: TRUE as -1 when the mapping is in force.
  BOOL LoadKeyboardMapping(const std::string& path);
  // The loaded mapping's name; its short name goes to status bar part 4.
  std::string GetCurrentKeyboardName();
  std::string CurrentMappingLoaded();
  std::string GetCurrentKeyboardCode();

  // ---- IResWindowHost: what the res windows call -------------------------------------------
  void FireHostResponse(short window, short type, const std::string& text) override;
  void FireInputReflectText(const std::string& text, short flags) override;
  void FireInputReflectChar(short ch, short flags) override;
  void FireInputReflect(short window, short type, short ch, const std::optional<std::string>& text,
                        short flags) override;
  void FireDriveMacro(const std::string& text) override;
  void FireUSMGRequest() override;
  int ShowMessage(const std::string& text, UINT type = MB_OK) override;
  void OfferEntry(const std::string& text, short window, bool typedHere) override;
  // Submits the current window's entry in the other frame's window.
  void CopyEntryToOtherFrame() override;
  // Writes the current window's entry in window n and submits it there.
  void SendEntryToWindow(short n) override;
  // Submits the current window's entry for window n (n < 0: the other
  // frame's current window).
  void MarkEntryForWindow(short n) override;
  // The control's message pre-translation, of the keys on their way to its
  // windows and of those a res window hands to it: Ctrl+P prints the current
  // window, the office macro keys Ctrl+Shift+A and Ctrl+Shift+C, the
  // context-menu key opens the menu, then the container's accelerators for
  // a key handed to the control's own window.
  // True when handled.
  bool PreTranslateMessage(const MSG& msg) override;
  int RequestsInFlight() override;
  void EmptyCurrentQueue() override;
  int CurrentQueueSession() const override;
  int OutstandingEntries() const override { return m_outstandingEntries; }
  void ResetAwaitingResponses() override { m_awaitingResponses = 0; }
  void ResponseShown() override {
    if (m_awaitingResponses > 0) --m_awaitingResponses;
  }
  CInputRecall* EntryHistory() override { return m_entryHistory.get(); }
  CBrimlux* Highlighter() override { return m_highlightingOn ? &m_brimlux : nullptr; }
  short GetCurrentWindow() const override;
  void SetActiveFrameFromWindow(short window) override;
  bool IsCurrentInFrame(short window) const override;
  int FrameLayout() const override { return m_layout; }
  int PageLines() const override { return m_pageLines; }
  void SetPageLines(int lines) override { m_pageLines = lines; }
  void UpdateClock() override;
  bool InsertKeyEnabled() const override { return m_insertKeyEnabled != FALSE; }
  void ToggleInsertState() override;
  bool CtrlKeySeen() const override { return m_ctrlKeySeen; }
  void SetCtrlKeySeen(bool seen) override { m_ctrlKeySeen = seen; }
  double OsVersion() const override { return m_osVersion; }
  DWORD RichEditVersion() const override { return m_richEditVersion; }
  // The macro folders: the per-user folder and "Personal Macros/" or
  // "Office Macros/".
  std::string GetPersonalDir() const override;
  std::string GetOfficeDir() const override;
  std::string LookupMacroKey(const std::string& keyName) const override;
  // The keyboard mapping's name, shown in status bar part 4.
  void SetKeyboardName(const std::string& name) override;

  // ---- Operations of the window set ------------------------------------------------------------
  // Offers an entry to the host: sent at once, queued, or refused.
  void QueueRequest(const std::string& text);
  void NextWindow();
  void PreviousWindow();
  // Copies (or cuts) the current window's selection as plain text.
  void CopySelectionToClipboard(BOOL cut) override;
  void PasteInCurrentWindow() override;
  // The context menu (control/zvemul_menu.cpp): Cut, Copy and Paste, then
  // the personal and office macro submenus at their pages, shown at the
  // pointer for the first window of the active frame; or one submenu alone
  // after a scroll command.
  void BuildMacroMenu() override;
  void ScrollMacroMenu(UINT command) override;
  void SetCurrentWindow(short window);
  void SwitchToWindow(short window);
  void SetFonts(const std::string& name, int size) override;

 protected:
  ~CZVEmulCtrl() override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  struct Colors {
    std::array<COLORREF, kColorAttributes> attribute;
  };

  // ---- Window lifecycle -------------------------------------------------------------------
  int OnCreate();
  void OnSize(int width, int height);
  void OnDestroy();
  void OnSetFocus();
  void CreateTabStrips();
  // (Re)creates one strip from dialog 66.
  void CreateTabStrip(std::unique_ptr<CWindowTabDialog>& strip, WORD tabs, bool odd, bool all);
  // (Re)creates the status bar for a client of width x height.
  void CreateStatusBar(int width, int height);
  // The settings file ZVEMUL.DAT (control/zvemul_settings.cpp).
  void LoadSettings();
  void SaveSettings();
  // Stores the settings record or loads it, showing the message of each
  // section that fails to load.
  void Serialize(platform::Archive& ar);
  // Initialises the highlighting engine; FALSE when it cannot.
  BOOL InitHighlighting();

  // ---- Window set -------------------------------------------------------------------------------
  void LayoutChildren(int width, int height);
  void ShowInFrame(short window, int frame);
  CResRichEdit* CurrentResWindow() const;
  // The window current in frame 1 (slot 0) or frame 2 (slot 1).
  CResRichEdit& FrameResWindow(std::size_t slot) const;
  bool IsWindowHidden(short window) const;
  CResRichEdit* ResWindow(short window) const;  // null outside 1..10
  // Window number current in the frame that is not active.
  short OtherFrameWindow() const;
  // Makes the inactive frame's window current (when `both`), then the
  // active frame's, so that the active one ends focused.
  void ShowFrameWindows(bool both);
  int CurrentWindowIndex() const;
  // The res window a Window argument names (0: the current one); null when refused.
  CResRichEdit* AddressedWindow(short window) const;

  // Ctrl+P (Ctrl down, Shift up) going down: reflected, then the current
  // window prints. True when the message was that key.
  bool TranslateControlKey(const MSG& msg);

  // ---- Host traffic -------------------------------------------------------------------------

  // GetCurrentKeyboardName and CurrentMappingLoaded, logging as `function`.
  std::string CurrentKeyboardName(const char* function);

  void SetModifiedFlag();
  void SetStatusText(int part, const std::string& text);
  std::string InsertStateText() const { return m_insertOn ? "INS" : "OVR"; }

  platform::DispatchTable m_dispatch;
  ContainerSite* m_site = nullptr;
  bool m_modified = false;

  // Fields in the order of the control's definition.
  // Never created as a window: the automation methods reach the
  // keyboard-mapping component through its wrappers.
  CResRichEdit m_keyboardWindow;
  CErrorLog m_errorLog;
  std::array<std::unique_ptr<CResRichEdit>, kWindowCount> m_resWindows;
  std::unique_ptr<CInputRecall> m_entryHistory;
  CRequestQueues m_requestQueues;
  std::array<std::unique_ptr<CWindowTabDialog>, 2> m_frameTabs;
  std::unique_ptr<CWindowTabDialog> m_allTabs;
  std::unique_ptr<platform::StatusBarWindow> m_statusBar;
  std::unique_ptr<CWindowOrder> m_windowOrder;
  std::unique_ptr<CMacroArray> m_macroArray;
  bool m_bulkUpdate = false;
  // Set when the Control key goes down in a res window (its key handling).
  bool m_ctrlKeySeen = false;
  bool m_recordOrder = true;
  bool m_restoreAfterResponse = false;
  bool m_responsePending = false;
  BOOL m_insertKeyEnabled = TRUE;
  BOOL m_insertOn = FALSE;
  BOOL m_highlightingOn = FALSE;
  CBrimlux m_brimlux;
  std::string m_persistDir;
  std::string m_scriptStatusText;
  std::string m_scriptText;
  std::string m_commText;
  double m_osVersion = 0;
  int m_outstandingEntries = 0;
  int m_pageLines = 0;
  LOGFONT m_logFont;
  DWORD m_richEditVersion = 0;
  WORD m_activeFrame = 1;
  WORD m_responseWindow = 1;
  WORD m_layout = 2;
  std::array<WORD, 2> m_frameWindow = {0, 1};
  std::array<WORD, 2> m_frameShown = {0, 1};
  std::string m_eventText;
  std::array<std::string, kWindowCount> m_screenFiles;
  short m_clientWidth = 0;
  short m_clientHeight = 0;
  bool m_ready = true;
  std::string m_fontName;
  WORD m_fontSize = 10;
  std::array<Colors, kWindowCount> m_colors;
  std::string m_macroText;
  // Macro submenu paging: the first macro shown of each submenu, and which
  // menu the next opening shows (1 the whole menu, 2 personal, 3 office).
  int m_personalMenuTop = 1;
  int m_officeMenuTop = 1;
  int m_menuToShow = 1;
  int m_awaitingResponses = 0;
  std::optional<std::string> m_keyboardName;
};

}  // namespace zv
