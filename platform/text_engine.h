// The text engine behind every res window and hidden formatting control: an
// 8-bit text with a selection, per-character formats, a line-based view and
// the default key processing of a rich-edit control, without any window.
//
// Positions count characters. A paragraph end is one position, stored as one
// byte: '\r' for an ordinary end, read back as "\r\n", and '\n' for the break
// that reads back as "\r\r\n" (the encoding of FormattedText). Lines are
// paragraphs; nothing wraps. After the text stands the engine's final
// paragraph mark, position TextLength(), which is not part of the text: only
// a selection can reach past it (selecting all ends at TextLength() + 1), no
// caret stands after it and no edit removes it.
//
// Costs: characters and format ids live in parallel gap buffers and line
// starts in a LineIndex, so an edit costs its own size plus the lines it
// touches, and position/line look-ups are O(log lines).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/char_format.h"
#include "platform/format_table.h"
#include "platform/gap_buffer.h"
#include "platform/line_index.h"
#include "platform/services.h"
#include "platform/win_types.h"

namespace zv::platform {

class TextEngine {
 public:
  // What changed, as bits of the value handed to the change listener.
  static constexpr unsigned kTextChanged = 1u << 0;
  static constexpr unsigned kSelectionChanged = 1u << 1;
  static constexpr unsigned kFormatChanged = 1u << 2;  // character formats, the default format
  static constexpr unsigned kViewChanged = 1u << 3;    // scrolling, heights, hidden selection, background
  using ChangeListener = std::function<void(unsigned changes)>;

  TextEngine();
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  // ---- Text and lines ----------------------------------------------------
  // Number of positions before the final paragraph mark.
  LONG TextLength() const noexcept;
  // Paragraph ends + 1: a text ending in a paragraph end has an empty last line.
  LONG LineCount() const noexcept;
  // Line holding `pos`; a negative position means the start of the
  // selection, a position past the text the last line.
  LONG LineFromChar(LONG pos) const noexcept;
  // First position of `line`; -1 is the caret line; -1 when out of range.
  LONG LineStart(LONG line) const noexcept;
  // Length without the paragraph end of the line holding `pos`; 0 past the
  // text. -1: the characters of the lines the selection touches that are not
  // selected (with a caret, the length of its line).
  LONG LineLength(LONG pos) const noexcept;

  // Read-back form: "\r\n" and "\r\r\n" for the two paragraph ends. Ranges
  // are clamped to the text; an end of -1 means the end of the text. The
  // final paragraph mark is never part of it.
  std::string Text() const;
  std::string TextRange(LONG start, LONG end) const;
  std::string SelectedText() const;

  // Stored form for drawing and for RTF output: the byte at `pos` ('\r' and
  // '\n' are paragraph ends) and its format; outside the text '\0' and the
  // default format.
  char CharAt(LONG pos) const noexcept;
  // The last position in [from, to) holding `c` (clamped to the text), or
  // -1: a search of the buffer's memory, not one character at a time.
  LONG FindLastChar(char c, LONG from, LONG to) const noexcept;
  const CharFormat& FormatAt(LONG pos) const noexcept;
  FormattedText FormattedRange(LONG start, LONG end) const;

  // ---- Selection and editing --------------------------------------------
  // Start and end of the selection, start <= end.
  CHARRANGE Selection() const noexcept;
  // The moving end of the selection, where the caret is drawn (at most
  // TextLength()).
  LONG CaretPosition() const noexcept { return static_cast<LONG>(CaretInText()); }
  // Selection as a rich-edit control takes it: a negative end selects to
  // past the final mark, so (0, -1) selects all; a negative start with
  // another end collapses the selection to its end; equal ends outside the
  // text, or a start past it, give the caret at the end of the text; an end
  // past the text stops past the final mark; a reversed range is put in
  // order and ends at its larger position. Does not scroll (ScrollCaret).
  void SetSelection(LONG cp_min, LONG cp_max);
  void SetSelection(const CHARRANGE& range) { SetSelection(range.cpMin, range.cpMax); }

  // Replaces the selection by `text` in read-back form: "\r\r\n" becomes a
  // break, "\r\n", a lone '\r' and a lone '\n' an ordinary paragraph end.
  // The text takes the insertion format; the caret ends after it and is
  // scrolled into view, as after every edit. False when memory ran out
  // (nothing changed).
  bool ReplaceSelection(std::string_view text);
  // Replaces the selection by stored-form text with its own formats. Runs
  // short of the text leave the rest in the insertion format, as does a run
  // whose format finds no free format id.
  bool ReplaceSelection(const FormattedText& text);
  // Removes the selected characters (never the final mark).
  bool DeleteSelection();

