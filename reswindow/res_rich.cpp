// The screen model of a res window: entries, responses, formats and caret.
#include "reswindow/res_rich.h"

#include <algorithm>
#include <cmath>

#include "highlight/brimlux.h"
#include "platform/catch_all.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "reswindow/input_recall.h"

namespace zv {
namespace {

using platform::CatchAll;

constexpr std::string_view kTabMarker = "\t\r";
constexpr std::string_view kTabMarkerReadBack = "\t\r\n";
constexpr std::string_view kFormFeedMarker = "\x0C";
constexpr std::string_view kLineBreak = "\r\n";
// Removed from an entry after its line breaks have become "|".
constexpr std::string_view kCharactersDroppedFromEntry = "\"<+%,=";
constexpr int kCommandNoDisplay = '*';
constexpr int kCommandClear = 0x11;
constexpr int kRowNewLine = 12;
constexpr int kFirstRowNumber = 2;
constexpr int kLastRowNumber = 127;
constexpr double kTwipsPerPixel = 12.9;
constexpr int kCaretWidth = 7;
constexpr double kCaretHeightPerPoint = 1.5;
constexpr COLORREF kCreationTextColor = 0x00FFFF00;
constexpr UINT_PTR kClockTimerId = 1;
constexpr UINT kClockPeriodMs = 1000;
constexpr LPARAM kClickAt11 = MAKELPARAM(1, 1);
// WM_MOUSEACTIVATE as the control's container expects it from a click.
constexpr LPARAM kMouseActivateClick = 0x00010001;

// Removes every occurrence of `pattern`, searching again from the start
// after each removal, so that a removal that brings two halves together
// removes the new occurrence too.
void RemoveAll(std::string& text, std::string_view pattern) {
  if (pattern.empty()) return;
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(c);
    if (out.size() >= pattern.size() && std::string_view(out).substr(out.size() - pattern.size()) == pattern) {
      out.resize(out.size() - pattern.size());
    }
  }
  text = std::move(out);
}

// Replaces every occurrence; "|" never forms a new occurrence of the
// patterns replaced, so one pass equals searching again from the start.
void ReplaceAll(std::string& text, std::string_view pattern, std::string_view with) {
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, from)) {
    out.append(text, from, at - from);
    out.append(with);
    from = at + pattern.size();
  }
  out.append(text, from, std::string::npos);
  text = std::move(out);
}

void EraseCharacters(std::string& text, std::string_view characters) {
  std::erase_if(text, [&](char c) { return characters.find(c) != std::string_view::npos; });
}

struct LaidOutResponse {
  std::string text;
  int rows = 0;
};

// Host text as screen rows: "|" breaks the line, a row of 64 characters
// followed by more ends with the wrap marker.
LaidOutResponse LayOutResponse(std::string_view text, std::string_view marker) {
  LaidOutResponse out;
  out.text.reserve(text.size() + text.size() / 16);
  std::size_t row_start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == CResRichEdit::kHostLineSeparator) {
      out.text.append(text.substr(row_start, i - row_start)).append(kLineBreak);
      ++out.rows;
      row_start = i + 1;
    } else if (i - row_start == static_cast<std::size_t>(CResRichEdit::kRowWidth)) {
      out.text.append(text.substr(row_start, CResRichEdit::kRowWidth)).append(marker);
      ++out.rows;
      row_start = i;
    }
  }
  out.text.append(text.substr(row_start));
  return out;
}

}  // namespace

CResRichEdit::~CResRichEdit() {
  if (m_nTimerId != 0 && handle() != 0) platform::KillTimer(handle(), m_nTimerId);
}

void CResRichEdit::Attach(IResWindowHost* host, short window) {
  m_pCtrl = host;
  m_nWindow = window;
}

// ---- Window messages ------------------------------------------------------------------------------

