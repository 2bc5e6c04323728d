#include "platform/rich_edit_window.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "platform/desktop.h"
#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"

namespace zv::platform {
namespace {

constexpr std::string_view kRtfPrefix = "{\\rtf";
constexpr LONG kStreamChunk = 4096;

bool IsRtf(std::string_view text) { return text.substr(0, kRtfPrefix.size()) == kRtfPrefix; }

// The record sizes the desktop accepts; anything else is refused.
template <typename Fn>
LRESULT WithRecord(LPARAM lparam, Fn&& fn) {
  if (lparam == 0) return 0;
  auto* size = reinterpret_cast<const UINT*>(lparam);
  if (*size == sizeof(CHARFORMAT2A)) return fn(reinterpret_cast<CHARFORMAT2A*>(lparam));
  if (*size == sizeof(CHARFORMATA)) return fn(reinterpret_cast<CHARFORMATA*>(lparam));
  return 0;
}

}  // namespace

RichEditWindow::RichEditWindow() {
  engine_.SetChangeListener([this](unsigned) { Invalidate(); });
}

void RichEditWindow::ReplaceSel(std::string_view text) {
  if (IsRtf(text) && StreamInRtf(text, true)) return;
  engine_.ReplaceSelection(text);
}

std::string RichEditWindow::StreamOutRtf(bool selection_only) const {
  LONG start = 0;
  LONG end = engine_.TextLength();
  if (selection_only) {
    const CHARRANGE sel = engine_.Selection();
    start = sel.cpMin;
    end = std::min(sel.cpMax, end);
  }
  return WriteRtf(engine_.FormattedRange(start, end));
}

bool RichEditWindow::StreamInRtf(std::string_view rtf, bool selection_only) {
  CharFormat base;
  engine_.SelectionFormat(base);
  FormattedText text;
  RtfReadOptions options;
  options.last_par_is_final_mark = !selection_only;
  if (!ReadRtf(rtf, base, text, options)) return false;
  if (!selection_only) engine_.SetSelection(0, -1);
  return engine_.ReplaceSelection(text);
}

LRESULT RichEditWindow::StreamIn(WPARAM format, EDITSTREAM* stream) {
  if (stream == nullptr || stream->pfnCallback == nullptr) return 0;
  std::string input;
  BYTE buffer[kStreamChunk];
  for (;;) {
    LONG got = 0;
    const DWORD error = stream->pfnCallback(stream->dwCookie, buffer, kStreamChunk, &got);
    if (error != 0) {
      stream->dwError = error;
      break;
    }
    if (got <= 0) break;
    got = std::min(got, kStreamChunk);
    if (input.size() + static_cast<std::size_t>(got) > kMaxStreamIn) {
      stream->dwError = static_cast<DWORD>(-16);  // too much input: nothing is read
      return 0;
    }
    input.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(got));
  }
  if (stream->dwError != 0) return 0;
  const bool selection_only = (format & SFF_SELECTION) != 0;
  const LONG before = engine_.TextLength();
  if ((format & SF_RTF) && StreamInRtf(input, selection_only)) {
    return engine_.TextLength() - (selection_only ? before : 0);
  }
  if (!selection_only) engine_.SetSelection(0, -1);
  engine_.ReplaceSelection(input);
  return static_cast<LRESULT>(input.size());
}

LRESULT RichEditWindow::StreamOut(WPARAM format, EDITSTREAM* stream) {
  if (stream == nullptr || stream->pfnCallback == nullptr) return 0;
  const bool selection_only = (format & SFF_SELECTION) != 0;
  std::string output;
  if (format & SF_RTF) {
    output = StreamOutRtf(selection_only);
  } else {
    output = selection_only ? engine_.SelectedText() : engine_.Text();
  }
  std::size_t done = 0;
  while (done < output.size()) {
    LONG chunk = static_cast<LONG>(std::min<std::size_t>(kStreamChunk, output.size() - done));
    LONG taken = 0;
    const DWORD error =
        stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(output.data() + done), chunk, &taken);
    if (error != 0) {
      stream->dwError = error;
      break;
    }
    if (taken <= 0) break;  // the receiver takes no more
    done += static_cast<std::size_t>(std::min(taken, chunk));
  }
  return static_cast<LRESULT>(done);
}