  // ---- Character formats -------------------------------------------------
  // The format of the selection, or the insertion format when no character
  // is selected; the result has the mask bits of the attributes that are
  // the same over the whole selection. Records of 60 (CHARFORMATA, no
  // background) and 84 bytes are told apart by cbSize; any other size
  // returns 0 and leaves the record alone. Returns the mask.
  DWORD GetSelectionCharFormat(CHARFORMAT2A& record) const;
  DWORD GetSelectionCharFormat(CHARFORMATA& record) const;
  // Changes the attributes in the record's mask on the selected characters,
  // or on the insertion format when none is selected. False for a record
  // of another size, or when more distinct formats would be alive than
  // format ids exist.
  bool SetSelectionCharFormat(const CHARFORMAT2A& record);
  bool SetSelectionCharFormat(const CHARFORMATA& record);
  // All text, the insertion format and the default format (SCF_ALL).
  bool SetAllCharFormat(const CHARFORMAT2A& record);
  bool SetAllCharFormat(const CHARFORMATA& record);
  // The default format (SCF_DEFAULT): what text typed at position 0 takes,
  // and the font the default line height comes from.
  bool SetDefaultCharFormat(const CHARFORMAT2A& record);
  bool SetDefaultCharFormat(const CHARFORMATA& record);
  DWORD GetDefaultCharFormat(CHARFORMAT2A& record) const;
  const CharFormat& DefaultFormat() const noexcept;
  // Format of the selection with the mask of attributes that do not vary.
  DWORD SelectionFormat(CharFormat& out) const;
  // Distinct formats currently interned (diagnostics).
  std::size_t FormatCount() const noexcept { return table_.size(); }

  // ---- View ---------------------------------------------------------------
  void SetClientHeight(LONG pixels);
  LONG ClientHeight() const noexcept { return client_height_; }
  // A positive height overrides the one of the default font,
  // ceil(points * 20 / 12.9) pixels; 0 goes back to it.
  void SetLineHeight(LONG pixels);
  LONG LineHeight() const noexcept;
  // Whole lines in the client area, at least 1.
  LONG VisibleLineCount() const noexcept;
  LONG FirstVisibleLine() const noexcept { return static_cast<LONG>(first_visible_); }
  // Moves the first visible line by `lines`, kept in [0, LineCount() - 1]:
  // the last line can be scrolled to the top. The caret stays.
  void LineScroll(LONG lines);
  // WM_VSCROLL: SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_TOP,
  // SB_BOTTOM; false for other codes.
  bool VScroll(UINT code);
  // Scrolls the least that shows the caret line (EM_SCROLLCARET).
  void ScrollCaret();

  // ---- Flags --------------------------------------------------------------
  void SetHideSelection(bool hide);
  bool SelectionHidden() const noexcept { return hide_selection_; }
  // Returns the previous colour (EM_SETBKGNDCOLOR).
  COLORREF SetBackgroundColor(bool use_system_color, COLORREF color);
  COLORREF BackgroundColor() const noexcept { return background_; }
  bool UsesSystemBackground() const noexcept { return use_system_background_; }
  // Off: changes are collected and reported in one call when it goes on.
  void SetRedraw(bool on);
  bool RedrawEnabled() const noexcept { return redraw_; }
  DWORD LanguageOptions() const noexcept { return language_options_; }
  void SetLanguageOptions(DWORD options) noexcept { language_options_ = options; }
  DWORD EventMask() const noexcept { return event_mask_; }
  // Returns the previous mask.
  DWORD SetEventMask(DWORD mask) noexcept;
  bool Overtype() const noexcept { return overtype_; }
  void SetOvertype(bool on) noexcept { overtype_ = on; }

  // ---- Default key and character processing -----------------------------
  // Caret keys (Shift extends from the anchor, Ctrl moves by words, to the
  // text ends with Home/End and by paragraphs with Up/Down; Up on the first
  // line goes to the text start, Down on the last to its end; Up/Down and
  // PgUp/PgDn keep a goal column), PgUp/PgDn (scroll and move a page),
  // Delete (Ctrl: to the next word; Shift: cut), Insert (overtype; Ctrl:
  // copy; Shift: paste), Ctrl+A/C/X/V, Backspace (deletes the selection or
  // the character before the caret), Enter (replaces the selection with a
  // paragraph end). Moves keep the caret line visible. Returns whether the
  // key was handled; Tab is a character (HandleChar).
  bool HandleKey(UINT vk, bool shift, bool ctrl);
  // 0x20..0xFF except 0x7F and the tab 0x09: typed (overtype replaces the
  // next character unless it is a paragraph end). Every other control code
  // (Backspace 0x08 and Enter 0x0D among them: their keys act on key-down)
  // is not handled: false, nothing changes.
  bool HandleChar(BYTE ch);
  // The clipboard of the clipboard keys; null disables them.
  void SetClipboard(Clipboard* clipboard) noexcept { clipboard_ = clipboard; }