LRESULT CResRichEdit::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const UINT code = static_cast<UINT>(wparam);
  const UINT repeat = LOWORD(static_cast<DWORD_PTR>(lparam));
  const UINT flags = HIWORD(static_cast<DWORD_PTR>(lparam));
  switch (message) {
    case WM_CREATE:
      return CatchAll<LRESULT>(-1, [&] { return OnCreate(); });
    case WM_KEYDOWN:
      OnKeyDown(code, repeat, flags);
      return 0;
    case WM_SYSKEYDOWN:
      OnSysKeyDown(code, repeat, flags);
      return 0;
    case WM_KEYUP:
      OnKeyUp(code, repeat, flags);
      return 0;
    case WM_CHAR:
      OnChar(code, repeat, flags);
      return 0;
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      OnDeadChar(code, repeat, flags);
      return 0;
    case WM_SETFOCUS:
      CatchAll([&] { OnSetFocus(static_cast<HWND>(wparam)); });
      return 0;
    case WM_KILLFOCUS:
      CatchAll([&] { OnKillFocus(); });
      return 0;
    case WM_CAPTURECHANGED:
      CatchAll([&] { OnCaptureChanged(); });
      return 0;
    case WM_TIMER:
      CatchAll([&] { OnTimer(wparam); });
      return 0;
    case WM_LBUTTONDOWN:
      CatchAll([&] { OnLButtonDown(wparam, lparam); });
      return 0;
    case WM_RBUTTONUP:
      CatchAll([&] { OnRButtonUp(wparam, lparam); });
      return 0;
    case WM_COMMAND:
      return CatchAll<LRESULT>(0, [&] { return OnCommand(wparam, lparam); });
    default:
      return CRichEdit20Ctrl::WindowProc(message, wparam, lparam);
  }
}

LRESULT CResRichEdit::OnCreate() {
  const LRESULT result = Default(WM_CREATE, 0, 0);
  // The engine must never switch the keyboard layout by itself.
  const LRESULT options = SendMessage(EM_GETLANGOPTIONS, 0, 0);
  SendMessage(EM_SETLANGOPTIONS, 0, options & ~static_cast<LRESULT>(IMF_AUTOKEYBOARD));
  CHARFORMATA format;
  format.dwMask = CFM_COLOR | CFM_CHARSET;
  format.crTextColor = kCreationTextColor;
  format.bCharSet = ANSI_CHARSET;
  SendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  return result;
}

void CResRichEdit::OnSetFocus(HWND previous) {
  Default(WM_SETFOCUS, previous, 0);
  if (m_pCtrl != nullptr) m_pCtrl->SetActiveFrameFromWindow(m_nWindow);
  platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
  keys.Set(VK_SHIFT, 0);
  keys.Set(VK_CONTROL, 0);
  if (m_pCtrl != nullptr && m_pCtrl->GetTWA()) {
    SetCaretToEnd();
  } else {
    RestoreSelection();
  }
  if (m_pCtrl != nullptr && previous != m_pCtrl->ControlWindow()->handle()) ActivateControl();
  platform::ShowCaret(handle());
  RefreshCaret(0, TRUE);
  // The desktop loads no keyboard layouts, so a Hebrew layout is not swapped
  // for "United Kingdom" here.
}

void CResRichEdit::OnKillFocus() {
  Default(WM_KILLFOCUS, 0, 0);
  platform::HideCaret(handle());
}

void CResRichEdit::OnCaptureChanged() {
  Default(WM_CAPTURECHANGED, 0, 0);
  RefreshCaret(0, TRUE);
}

void CResRichEdit::OnTimer(WPARAM id) {
  if (m_pCtrl != nullptr) m_pCtrl->UpdateClock();
  Default(WM_TIMER, id, 0);
}

void CResRichEdit::OnLButtonDown(WPARAM wparam, LPARAM lparam) {
  if (m_pCtrl != nullptr && m_pCtrl->OsVersion() >= 5.0) ActivateControl();
  Default(WM_LBUTTONDOWN, wparam, lparam);
}