LRESULT RichEditWindow::GetCharFormat(WPARAM scope, LPARAM record) const {
  return WithRecord(record, [&](auto* r) -> LRESULT {
    if (scope == SCF_DEFAULT) {
      *r = {};
      if constexpr (std::is_same_v<std::remove_pointer_t<decltype(r)>, CHARFORMAT2A>) {
        return engine_.GetDefaultCharFormat(*r);
      } else {
        *r = ToCharFormat(engine_.DefaultFormat());
        return r->dwMask;
      }
    }
    return engine_.GetSelectionCharFormat(*r);
  });
}

LRESULT RichEditWindow::SetCharFormat(WPARAM scope, LPARAM record) {
  return WithRecord(record, [&](auto* r) -> LRESULT {
    if (scope & SCF_ALL) return engine_.SetAllCharFormat(*r) ? 1 : 0;
    if (scope & SCF_SELECTION) return engine_.SetSelectionCharFormat(*r) ? 1 : 0;
    return engine_.SetDefaultCharFormat(*r) ? 1 : 0;
  });
}

LRESULT RichEditWindow::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      engine_.SetClipboard(&CurrentDesktop().clipboard());
      return 0;
    case WM_SIZE:
      engine_.SetClientHeight(HIWORD(static_cast<DWORD_PTR>(lparam)));
      return 0;
    case WM_SETREDRAW: {
      // The window's own flag first, so the engine's collected changes can ask for drawing.
      const LRESULT result = Window::DefWindowProc(message, wparam, lparam);
      engine_.SetRedraw(wparam != 0);
      return result;
    }
    case WM_SETFOCUS: {
      const LONG height = std::max<LONG>(1, engine_.LineHeight());
      CreateCaret(handle(), 1, height);
      ShowCaret(handle());
      return 0;
    }
    case WM_KILLFOCUS:
      DestroyCaret();
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(handle());
      return 0;

    case WM_SETTEXT:
      engine_.SetSelection(0, -1);
      engine_.ReplaceSelection(lparam ? std::string_view(reinterpret_cast<const char*>(lparam)) : std::string_view());
      engine_.SetSelection(0, 0);
      return TRUE;
    case WM_GETTEXTLENGTH:
      return engine_.TextLength();
    case WM_GETTEXT: {
      if (wparam == 0 || lparam == 0) return 0;
      const std::string text = engine_.Text();
      const std::size_t n = std::min<std::size_t>(text.size(), wparam - 1);
      std::memcpy(reinterpret_cast<char*>(lparam), text.data(), n);
      reinterpret_cast<char*>(lparam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }

    case EM_EXGETSEL:
      if (lparam) *reinterpret_cast<CHARRANGE*>(lparam) = engine_.Selection();
      return 0;
    case EM_EXSETSEL:
      if (lparam) engine_.SetSelection(*reinterpret_cast<const CHARRANGE*>(lparam));
      return engine_.Selection().cpMax;
    case EM_GETSEL: {
      const CHARRANGE sel = engine_.Selection();
      if (wparam) *reinterpret_cast<DWORD*>(wparam) = static_cast<DWORD>(sel.cpMin);
      if (lparam) *reinterpret_cast<DWORD*>(lparam) = static_cast<DWORD>(sel.cpMax);
      return MAKELPARAM(static_cast<WORD>(sel.cpMin), static_cast<WORD>(sel.cpMax));
    }
    case EM_SETSEL:
      engine_.SetSelection(static_cast<LONG>(wparam), static_cast<LONG>(lparam));
      return 0;
    case EM_REPLACESEL:
      ReplaceSel(lparam ? std::string_view(reinterpret_cast<const char*>(lparam)) : std::string_view());
      return 0;
    case WM_CLEAR:
      engine_.DeleteSelection();
      return 0;
    case WM_COPY:
      engine_.HandleKey('C', false, true);
      return 0;
    case WM_CUT:
      engine_.HandleKey('X', false, true);
      return 0;
    case WM_PASTE:
      engine_.HandleKey('V', false, true);
      return 0;
    case EM_GETSELTEXT: {
      // The caller's buffer must hold the selection, as with the desktop's control.
      if (lparam == 0) return 0;
      const std::string text = engine_.SelectedText();
      std::memcpy(reinterpret_cast<char*>(lparam), text.c_str(), text.size() + 1);
      return static_cast<LRESULT>(text.size());
    }

    case EM_GETLINECOUNT:
      return engine_.LineCount();
    case EM_EXLINEFROMCHAR:
      return engine_.LineFromChar(static_cast<LONG>(lparam));
    case EM_LINEFROMCHAR:
      return engine_.LineFromChar(static_cast<LONG>(static_cast<std::intptr_t>(wparam)));
    case EM_LINEINDEX:
      return engine_.LineStart(static_cast<LONG>(static_cast<std::intptr_t>(wparam)));
    case EM_LINELENGTH:
      return engine_.LineLength(static_cast<LONG>(static_cast<std::intptr_t>(wparam)));
    case EM_GETFIRSTVISIBLELINE:
      return engine_.FirstVisibleLine();
    case EM_LINESCROLL:
      engine_.LineScroll(static_cast<LONG>(lparam));
      return TRUE;
    case WM_VSCROLL:
      engine_.VScroll(LOWORD(wparam));
      return 0;
    case EM_SCROLLCARET:
      engine_.ScrollCaret();
      return 0;

    case EM_GETCHARFORMAT:
      return GetCharFormat(wparam, lparam);
    case EM_SETCHARFORMAT:
      return SetCharFormat(wparam, lparam);
    case EM_HIDESELECTION:
      engine_.SetHideSelection(wparam != 0);
      return 0;
    case EM_SETBKGNDCOLOR:
      return static_cast<LRESULT>(engine_.SetBackgroundColor(wparam != 0, static_cast<COLORREF>(lparam)));
    case EM_STREAMIN:
      return StreamIn(wparam, reinterpret_cast<EDITSTREAM*>(lparam));
    case EM_STREAMOUT:
      return StreamOut(wparam, reinterpret_cast<EDITSTREAM*>(lparam));
    case EM_GETLANGOPTIONS:
      return static_cast<LRESULT>(engine_.LanguageOptions());
    case EM_SETLANGOPTIONS:
      engine_.SetLanguageOptions(static_cast<DWORD>(lparam));
      return TRUE;
    case EM_GETEVENTMASK:
      return static_cast<LRESULT>(engine_.EventMask());
    case EM_SETEVENTMASK:
      return static_cast<LRESULT>(engine_.SetEventMask(static_cast<DWORD>(lparam)));
    case EM_AUTOURLDETECT:
      auto_url_detect_ = wparam != 0;
      return 0;
    case EM_SETOPTIONS:
    case WM_SETFONT:
      // Options mirror style bits this engine does not act on; the font
      // of the text is set through character formats.
      return 0;

    case WM_KEYDOWN: {
      const KeyboardState& keys = CurrentDesktop().keyboard_state();
      engine_.HandleKey(static_cast<UINT>(wparam), keys.IsDown(VK_SHIFT), keys.IsDown(VK_CONTROL));
      return 0;
    }
    case WM_CHAR:
      engine_.HandleChar(static_cast<BYTE>(wparam));
      return 0;
    default:
      return Window::DefWindowProc(message, wparam, lparam);
  }
}

}  // namespace zv::platform
