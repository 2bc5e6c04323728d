// Screen upkeep of a res window: the host-style clear, re-breaking the input
// into 64-column rows, saving and loading the screen as RTF, and the fixed
// page text of the last response.
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "highlight/brimlux.h"
#include "platform/archive.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "reswindow/res_rich.h"

namespace zv {
namespace {

using platform::CatchAll;

constexpr int kExtraClearLinesOneFrame = 10;
constexpr int kExtraClearLinesTwoFrames = 3;
constexpr int kLineDownsOutOfView = 350;
// A paragraph end kept by the re-break must lie before this index.
constexpr std::size_t kLastKeptLineEndIndex = 63;
constexpr LONG kMaxSavedLines = 300;
// In the engine's stored form: the break that reads back as "\r\r\n", and
// the tab-and-return pair that reads back as "\t\r\n".
constexpr std::string_view kStoredBreak = "\n";
constexpr std::string_view kStoredTabReturn = "\t\r";

bool IsParagraphEnd(char c) { return c == '\r' || c == '\n'; }

// Characters of the screen with the position each came from.
struct PositionedText {
  std::string chars;
  std::vector<LONG> positions;

  void Push(char c, LONG pos) {
    chars.push_back(c);
    positions.push_back(pos);
  }
  void Resize(std::size_t size) {
    chars.resize(size);
    positions.resize(size);
  }
};

// Removes every occurrence of `pattern`, searching again from the start
// after each removal.
void RemoveAll(PositionedText& text, std::string_view pattern) {
  PositionedText out;
  out.chars.reserve(text.chars.size());
  out.positions.reserve(text.positions.size());
  for (std::size_t i = 0; i < text.chars.size(); ++i) {
    out.Push(text.chars[i], text.positions[i]);
    if (out.chars.size() >= pattern.size() &&
        std::string_view(out.chars).substr(out.chars.size() - pattern.size()) == pattern) {
      out.Resize(out.chars.size() - pattern.size());
    }
  }
  text = std::move(out);
}

template <typename Drop>
void RemoveIf(PositionedText& text, Drop drop) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < text.chars.size(); ++i) {
    if (drop(text.chars[i], i)) continue;
    text.chars[kept] = text.chars[i];
    text.positions[kept] = text.positions[i];
    ++kept;
  }
  text.Resize(kept);
}

// Replaces every `from` of a stored-form text by `to`, which takes the
// format of the first character replaced; none when `from` does not occur.
std::optional<platform::FormattedText> ReplaceStored(const platform::FormattedText& in, std::string_view from,
                                                     std::string_view to) {
  if (in.text.find(from) == std::string::npos) return std::nullopt;
  static const platform::CharFormat kDefault;
  std::vector<const platform::CharFormat*> formats;
  formats.reserve(in.text.size());
  for (const platform::FormatRun& run : in.runs) formats.insert(formats.end(), run.length, &run.format);
  formats.resize(in.text.size(), &kDefault);

  platform::FormattedText out;
  out.text.reserve(in.text.size() + in.text.size() / 8);
  const platform::CharFormat* last = nullptr;
  const auto append = [&](std::string_view chars, const platform::CharFormat* format) {
    out.text.append(chars);
    if (last != nullptr && (format == last || *format == *last)) {
      out.runs.back().length += chars.size();
    } else {
      out.runs.push_back({chars.size(), *format});
    }
    last = format;
  };
  for (std::size_t i = 0; i < in.text.size();) {
    if (in.text.compare(i, from.size(), from) == 0) {
      append(to, formats[i]);
      i += from.size();
    } else {
      append(std::string_view(in.text).substr(i, 1), formats[i]);
      ++i;
    }
  }
  return out;
}