void CResRichEdit::ActivateControl() {
  if (m_pCtrl == nullptr) return;
  platform::Window& control = *m_pCtrl->ControlWindow();
  control.SendMessage(WM_MOUSEACTIVATE, static_cast<WPARAM>(control.parent()), kMouseActivateClick);
  control.SendMessage(WM_LBUTTONDOWN, 0, kClickAt11);
  control.SendMessage(WM_LBUTTONUP, 0, kClickAt11);
}

void CResRichEdit::StartClockTimer() { m_nTimerId = platform::SetTimer(handle(), kClockTimerId, kClockPeriodMs); }

// ---- Screen helpers -------------------------------------------------------------------------------

std::string_view CResRichEdit::WrapMarker() const {
  // An engine whose version cannot be read gets the tab-and-return marker:
  // it ends the row with a paragraph end, as the newer engines show it.
  const DWORD version = m_pCtrl != nullptr ? m_pCtrl->RichEditVersion() : 0;
  return version != 0 && version < kTabMarkerRichEditVersion ? kFormFeedMarker : kTabMarker;
}

std::string_view CResRichEdit::WrapMarkerReadBack() const {
  return WrapMarker() == kTabMarker ? kTabMarkerReadBack : kFormFeedMarker;
}

CHARRANGE CResRichEdit::GetSel() const { return engine().Selection(); }

void CResRichEdit::SetSel(LONG start, LONG end) {
  // Setting the selection to what it is keeps the end the caret is at, so
  // that restoring a selection made with Shift+Left does not turn it round.
  const CHARRANGE now = GetSel();
  if (start == now.cpMin && end == now.cpMax) return;
  mutable_engine().SetSelection(start, end);
}

LONG CResRichEdit::GetTextEnd() const {
  const platform::TextEngine& text = engine();
  const LONG last = text.LineStart(text.LineCount() - 1);
  return last + text.LineLength(last);
}

void CResRichEdit::SetCaretToEnd() {
  const LONG end = GetTextEnd();
  SetSel(end, end);
}

LONG CResRichEdit::LineStartOf(LONG pos) const { return engine().LineStart(engine().LineFromChar(pos)); }

void CResRichEdit::SetRedraw(bool on) { SendMessage(WM_SETREDRAW, on ? TRUE : FALSE, 0); }

void CResRichEdit::RememberSelection() {
  const CHARRANGE sel = GetSel();
  m_nSelStart = sel.cpMin;
  m_nSelEnd = sel.cpMax;
}

void CResRichEdit::RestoreSelection() { SetSel(m_nSelStart, m_nSelEnd); }

int CResRichEdit::GetFontSize() const {
  CHARFORMAT2A format;
  engine().GetSelectionCharFormat(format);
  return format.yHeight / 20;
}

LONG CResRichEdit::GetLineHeight() const {
  const auto height = static_cast<LONG>(std::ceil(GetFontSize() * 20 / kTwipsPerPixel));
  return std::max<LONG>(height, 1);
}

int CResRichEdit::GetPageLineCount() {
  return CatchAll(0, [&] {
    const LONG line_height = GetLineHeight();
    return static_cast<int>((client_rect().height() + line_height - 1) / line_height);
  });
}

LONG CResRichEdit::GetLastVisibleLine() {
  const LONG last = engine().FirstVisibleLine() + client_rect().height() / GetLineHeight() - 1;
  return std::min(last, engine().LineCount() - 1);
}

bool CResRichEdit::IsFrameCurrent() const {
  return m_pCtrl->IsCurrentInFrame(m_nWindow);
}

int CResRichEdit::ModifierMask() {
  const platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
  return (keys.Get(VK_CONTROL) != 0 ? 1 : 0) | (keys.Get(VK_SHIFT) != 0 ? 2 : 0);
}

void CResRichEdit::TrimOldLines() {
  const LONG count = engine().LineCount();
  if (count <= kMaxLinesBeforeResponse) return;
  const CHARRANGE sel = GetSel();
  SetRedraw(false);
  const LONG p = engine().LineStart(count - (kLinesKeptAfterTrim - 1));
  if (p > -1) {
    SetSel(0, p - 1);
    mutable_engine().DeleteSelection();
  }
  SetSel(sel);
  SetRedraw(true);
}

