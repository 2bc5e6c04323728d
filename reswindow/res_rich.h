// CResRichEdit: one res window of the control, the emulator screen on which
// host responses are written and the agent types entries after the SOM.
//
// The screen is a rich-edit text whose rows hold 64 characters: a row that
// would grow past column 64 ends with a wrap marker and goes on in the next
// row. An entry is the text after the last SOM before the caret; a submitted
// entry is followed by the pending mark until its response is shown.
//
// Every operation runs inside a catch-all guard: a failure ends it quietly,
// with its failure value, and nothing is logged.
#pragma once

#include <string>
#include <string_view>

#include "diagnostics/error_log.h"
#include "platform/bstr.h"
#include "platform/win_types.h"
#include "reswindow/res_window_host.h"
#include "reswindow/rich_edit20_ctrl.h"

namespace zv {
namespace platform {
class Archive;
}

class CResRichEdit : public CRichEdit20Ctrl {
 public:
  // Marks in the screen text.
  static constexpr char kSom = '>';
  static constexpr char kPendingMark = '<';
  static constexpr char kHostLineSeparator = '|';
  static constexpr char kFormFeed = '\x0C';
  // Screen geometry and limits.
  static constexpr int kRowWidth = 64;
  static constexpr LONG kMaxLinesBeforeResponse = 350;
  static constexpr LONG kLinesKeptAfterTrim = 250;
  static constexpr std::size_t kMaxEntryLength = 1020;
  static constexpr std::size_t kPageCharacters = 960;  // 15 rows of 64
  static constexpr int kPageRowsPadded = 14;
  // Context menu commands of the clipboard.
  static constexpr UINT kCutCommand = 0xE123;
  static constexpr UINT kCopyCommand = 0xE122;
  static constexpr UINT kPasteCommand = 0xE125;
  // Engines from this version on get the tab-and-return wrap marker.
  static constexpr DWORD kTabMarkerRichEditVersion = 0x0005001E;

  CResRichEdit() = default;
  ~CResRichEdit() override;

  // Set by the control right after it created the window.
  void Attach(IResWindowHost* host, short window);
  short GetWindowNumber() const { return m_nWindow; }

  // ---- Operations the control calls -------------------------------------------------------
  // Writes text at the end of the screen in 64-column rows, then submits it
  // as an entry (the HostEntry method).
  void DisplayHostEntry(const std::string& text);
  // Types text at the caret without submitting it (the ScreenInput method).
  void InsertScreenInput(const std::string& text);
  // The Enter path: `text` is the screen text up to the caret, `source` the
  // window on which Enter was pressed. TRUE when the entry went to the host
  // from this window.
  BOOL SubmitEntry(std::string text, CResRichEdit* source);
  // Extracts, checks and offers the entry in `text` (in: screen text, out:
  // the cleaned entry). FALSE when nothing was sent.
  BOOL DispatchEntry(std::string& text, CResRichEdit* source);
  // Replaces `text` by the cleaned entry after its last SOM (or after the
  // pending mark while requests are in flight); false without a SOM.
  bool ExtractEntry(std::string& text);
  // The text from the start to the end of the selection.
  void GetTextToCaret(std::string& out);
  // Shows one host response: two control characters (command and row),
  // then the text. `length` is not used.
  void DisplayResponse(const std::string& response, int length);
  // The host-style clear: scrolls old text out of view.
  void ClearScreen(BOOL writeSom, BOOL padToPage);
  // Re-breaks the input into 64-column rows after an edit (empty text), or
  // inserts a block of text in 64-column rows.
  void RewrapInput(const std::string& text);
  // The last response as a fixed page of 15 rows of 64 characters.
  std::string FormatScreenText() const;
  // Saves the screen (its last 300 lines) as RTF into the archive, or loads
  // it from the rest of the archive. A stream error throws
  // platform::FileException with the stream's error code; any other failure
  // ends the operation quietly.
  void Serialize(platform::Archive& ar);

  // WM_KEYDOWN and WM_KEYUP with the key, through the key handler.
  void SendVirtualKey(UINT vk);

  void SetInputColor(COLORREF color);
  void SetResponseColor(COLORREF color);
  void SetBackColor(BOOL useSystemColour, COLORREF color);
  // The agent's input colour on the selection (or what is typed next).
  void ApplyInputFormat();
  // A caret sized to the font, shown; nothing when onlyIfFocused is TRUE
  // and the window does not have the focus. `site` has no effect.
  void RefreshCaret(int site, BOOL onlyIfFocused);
  // Rows of the current font that fit in the client area.
  int GetPageLineCount();
  void StartClockTimer();
  HWND GetWindowHandle() const { return handle(); }
  // F5: the next older entry of the history on a new SOM line.
  void RecallEntry();