  // Called after every operation that changed something, with the k*Changed
  // bits of what did; not while redraw is off.
  void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

 private:
  using Pos = std::ptrdiff_t;
  using FormatId = FormatTable::Id;

  Pos Length() const noexcept { return chars_.size(); }
  Pos SelMin() const noexcept { return std::min(anchor_, caret_); }
  Pos SelMax() const noexcept { return std::max(anchor_, caret_); }
  // The selected characters, without the final mark.
  Pos EditStart() const noexcept { return std::min(SelMin(), Length()); }
  Pos EditEnd() const noexcept { return std::min(SelMax(), Length()); }
  Pos CaretInText() const noexcept { return std::min(caret_, Length()); }
  Pos LineOf(Pos pos) const noexcept { return lines_.LineOfPosition(pos); }
  // Position of the paragraph end of `line`, or the text length on the last.
  Pos LineEnd(Pos line) const noexcept;
  bool IsParagraphEnd(Pos pos) const noexcept;

  // Moves the selection; the insertion format follows the rule at the top of
  // the .cpp. Returns whether the selection changed.
  bool Select(Pos anchor, Pos caret, bool keep_goal = false);
  FormatId InsertionFormatAt(Pos anchor, Pos caret) const noexcept;

  // The one edit primitive: [start, end) becomes `bytes` (stored form), each
  // character taking ids[i], or `fill` when ids is empty.
  bool Replace(Pos start, Pos end, std::string_view bytes, const std::vector<FormatId>& ids, FormatId fill);
  bool ReplaceWithFill(Pos start, Pos end, std::string_view bytes, FormatId fill);
  void TypeCharacter(char c, bool may_overtype);

  // Applies `record` to the characters [start, end) and, as asked, to the
  // insertion and the default format.
  bool ChangeFormats(const CHARFORMAT2A& record, Pos start, Pos end, bool insertion, bool default_format);
  // Collects the distinct ids of [start, end) into scratch_ids_, marking
  // them in scratch_remap_.
  void CollectIds(Pos start, Pos end);
  void ReleaseScratch() noexcept;
  // Makes sure `count` new formats fit, compacting the table if needed.
  bool EnsureFormatRoom(std::size_t count);
  void CompactFormats();

  // View helpers; each returns whether the first visible line moved.
  bool SetFirstVisible(Pos line) noexcept;
  bool KeepCaretVisible() noexcept;

  // `changes` are reported together with the move.
  void MoveCaret(Pos pos, bool extend, bool keep_goal = false, unsigned changes = 0);
  void MoveVertically(Pos lines, bool extend, unsigned changes = 0);
  void PageMove(bool down, bool extend);
  Pos WordLeft(Pos pos) const noexcept;
  Pos WordRight(Pos pos) const noexcept;
  void Copy();
  void Cut();
  void Paste();

  void AppendReadBack(std::string& out, Pos start, Pos end) const;
  void Notify(unsigned changes);

  GapBuffer<char> chars_;
  GapBuffer<FormatId> formats_;
  LineIndex lines_;
  FormatTable table_;
  FormatId default_id_ = 0;
  FormatId insertion_id_ = 0;

  Pos anchor_ = 0;  // fixed end of the selection
  Pos caret_ = 0;   // moving end; the caret
  Pos goal_column_ = -1;  // column kept by consecutive Up/Down/PgUp/PgDn
  Pos first_visible_ = 0;
  LONG client_height_ = 0;
  LONG line_height_ = 0;  // 0: from the default font

  bool hide_selection_ = false;
  bool redraw_ = true;
  bool overtype_ = false;
  bool use_system_background_ = true;
  COLORREF background_ = 0x00FFFFFF;
  DWORD language_options_ = IMF_AUTOFONT | IMF_AUTOFONTSIZEADJUST | IMF_DUALFONT;
  DWORD event_mask_ = ENM_NONE;
  unsigned pending_changes_ = 0;

  Clipboard* clipboard_ = nullptr;
  ChangeListener listener_;

  // Reused between edits so that typing does not allocate.
  std::vector<Pos> scratch_starts_;
  std::vector<FormatId> scratch_ids_;
  std::vector<std::int32_t> scratch_remap_;  // by old id: -1 unused, else new id
  std::vector<FormatId> no_ids_;
};

}  // namespace zv::platform