// Stream callbacks between the engine and an archive (the cookie). A failing
// archive ends the stream with an error code: nothing may unwind through the
// engine.
DWORD StreamToArchive(DWORD_PTR cookie, BYTE* buffer, LONG count, LONG* done) {
  try {
    reinterpret_cast<platform::Archive*>(cookie)->WriteBytes(
        std::string_view(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count)));
    *done = count;
    return 0;
  } catch (...) {
    return static_cast<DWORD>(platform::ArchiveCause::kGeneric);
  }
}

DWORD StreamFromArchive(DWORD_PTR cookie, BYTE* buffer, LONG count, LONG* done) {
  try {
    platform::Archive& ar = *reinterpret_cast<platform::Archive*>(cookie);
    const std::size_t n = std::min(static_cast<std::size_t>(std::max<LONG>(count, 0)), ar.Remaining());
    const std::string bytes = ar.ReadBytes(n);
    std::memcpy(buffer, bytes.data(), bytes.size());
    *done = static_cast<LONG>(bytes.size());
    return 0;
  } catch (...) {
    return static_cast<DWORD>(platform::ArchiveCause::kGeneric);
  }
}

}  // namespace

// ---- Clearing -------------------------------------------------------------------------------------------

void CResRichEdit::ClearScreen(BOOL writeSom, BOOL padToPage) {
  CatchAll([&] {
    const LONG lines = engine().LineCount();
    SendVirtualKey(VK_LEFT);
    platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
    keys.Set(VK_CONTROL, platform::KeyboardState::kDown);
    SendVirtualKey(VK_END);
    keys.Set(VK_CONTROL, 0);

    const LONG end = GetTextEnd();
    const LONG first_visible = engine().LineStart(engine().FirstVisibleLine());
    if (end == 1 || end == first_visible + 1) {
      SetCaretToEnd();
      RememberSelection();
      return;
    }
    if (padToPage) {
      const int extra = m_pCtrl->FrameLayout() == 1 ? kExtraClearLinesOneFrame : kExtraClearLinesTwoFrames;
      std::string padding;
      for (LONG i = 0; i < m_pCtrl->PageLines() - lines + extra; ++i) padding += "\r\n";
      if (!padding.empty()) ReplaceSel(padding);
    }
    if (writeSom) {
      ReplaceSel("\r\n");
      ApplyInputFormat();
      ReplaceSel(std::string(1, kSom));
    } else {
      ReplaceSel("\r\n");
    }

    // The new last line goes to the top; the old text stays above it.
    const LONG n = engine().LineCount();
    if (m_pCtrl->GetTWA() && m_nWindow != 8) {
      SetSel(1, GetTextEnd());
      mutable_engine().DeleteSelection();
    } else {
      SetSel(0, 0);
      if (IsFrameCurrent()) {
        if (m_pCtrl->OutstandingEntries() < 1) {
          SendMessage(EM_LINESCROLL, 0, n + 1);
        } else {
          for (LONG i = 0; i < n + 1; ++i) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
        }
      } else {
        SendMessage(EM_LINESCROLL, 0, n + 1);
        for (int i = 0; i < kLineDownsOutOfView; ++i) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
      }
    }
    SetCaretToEnd();
    RememberSelection();
    RefreshCaret(0, TRUE);
  });
}

// ---- Keeping rows at 64 characters ------------------------------------------------------------------

void CResRichEdit::RewrapInput(const std::string& text) {
  CatchAll([&] {
    if (text.empty()) {
      RebreakInput();
    } else {
      InsertBlock(text);
    }
  });
}

void CResRichEdit::InsertBlock(std::string_view text) {
  CHARRANGE sel = GetSel();
  const auto col = static_cast<std::size_t>(sel.cpMin - LineStartOf(sel.cpMin));
  if (col + text.size() <= static_cast<std::size_t>(kRowWidth)) {
    const LONG end = std::min(sel.cpMax, engine().TextLength());
    for (LONG pos = sel.cpMin; pos < end; ++pos) {
      if (IsParagraphEnd(engine().CharAt(pos))) {
        sel.cpMax = pos;
        break;
      }
    }
    SetSel(sel);
    ReplaceSel(text);
    return;
  }
  const std::string_view marker = WrapMarker();
  const std::size_t first = col < static_cast<std::size_t>(kRowWidth) ? kRowWidth - col : 0;
  std::string block(text.substr(0, first));
  block.append(marker);
  for (std::string_view rest = text.substr(first); !rest.empty();) {
    const std::string_view piece = rest.substr(0, kRowWidth);
    rest.remove_prefix(piece.size());
    block.append(piece);
    if (!rest.empty()) block.append(marker);
  }
  ReplaceSel(block);
}