  // Prints the window (res_rich_print.cpp): with a selection of more than
  // one character its lines, across pages; otherwise one page from the
  // first visible line to the end.
  void Print();

  // Pastes the clipboard's text at the caret, upper case, in the row.
  void PasteFromClipboard();

  // Face name and point size of the current selection.
  std::string GetFontName() const;
  int GetFontSize() const;

  // Answers an entry that starts with the local-command mark 0xDF (VER,
  // COLON, FONTSIZE, FONT, HELP); non-zero when it was one, 0 when the
  // entry is for the host.
  BOOL LocalCommand(const std::string& entry);

  // The selection restored when the window gets the focus.
  void RememberSelection();
  void RestoreSelection();

  CHARRANGE GetSel() const;
  void SetSel(LONG start, LONG end);
  void SetSel(const CHARRANGE& range) { SetSel(range.cpMin, range.cpMax); }
  void SetCaretToEnd();

  short GetResponseMode() const { return m_nResponseMode; }
  void SetResponseMode(short mode) { m_nResponseMode = mode; }

  // ---- Message handlers ------------------------------------------------------------------
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  // WM_DEADCHAR and WM_SYSDEADCHAR.
  void OnDeadChar(UINT nChar, UINT nRepCnt, UINT nFlags);

  // ---- Keyboard mapping (keyboard/res_rich_keyboard.cpp) ------------------------------------
  // Creates the process's keyboard-mapping component when it is missing;
  // its failure code when it cannot. The caller logs the failure.
  HRESULT InitalizeKeyboardMapping();
  // The component's calls. Each returns the component's HRESULT and logs a
  // failure; out-strings go to the caller, who frees them (none on failure).
  // The first three create the component when it is missing.
  HRESULT Internal_GetKeyboardCode(BSTR* code);
  HRESULT Internal_GetKeyboardName(BSTR code, BSTR* name);
  // `loaded`: the component's answer widened with its sign (TRUE is -1).
  HRESULT Internal_LoadKeyboardMapping(BSTR path, LONG* loaded);
  HRESULT Internal_GetLoadedMappingShortName(BSTR* name);
  HRESULT Internal_GetLoadedMappingName(BSTR* name);
  HRESULT Internal_GetCurrentKeyboardCode(BSTR* code);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  LRESULT OnCreate();
  void OnSetFocus(HWND previous);
  void OnKillFocus();
  void OnCaptureChanged();
  void OnTimer(WPARAM id);
  void OnLButtonDown(WPARAM wparam, LPARAM lparam);
  // ---- Context menu (res_rich_menu.cpp) -----------------------------------------------------
  // The context menu, unless TWA is on.
  void OnRButtonUp(WPARAM wparam, LPARAM lparam);
  // The context menu's commands: the clipboard, macro submenu scrolling
  // (which opens the menu again) and the macros, which run through
  // DriveMacro. Every command then gets default processing.
  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  // ---- Keys (res_rich_keys.cpp) -------------------------------------------------------------
  // The key-down table; false when the key gets default processing.
  bool HandleKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags, int modifiers);
  void OnEnter(int modifiers);
  // The entry from the last SOM before the caret, highlighted in place.
  void HighlightEntry(CBrimlux& highlighter);
  void OnEscape(int modifiers);
  void OnBackspace(int modifiers);
  void OnInsertKey(UINT nRepCnt, UINT nFlags, int modifiers);
  void OnHome();
  // Tab and Shift+Tab: the caret after the next / previous "(".
  void NextField();
  void PreviousField();
  // Default processing that keeps the caret inside its 64-column row.
  void DefaultWithRowLimit(UINT nChar, UINT nRepCnt, UINT nFlags);
  // Writes a fixed host entry at the caret and submits it.
  void SendFixedEntry(std::string_view text, bool ctrlUp);
  // Hands the key-down to the control's message pre-translation.
  void PreTranslateToControl(UINT nChar, UINT nRepCnt, UINT nFlags);
  // F6: today's date as "04DEC".
  void WriteDate();
  // Ctrl+F6: repeated lines of the visible page removed.
  void RemoveRepeats();
  // Sends WM_CHAR with `code` to this window and drops the key's own
  // character message.
  void SendCharInsteadOfKey(UINT code);