// ---- Colours and formats --------------------------------------------------------------------------

void CResRichEdit::SetInputColor(COLORREF color) {
  CatchAll([&] {
    m_crInput = color;
    CHARFORMATA format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    mutable_engine().SetSelectionCharFormat(format);
    SetCaretToEnd();
    ApplyInputFormat();
  });
}

void CResRichEdit::SetResponseColor(COLORREF color) { m_crResponse = color; }

void CResRichEdit::SetBackColor(BOOL useSystemColour, COLORREF color) {
  CatchAll([&] {
    m_crBack = color;
    SendMessage(EM_SETBKGNDCOLOR, useSystemColour ? TRUE : FALSE, static_cast<LPARAM>(color));
  });
}

void CResRichEdit::ApplyInputFormat() {
  CatchAll([&] {
    const CHARRANGE sel = GetSel();
    platform::HideCaret(handle());
    SendMessage(EM_HIDESELECTION, TRUE, 0);
    if (CBrimlux* highlighter = m_pCtrl != nullptr ? m_pCtrl->Highlighter() : nullptr) {
      // The request side's default format: the input colour that typing gave it.
      CHARFORMAT2A format;
      highlighter->GetDefaultFormat(format, false);
      SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    } else {
      CHARFORMATA format;
      format.dwMask = CFM_COLOR;
      format.crTextColor = m_crInput;
      SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    SetSel(sel);
    platform::ShowCaret(handle());
  });
}

void CResRichEdit::ApplyResponseFormatAtEnd() {
  platform::HideCaret(handle());
  SetCaretToEnd();
  SendMessage(EM_HIDESELECTION, TRUE, 0);
  CHARFORMATA format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = m_crResponse;
  SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  SetCaretToEnd();
  platform::ShowCaret(handle());
}

void CResRichEdit::RefreshCaret(int /*site*/, BOOL onlyIfFocused) {
  CatchAll([&] {
    if (onlyIfFocused && platform::GetFocus() != handle()) return;
    platform::HideCaret(handle());
    const int height = static_cast<int>(GetFontSize() * kCaretHeightPerPoint);
    platform::CreateCaret(handle(), kCaretWidth, height);
    platform::ShowCaret(handle());
    RememberSelection();
  });
}

// ---- Writing and typing text ---------------------------------------------------------------------

void CResRichEdit::WriteTextAtEnd(std::string_view text) {
  SetCaretToEnd();
  const CHARRANGE sel = GetSel();
  const auto col = static_cast<std::size_t>(sel.cpMin - LineStartOf(sel.cpMin));
  const std::string_view marker = WrapMarker();
  ApplyInputFormat();
  if (col + text.size() <= static_cast<std::size_t>(kRowWidth)) {
    ReplaceSel(text);
  } else {
    const std::size_t first = col < static_cast<std::size_t>(kRowWidth) ? kRowWidth - col : 0;
    ReplaceSel(std::string(text.substr(0, first)).append(marker));
    ApplyInputFormat();
    std::string_view rest = text.substr(first);
    std::string rows;
    rows.reserve(rest.size() + rest.size() / 32 + 2);
    for (; rest.size() >= static_cast<std::size_t>(kRowWidth); rest.remove_prefix(kRowWidth)) {
      rows.append(rest.substr(0, kRowWidth)).append(marker);
    }
    rows.append(rest);
    ReplaceSel(rows);
  }
  RememberSelection();
  RefreshCaret(0, TRUE);
}

void CResRichEdit::DisplayHostEntry(const std::string& text) {
  CatchAll([&] {
    WriteTextAtEnd(text);
    std::string entry = std::string(1, kSom) + text;
    DispatchEntry(entry, this);
    RefreshCaret(0, TRUE);
  });
}

void CResRichEdit::InsertScreenInput(const std::string& text) {
  CatchAll([&] { InsertAtCaret(text); });
}

void CResRichEdit::InsertAtCaret(std::string_view text) {
  if (text.empty()) return;
  CHARRANGE sel = GetSel();
  ApplyInputFormat();
  if (sel.cpMin == engine().TextLength()) {
    WriteTextAtEnd(text);
    return;
  }
  const std::string_view marker = WrapMarker();
  for (;;) {
    const LONG s = sel.cpMin;
    const LONG line = engine().LineFromChar(s);
    const LONG line_start = engine().LineStart(line);
    const LONG col = s - line_start;
    const LONG length = engine().LineLength(line_start);
    const LONG width = std::max<LONG>(length, kRowWidth);
    const auto n = static_cast<LONG>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    if (n + col < width) {
      const LONG k = m_pCtrl != nullptr && m_pCtrl->GetInsertMode() ? 0 : std::min(length - col, n);
      SetSel(s, s + k);
      ReplaceSel(text);
      break;
    }
    // The row fills up: overwrite to its end and go on in the next row. A row
    // with fewer than k characters after the caret loses only those: its
    // paragraph end and the rows below are never overwritten.
    const LONG k = width - col;
    SetSel(s, std::min(s + k, line_start + length));
    ReplaceSel(text.substr(0, static_cast<std::size_t>(k)));
    text.remove_prefix(static_cast<std::size_t>(k));
    if (line == engine().LineCount() - 1) {
      ReplaceSel(marker);
    } else {
      SendVirtualKey(VK_DOWN);
      const LONG start = LineStartOf(GetSel().cpMin);
      SetSel(start, start);
    }
    if (text.empty()) break;
    sel = GetSel();
  }
  RewrapInput(std::string());
  RememberSelection();
  RefreshCaret(0, TRUE);
}

void CResRichEdit::SendVirtualKey(UINT vk) {
  SendMessage(WM_KEYDOWN, vk, 1);
  SendMessage(WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void CResRichEdit::GetTextToCaret(std::string& out) {
  CatchAll([&] { out = engine().TextRange(0, GetSel().cpMax); });
}

// ---- Entries --------------------------------------------------------------------------------------

bool CResRichEdit::ExtractEntry(std::string& text) {
  return CatchAll(false, [&] {
    const std::size_t som = text.rfind(kSom);
    if (som == std::string::npos) return false;
    const std::size_t pending = text.rfind(kPendingMark);
    const bool in_flight = m_pCtrl != nullptr && m_pCtrl->RequestsInFlight() > 0;
    const std::size_t from = in_flight && pending != std::string::npos && pending > som ? pending : som;
    std::string entry = text.substr(from + 1);
    // The marker as read back, so that a wrapped row leaves nothing behind.
    RemoveAll(entry, WrapMarkerReadBack());
    ReplaceAll(entry, "\r\r\n", "|");
    if (entry.ends_with(kLineBreak)) entry.resize(entry.size() - kLineBreak.size());
    ReplaceAll(entry, kLineBreak, "|");
    ReplaceAll(entry, "\r", "|");
    EraseCharacters(entry, kCharactersDroppedFromEntry);
    text = std::move(entry);
    return true;
  });
}

void CResRichEdit::UpdateGEntryFlag(const std::string& entry) {
  const std::string_view first(entry.data(), std::min<std::size_t>(entry.size(), 5));
  if (first.starts_with('G') || first == "*U") {
    m_bGEntry = first.find("G*I") == std::string_view::npos && first.find("G*E") == std::string_view::npos;
  }
}

void CResRichEdit::ResetCharacterInput() {
  m_bGEntry = 0;
  m_bFirstRowEnd = 1;
  m_bDeadKeySeen = 0;
  m_nKeyAfterDeadKey = 0;
  m_nCharsAfterDeadKey = 0;
}

BOOL CResRichEdit::DispatchEntry(std::string& text, CResRichEdit* source) {
  return CatchAll(FALSE, [&]() -> BOOL {
    const auto refuse = [&](const char* message) {
      m_pCtrl->ShowMessage(message);
      m_pCtrl->FireHostResponse(m_nWindow, 1, "");
      platform::SetFocus(handle());
    };
    if (!ExtractEntry(text)) {
      refuse("SOM not found");
      ApplyInputFormat();
      RefreshCaret(0, TRUE);
      return FALSE;
    }
    if (text == "U") m_pCtrl->FireUSMGRequest();
    RefreshCaret(0, TRUE);
    if (text.empty()) return FALSE;
    if (text.size() > kMaxEntryLength) {
      refuse("Input is too long. Please try again.");
      RefreshCaret(0, TRUE);
      return FALSE;
    }
    AddEntryToHistory(text);
    UpdateGEntryFlag(text);
    if (LocalCommand(text)) return FALSE;
    m_pCtrl->OfferEntry(text, m_nWindow, source == this);
    RefreshCaret(0, TRUE);
    return TRUE;
  });
}

void CResRichEdit::AddSubmittedEntryToHistory(const std::string& entry) {
  CInputRecall* history = m_pCtrl->EntryHistory();
  if (history == nullptr) return;
  const std::size_t som = entry.rfind(kSom);
  const std::size_t n = som == std::string::npos ? entry.size() : entry.size() - som - 1;
  const auto item = history->GetAt(m_nRecallPos);
  if (!item) {
    history->Add(entry);
    return;
  }
  if (*item == entry || n == 0) return;
  std::string plain = entry;
  EraseCharacters(plain, "|\x0C");
  if (plain.size() < static_cast<std::size_t>(kRowWidth)) {
    RemoveAll(plain, "\r\r\n");
    RemoveAll(plain, kLineBreak);
    RemoveAll(plain, kTabMarkerReadBack);
  }
  if (plain != *item) history->Add(plain);
}

BOOL CResRichEdit::SubmitEntry(std::string text, CResRichEdit* source) {
  return CatchAll(FALSE, [&]() -> BOOL {
    if (!DispatchEntry(text, source)) {
      platform::HideCaret(handle());
      ReplaceSel(kLineBreak);
      ApplyInputFormat();
      ReplaceSel(std::string(1, kSom));
      RememberSelection();
      ApplyInputFormat();
      platform::ShowCaret(handle());
      RefreshCaret(0, TRUE);
      if (m_nResponseMode == 1) {
        m_nResponseMode = 0;
        m_pCtrl->FireHostResponse(m_nWindow, 1, "");
      }
      return FALSE;
    }
    AddSubmittedEntryToHistory(text);
    if (source == this) {
      ApplyInputFormat();
      ReplaceSel(std::string(1, kPendingMark));
      ApplyResponseFormatAtEnd();
      m_bReady = 0;
      ApplyInputFormat();
      RefreshCaret(0, TRUE);
      return TRUE;
    }
    platform::HideCaret(handle());
    SetCaretToEnd();
    ApplyResponseFormatAtEnd();
    ReplaceSel(kLineBreak);
    ReplaceSel(std::string(1, kSom));
    ApplyInputFormat();
    platform::ShowCaret(handle());
    RefreshCaret(0, TRUE);
    return FALSE;
  });
}

// ---- Responses ------------------------------------------------------------------------------------

void CResRichEdit::RemovePendingMark() {
  SetRedraw(false);
  const CHARRANGE sel = GetSel();
  const LONG from = engine().LineStart(engine().FirstVisibleLine());
  const LONG to = std::min(sel.cpMax, engine().TextLength());
  SetSel(sel.cpMax, sel.cpMax);
  SetRedraw(true);
  const LONG pos = engine().FindLastChar(kPendingMark, from, to);
  if (pos >= 0) {
    SetSel(pos, pos + 1);
    mutable_engine().DeleteSelection();
  }
}

void CResRichEdit::DisplayResponse(const std::string& response, int /*length*/) {
  CatchAll([&] {
    if (response.empty()) return;
    const int command = static_cast<unsigned char>(response[0]);
    if (command == kCommandNoDisplay) {
      m_pCtrl->FireHostResponse(m_nWindow, 2, "");
      return;
    }
    // Row numbers are 7-bit: 0x80 and above name no row.
    const int row = response.size() > 1 ? static_cast<unsigned char>(response[1]) : 0;
    const std::string_view body = std::string_view(response).substr(std::min<std::size_t>(2, response.size()));

    TrimOldLines();
    LaidOutResponse laid_out = LayOutResponse(body, WrapMarker());
    m_strLastResponse = laid_out.text;
    RemovePendingMark();
    SetCaretToEnd();

    if (row >= kFirstRowNumber && row <= kLastRowNumber && row != kRowNewLine && engine().LineCount() < row) {
      std::string padding;
      for (LONG lines = engine().LineCount(); lines < row; ++lines) padding.append(kLineBreak);
      ReplaceSel(padding);
    }
    if (command == kCommandClear && row != kRowNewLine) {
      m_pCtrl->SetPageLines(GetPageLineCount());
      ClearScreen(FALSE, TRUE);
    }
    if (row == kRowNewLine) ReplaceSel(kLineBreak);
    ApplyResponseFormatAtEnd();

    const LONG line = engine().LineFromChar(GetSel().cpMax);
    const LONG last = GetLastVisibleLine();
    const LONG first = engine().FirstVisibleLine();
    const LONG page = GetPageLineCount();
    LONG scroll = 0;
    if (line > last) {
      scroll = line - last + laid_out.rows + 1;
    } else if (laid_out.rows + last > page + first) {
      scroll = last - page - first + laid_out.rows + 3;
    }

    if (CBrimlux* highlighter = m_pCtrl->Highlighter()) {
      CHARFORMAT2A current;
      SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&current));
      highlighter->SetDefaultRTF(true, current);
      highlighter->UpdateRules();
      std::string copy = laid_out.text;
      highlighter->BrimluxText(TRUE, copy);
      ReplaceSel(copy);
    } else {
      ReplaceSel(laid_out.text);
    }

    if (m_pCtrl->OsVersion() < 5.0) {
      SendMessage(EM_LINESCROLL, 0, scroll);
    } else if (m_pCtrl->OutstandingEntries() > 0) {
      SendMessage(EM_LINESCROLL, 0, page - 1);
    }

    RememberSelection();
    platform::UpdateWindow(handle());
    ApplyInputFormat();
    if (m_bReady == 0) RefreshCaret(0, FALSE);
    m_pCtrl->ResponseShown();
    m_bReady = 1;

    if (m_nResponseMode != 0) {
      if (m_nResponseMode == 1) m_nResponseMode = 0;
      m_pCtrl->FireHostResponse(static_cast<short>(m_nWindow - 1), 1, laid_out.text);
    }
  });
}

// ---- Clipboard ------------------------------------------------------------------------------------

void CResRichEdit::PasteFromClipboard() {
  CatchAll([&] {
    platform::Clipboard& clipboard = platform::CurrentDesktop().clipboard();
    if (clipboard.HasText()) {
      std::string text = clipboard.GetText().value_or("");
      std::erase(text, ':');
      if (!text.empty()) {
        const CHARRANGE sel = GetSel();
        const LONG n = m_pCtrl != nullptr && m_pCtrl->GetInsertMode() ? 0 : static_cast<LONG>(text.size());
        LONG end = std::min(sel.cpMin + n, engine().TextLength());
        // A paste never overwrites past the end of the row.
        for (LONG pos = sel.cpMin; pos < end; ++pos) {
          const char c = engine().CharAt(pos);
          if (c == '\r' || c == '\n') {
            end = pos;
            break;
          }
        }
        SetSel(sel.cpMin, end);
        ApplyInputFormat();
        for (char& c : text) c = platform::Cp1252ToUpper(c);
        ReplaceSel(text);
      }
    }
    RememberSelection();
    TrimOldLines();
  });
}

}  // namespace zv