void CResRichEdit::RebreakInput() {
  const platform::TextEngine& text = engine();
  const CHARRANGE sel = GetSel();
  const LONG row_start = LineStartOf(sel.cpMin);
  if (!m_bRewrapStarted) {
    m_bRewrapStarted = true;
    m_nRewrapEntryStart = row_start;
  }
  // The input: the caret's row and the rows that continue it, up to the
  // first paragraph end that is not a wrap marker's. Lines below it, such as
  // a response the caret was put into, keep their line ends. A row that grew
  // past 64 in insert mode pushes its overflow into the next row within this
  // same pass, so the next row needs no re-break of its own.
  const bool tab_marker = WrapMarker().front() == '\t';
  LONG end = row_start;
  for (const LONG length = text.TextLength(); end < length; ++end) {
    if (text.CharAt(end) == '\r' && !(tab_marker && end > row_start && text.CharAt(end - 1) == '\t')) break;
  }

  // A break reads "\r\r\n"; a wrap marker's paragraph end is taken as a lone
  // "\r", so that it can be told from a short row's end by where it stands.
  PositionedText input;
  for (LONG pos = row_start; pos < end; ++pos) {
    const char c = text.CharAt(pos);
    if (c == '\n') {
      for (char part : std::string_view("\r\r\n")) input.Push(part, pos);
    } else {
      input.Push(c, pos);
    }
  }
  for (std::string_view pattern : {"\r\r\n", "\r\n", "\t\r\n", "\x0C", "\n"}) RemoveAll(input, pattern);
  RemoveIf(input, [](char c, std::size_t i) { return c == '\r' && i >= kLastKeptLineEndIndex; });
  RemoveIf(input, [](char c, std::size_t) { return c == '\t'; });
  LONG old_end = end;
  if (const std::size_t cut = input.chars.find('\r'); cut != std::string::npos) {
    old_end = input.positions[cut] + 1;
    input.Resize(cut + 1);
  }
  if (row_start == m_nRewrapEntryStart && !input.chars.empty() && input.chars.front() == ' ') {
    input.chars.erase(0, 1);
    input.positions.erase(input.positions.begin());
  }

  const std::string_view marker = WrapMarker();
  std::string rows;
  rows.reserve(input.chars.size() + input.chars.size() / 32 + 2);
  for (std::size_t i = 0; i < input.chars.size(); i += kRowWidth) {
    const std::string_view piece = std::string_view(input.chars).substr(i, kRowWidth);
    rows.append(piece);
    if (piece.size() == static_cast<std::size_t>(kRowWidth)) rows.append(marker);
  }

  std::string old;
  old.reserve(static_cast<std::size_t>(old_end - row_start));
  for (LONG pos = row_start; pos < old_end; ++pos) old.push_back(text.CharAt(pos));
  if (old == rows) return;

  // Each character keeps its place in the entry; it moves by the wrap
  // markers now standing before it.
  const auto new_length = static_cast<LONG>(rows.size());
  const auto marker_length = static_cast<LONG>(marker.size());
  const auto map = [&](LONG pos) -> LONG {
    if (pos <= row_start) return pos;
    if (pos >= old_end) return pos + new_length - (old_end - row_start);
    const auto before = static_cast<LONG>(std::lower_bound(input.positions.begin(), input.positions.end(), pos) -
                                          input.positions.begin());
    return row_start + before + (before / kRowWidth) * marker_length;
  };
  const CHARRANGE restored = {map(sel.cpMin), map(sel.cpMax)};
  SetSel(row_start, old_end);
  if (CBrimlux* highlighter = m_pCtrl != nullptr ? m_pCtrl->Highlighter() : nullptr) {
    // Row by row, each as the engine returns it.
    const std::size_t step = kRowWidth + marker.size();
    for (std::size_t i = 0; i < rows.size(); i += step) {
      std::string row = rows.substr(i, step);
      highlighter->BrimluxText(TRUE, row);
      ReplaceSel(row);
    }
  } else {
    mutable_engine().ReplaceSelection(rows);
  }
  SetSel(restored);
}