  // ---- Characters (res_rich_chars.cpp) -------------------------------------------------------
  // The plain vowel for the character of the key after a dead key, 0 to drop it, or `code`.
  UINT ComposeAfterDeadKey(UINT code);
  // Insert mode: opens `blanks` blanks at the caret; returns how many it opened.
  int OpenRoom(int blanks);
  // Overtype at column 63 or beyond.
  void PrepareOvertypeRowEnd();
  void PrepareGEntryRowEnd();
  // The macro-key steps: reflect the key and ask the container to run the
  // macro bound to `keyName` in `folder`.
  void RunMacroKey(const std::string& keyName, const std::string& folder, UINT ch, int flags);
  // Writes a substituted text ("4P", "4PLF", "4PLFB") over `room` opened blanks.
  void WriteSubstitutedText(std::string_view text, int room, int modifiers);
  // The keyboard-mapping component's step for a typed character (`received`
  // as delivered): false when the character is finished with; else `code`
  // and `keyData` are what is to be written.
  bool MapTypedKey(UINT received, int modifiers, int room, UINT& code, UINT& keyData);
  // Gives the engine the character (`code` below 0x80, else the message as
  // received) and reflects it.
  void WriteCharacter(UINT code, UINT nChar, UINT nRepCnt, UINT keyData, UINT nFlags);

  // Default processing of a message by the rich-edit engine.
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) { return DefWindowProc(message, wparam, lparam); }

  // Text at the end in 64-column rows (the first step of DisplayHostEntry).
  void WriteTextAtEnd(std::string_view text);
  void InsertAtCaret(std::string_view text);
  void InsertBlock(std::string_view text);
  void RebreakInput();
  // The two directions of Serialize; each answers the stream's error code.
  DWORD StoreScreen(platform::Archive& ar);
  DWORD LoadScreen(platform::Archive& ar);
  // Inserts a blank at the caret and pushes each row's overflow down.
  void InsertBlank();
  void RemovePendingMark();
  void ApplyResponseFormatAtEnd();
  // Adds an entry that goes on to the host to the history, unless it equals
  // the entry at the recall position; the position goes back to the newest.
  void AddEntryToHistory(const std::string& entry);
  void AddSubmittedEntryToHistory(const std::string& entry);
  void UpdateGEntryFlag(const std::string& entry);
  // The character-input flags back to their start values.
  void ResetCharacterInput();
  // The character after the caret of the current selection; '\0' at the end.
  char CharAfterCaret() const;
  // Sends the control's window the messages of a click at (1, 1), so the
  // container activates the control.
  void ActivateControl();

  // ---- Screen helpers ----------------------------------------------------------------------
  std::string_view WrapMarker() const;
  // The wrap marker as the engine reads it back.
  std::string_view WrapMarkerReadBack() const;
  // With more than kMaxLinesBeforeResponse lines, deletes all lines before
  // the last kLinesKeptAfterTrim - 1 but the last line break.
  void TrimOldLines();
  // End of text: first position of the last line plus that line's length.
  LONG GetTextEnd() const;
  LONG LineStartOf(LONG pos) const;
  LONG GetLastVisibleLine();
  // Line height in pixels of the selection's point size.
  LONG GetLineHeight() const;
  void SetRedraw(bool on);
  // Current window of its frame (either frame's in the two-frame layout).
  bool IsFrameCurrent() const;
  // Ctrl = 1, Shift = 2 by the keyboard state's bytes: non-zero is down.
  static int ModifierMask();
  // The ESC-once flag of this window's queue.
  BYTE& EscOnceFlag();
  // InputReflect of a key with the modifier mask.
  void ReflectKey(UINT key, int modifiers);

  // Field order and start values are those of the window's definition.
  IResWindowHost* m_pCtrl = nullptr;
  short m_nResponseMode = 0;
  short m_nWindow = 0;
  std::string m_strLastResponse;
  COLORREF m_crBack = 0x00FF0000;
  COLORREF m_crInput = 0x00FFFFFF;
  COLORREF m_crResponse = 0x0000FFFF;
  int m_nColumns = kRowWidth;
  int m_nRows = 15;
  int m_nRecallPos = 0;
  int m_nFirstInsert = -1;
  BYTE m_bReady = 1;
  BYTE m_bColon = 1;
  BYTE m_bEscOnce = 0;
  BYTE m_abEscOnce[11] = {};
  UINT_PTR m_nTimerId = 0;
  // Character input. G-entries fill rows by their own rules; the first
  // character typed at a row end of the entry is prepared differently from
  // the later ones.
  BYTE m_bGEntry = 0;
  BYTE m_bFirstRowEnd = 1;
  // A dead character was delivered; the key after it and the character
  // messages counted since.
  BYTE m_bDeadKeySeen = 0;
  UINT m_nKeyAfterDeadKey = 0;
  int m_nCharsAfterDeadKey = 0;
  // The character of the key that the key-down handler has dealt with: the
  // key's own character message is dropped.
  UINT m_nConsumedChar = 0;
  // Re-breaking: set on the first re-break after Enter, with the first
  // position of the entry's first row.
  bool m_bRewrapStarted = false;
  LONG m_nRewrapEntryStart = 0;
  LONG m_nSelStart = 2;
  LONG m_nSelEnd = 2;
  CErrorLog m_errorLog;
};

}  // namespace zv