// ---- Saving and loading the screen -------------------------------------------------------------------

void CResRichEdit::Serialize(platform::Archive& ar) {
  DWORD error = 0;
  CatchAll([&] { error = ar.IsStoring() ? StoreScreen(ar) : LoadScreen(ar); });
  if (error != 0) throw platform::FileException(static_cast<LONG>(error));
}

DWORD CResRichEdit::StoreScreen(platform::Archive& ar) {
  // The last 299 lines, below the line break that ended the line before them.
  const LONG count = engine().LineCount();
  if (count > kMaxSavedLines) {
    const LONG p = engine().LineStart(count - (kMaxSavedLines - 1));
    SetSel(0, p - 1);
    mutable_engine().DeleteSelection();
  }
  SetSel(0, -1);
  if (auto text = ReplaceStored(engine().FormattedRange(0, engine().TextLength()), kStoredBreak, kStoredTabReturn)) {
    mutable_engine().ReplaceSelection(*text);
  }
  EDITSTREAM stream;
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&ar);
  stream.pfnCallback = StreamToArchive;
  SendMessage(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  return stream.dwError;
}

DWORD CResRichEdit::LoadScreen(platform::Archive& ar) {
  EDITSTREAM stream;
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&ar);
  stream.pfnCallback = StreamFromArchive;
  SendMessage(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  if (stream.dwError != 0) return stream.dwError;
  platform::UpdateWindow(handle());
  if (auto text = ReplaceStored(engine().FormattedRange(0, engine().TextLength()), kStoredTabReturn, kStoredBreak)) {
    SetSel(0, -1);
    mutable_engine().ReplaceSelection(*text);
  }
  const LONG length = engine().TextLength();
  if (length == 0 || engine().CharAt(length - 1) != kSom) {
    SetCaretToEnd();
    ReplaceSel("\t\r\n>");
  }
  SetCaretToEnd();
  return 0;
}

// ---- The fixed page -----------------------------------------------------------------------------------

std::string CResRichEdit::FormatScreenText() const {
  return CatchAll(std::string(), [&] {
    const std::string& source = m_strLastResponse;
    if (source.empty()) return std::string();
    std::string page;
    page.reserve(kPageCharacters + kRowWidth);
    std::size_t row_start = 0;
    int rows = 0;
    const auto end_row = [&] {
      const std::size_t length = page.size() - row_start;
      if (length < static_cast<std::size_t>(kRowWidth)) page.append(kRowWidth - length, ' ');
      ++rows;
      row_start = page.size();
    };
    for (std::size_t i = 0; i < source.size();) {
      const char c = source[i];
      if (c == '\r' || c == '\t') {
        i += 2;
        end_row();
      } else if (c == kFormFeed) {
        i += 1;
        end_row();
      } else {
        page.push_back(c);
        ++i;
      }
      // Nothing past the page is ever returned.
      if (page.size() >= kPageCharacters) break;
    }
    if (page.size() % kRowWidth != 0) page.append(kRowWidth - page.size() % kRowWidth, ' ');
    if (rows < kPageRowsPadded) page.append(static_cast<std::size_t>(kPageRowsPadded - rows) * kRowWidth, ' ');
    page.resize(std::min(page.size(), kPageCharacters));
    return page;
  });
}

}  // namespace zv
