// Insertion format: the format that typed or inserted text takes. When the
// selection moves it is recomputed: for a caret, the format of the character
// before it (the default format at position 0); for a selection, the format
// of its first character. Setting the selection to exactly where it is keeps
// it, so that a format set on the empty selection survives the logic putting
// the caret "at the end again" before it inserts.
#include "platform/text_engine.h"

#include <string.h>

#include <new>

namespace zv::platform {
namespace {

bool IsEnd(char c) { return c == '\r' || c == '\n'; }

// Read-back form to stored form.
std::string ToStored(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (text.substr(i, 3) == "\r\r\n") {
        out += '\n';
        i += 2;
      } else {
        out += '\r';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      }
    } else {
      out += c == '\n' ? '\r' : c;
    }
  }
  return out;
}

// A 60-byte record as the 84-byte one with cbSize 60, which ApplyCharFormat
// reads without the background.
CHARFORMAT2A Widen(const CHARFORMATA& r) {
  CHARFORMAT2A w;
  w.cbSize = sizeof(CHARFORMATA);
  w.dwMask = r.dwMask;
  w.dwEffects = r.dwEffects;
  w.yHeight = r.yHeight;
  w.yOffset = r.yOffset;
  w.crTextColor = r.crTextColor;
  w.bCharSet = r.bCharSet;
  w.bPitchAndFamily = r.bPitchAndFamily;
  std::copy(std::begin(r.szFaceName), std::end(r.szFaceName), std::begin(w.szFaceName));
  return w;
}

bool ValidSize(UINT size) { return size == sizeof(CHARFORMATA) || size == sizeof(CHARFORMAT2A); }

enum class CharClass { kSpace, kEnd, kPunctuation, kWord };

CharClass ClassOf(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (c == ' ' || c == '\t') return CharClass::kSpace;
  if (IsEnd(c)) return CharClass::kEnd;
  if (u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '_') {
    return CharClass::kWord;
  }
  return CharClass::kPunctuation;
}

}  // namespace

TextEngine::TextEngine() {
  chars_.Reserve(256);
  formats_.Reserve(256);
}

// ---- Text and lines ---------------------------------------------------------

LONG TextEngine::TextLength() const noexcept { return static_cast<LONG>(Length()); }

LONG TextEngine::LineCount() const noexcept { return static_cast<LONG>(lines_.LineCount()); }

LONG TextEngine::LineFromChar(LONG pos) const noexcept {
  const Pos p = pos < 0 ? SelMin() : pos;
  return static_cast<LONG>(LineOf(std::min(p, Length())));
}

LONG TextEngine::LineStart(LONG line) const noexcept {
  if (line == -1) return static_cast<LONG>(lines_.LineStart(LineOf(CaretInText())));
  if (line < 0 || line >= LineCount()) return -1;
  return static_cast<LONG>(lines_.LineStart(line));
}

LONG TextEngine::LineLength(LONG pos) const noexcept {
  if (pos < 0) {
    const Pos start = EditStart();
    const Pos end = EditEnd();
    const Pos before = start - lines_.LineStart(LineOf(start));
    const Pos after = std::max<Pos>(0, LineEnd(LineOf(end)) - SelMax());
    return static_cast<LONG>(before + after);
  }
  if (pos > Length()) return 0;
  const Pos line = LineOf(pos);
  return static_cast<LONG>(LineEnd(line) - lines_.LineStart(line));
}

TextEngine::Pos TextEngine::LineEnd(Pos line) const noexcept {
  return line + 1 < lines_.LineCount() ? lines_.LineStart(line + 1) - 1 : Length();
}

bool TextEngine::IsParagraphEnd(Pos pos) const noexcept { return IsEnd(chars_[pos]); }

void TextEngine::AppendReadBack(std::string& out, Pos start, Pos end) const {
  chars_.ForEachSpan(start, end - start, [&out](const char* p, Pos n) {
    const char* run = p;
    for (const char* q = p; q != p + n; ++q) {
      if (!IsEnd(*q)) continue;
      out.append(run, q);
      out.append(*q == '\r' ? "\r\n" : "\r\r\n");
      run = q + 1;
    }
    out.append(run, p + n);
  });
}

std::string TextEngine::Text() const { return TextRange(0, -1); }

std::string TextEngine::TextRange(LONG start, LONG end) const {
  const Pos n = Length();
  const Pos from = std::clamp<Pos>(start, 0, n);
  const Pos to = end < 0 ? n : std::clamp<Pos>(end, from, n);
  std::string out;
  try {
    out.reserve(static_cast<std::size_t>(to - from));
    AppendReadBack(out, from, to);
  } catch (const std::bad_alloc&) {
    out.clear();
  }
  return out;
}

std::string TextEngine::SelectedText() const {
  return TextRange(static_cast<LONG>(EditStart()), static_cast<LONG>(EditEnd()));
}

char TextEngine::CharAt(LONG pos) const noexcept { return pos >= 0 && pos < Length() ? chars_[pos] : '\0'; }

LONG TextEngine::FindLastChar(char c, LONG from, LONG to) const noexcept {
  const Pos start = std::max<Pos>(from, 0);
  const Pos end = std::min<Pos>(to, Length());
  if (start >= end) return -1;
  // The at most two pieces around the gap, searched from the later one.
  struct Span {
    const char* data;
    Pos length;
    Pos first;
  };
  Span spans[2] = {};
  int count = 0;
  Pos next = start;
  chars_.ForEachSpan(start, end - start, [&](const char* data, Pos length) {
    spans[count++] = Span{data, length, next};
    next += length;
  });
  for (int i = count - 1; i >= 0; --i) {
    if (const void* hit = ::memrchr(spans[i].data, c, static_cast<std::size_t>(spans[i].length))) {
      return static_cast<LONG>(spans[i].first + (static_cast<const char*>(hit) - spans[i].data));
    }
  }
  return -1;
}

const CharFormat& TextEngine::FormatAt(LONG pos) const noexcept {
  return pos >= 0 && pos < Length() ? table_.Get(formats_[pos]) : DefaultFormat();
}

FormattedText TextEngine::FormattedRange(LONG start, LONG end) const {
  const Pos n = Length();
  const Pos from = std::clamp<Pos>(start, 0, n);
  const Pos to = end < 0 ? n : std::clamp<Pos>(end, from, n);
  FormattedText out;
  try {
    out.text.resize(static_cast<std::size_t>(to - from));
    chars_.CopyTo(from, to - from, out.text.data());
    FormatId current = 0;
    formats_.ForEachSpan(from, to - from, [&](const FormatId* p, Pos count) {
      for (Pos i = 0; i < count; ++i) {
        if (out.runs.empty() || p[i] != current) {
          current = p[i];
          out.runs.push_back(FormatRun{0, table_.Get(current)});
        }
        ++out.runs.back().length;
      }
    });
  } catch (const std::bad_alloc&) {
    out = FormattedText{};
  }
  return out;
}

// ---- Selection and editing --------------------------------------------------

CHARRANGE TextEngine::Selection() const noexcept {
  return CHARRANGE{static_cast<LONG>(SelMin()), static_cast<LONG>(SelMax())};
}

void TextEngine::SetSelection(LONG cp_min, LONG cp_max) {
  const Pos n = Length();
  Pos from = cp_min < 0 ? -1 : cp_min;
  Pos to = cp_max < 0 ? -1 : cp_max;
  Pos anchor = 0;
  Pos caret = 0;
  if (from == to && (to < 0 || to > n)) {
    anchor = caret = n;
  } else if (from < 0) {
    anchor = caret = EditEnd();
  } else {
    if (to < 0) to = n + 1;
    if (from > to) std::swap(from, to);
    if (from > n) {
      anchor = caret = n;
    } else {
      anchor = from;
      caret = std::min(to, n + 1);
    }
  }
  if (Select(anchor, caret)) Notify(kSelectionChanged);
}

TextEngine::FormatId TextEngine::InsertionFormatAt(Pos anchor, Pos caret) const noexcept {
  const Pos n = Length();
  const Pos start = std::min(anchor, caret);
  if (anchor != caret && start < n) return formats_[start];
  const Pos at = std::min(start, n);
  return at > 0 ? formats_[at - 1] : default_id_;
}

bool TextEngine::Select(Pos anchor, Pos caret, bool keep_goal) {
  if (!keep_goal) goal_column_ = -1;
  if (anchor == anchor_ && caret == caret_) return false;
  anchor_ = anchor;
  caret_ = caret;
  insertion_id_ = InsertionFormatAt(anchor, caret);
  return true;
}

bool TextEngine::ReplaceWithFill(Pos start, Pos end, std::string_view bytes, FormatId fill) {
  return Replace(start, end, bytes, no_ids_, fill);
}

bool TextEngine::Replace(Pos start, Pos end, std::string_view bytes, const std::vector<FormatId>& ids,
                         FormatId fill) {
  const auto length = static_cast<Pos>(bytes.size());
  if (start == end && length == 0) {
    if (Select(start, start)) Notify(kSelectionChanged);
    return true;
  }
  // Everything that can fail happens before the text changes.
  try {
    chars_.Reserve(length);
    formats_.Reserve(length);
    scratch_starts_.clear();
    for (Pos i = 0; i < length; ++i) {
      if (IsEnd(bytes[static_cast<std::size_t>(i)])) scratch_starts_.push_back(start + i + 1);
    }
    lines_.Reserve(static_cast<Pos>(scratch_starts_.size()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  lines_.Erase(start, end - start);
  chars_.Erase(start, end - start);
  formats_.Erase(start, end - start);
  chars_.Insert(start, bytes.data(), length);
  if (ids.empty()) {
    formats_.InsertFill(start, length, fill);
  } else {
    formats_.Insert(start, ids.data(), length);
  }
  lines_.Insert(start, length, scratch_starts_);

  // The text changed under the selection: place the caret and take the
  // insertion format afresh even when the caret stays where it was.
  const Pos caret = start + length;
  anchor_ = caret_ = caret;
  goal_column_ = -1;
  insertion_id_ = InsertionFormatAt(caret, caret);
  unsigned changes = kTextChanged | kSelectionChanged;
  if (SetFirstVisible(first_visible_)) changes |= kViewChanged;
  if (KeepCaretVisible()) changes |= kViewChanged;
  Notify(changes);
  return true;
}

bool TextEngine::ReplaceSelection(std::string_view text) {
  std::string stored;
  try {
    stored = ToStored(text);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return ReplaceWithFill(EditStart(), EditEnd(), stored, insertion_id_);
}

bool TextEngine::ReplaceSelection(const FormattedText& text) {
  std::vector<FormatId> ids;
  try {
    ids.reserve(text.text.size());
    EnsureFormatRoom(text.runs.size() + 1);
    for (const FormatRun& run : text.runs) {
      const std::size_t count = std::min(run.length, text.text.size() - ids.size());
      const FormatId id = table_.Intern(run.format).value_or(insertion_id_);
      ids.insert(ids.end(), count, id);
    }
    ids.resize(text.text.size(), insertion_id_);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (ids.empty()) return ReplaceWithFill(EditStart(), EditEnd(), {}, insertion_id_);
  return Replace(EditStart(), EditEnd(), text.text, ids, insertion_id_);
}

bool TextEngine::DeleteSelection() {
  return ReplaceWithFill(EditStart(), EditEnd(), {}, insertion_id_);
}

// ---- Character formats ------------------------------------------------------

DWORD TextEngine::SelectionFormat(CharFormat& out) const {
  const Pos start = EditStart();
  const Pos end = EditEnd();
  if (start >= end) {
    out = table_.Get(insertion_id_);
    return kAllCharFormatMask;
  }
  const FormatId first = formats_[start];
  out = table_.Get(first);
  DWORD differing = 0;
  FormatId last_compared = first;
  formats_.ForEachSpan(start, end - start, [&](const FormatId* p, Pos count) {
    for (Pos i = 0; i < count; ++i) {
      if (p[i] == last_compared || p[i] == first) continue;
      last_compared = p[i];
      differing |= DifferingAttributes(out, table_.Get(p[i]));
    }
  });
  return kAllCharFormatMask & ~differing;
}

DWORD TextEngine::GetSelectionCharFormat(CHARFORMAT2A& record) const {
  if (!ValidSize(record.cbSize)) return 0;
  CharFormat format;
  const DWORD mask = SelectionFormat(format);
  if (record.cbSize == sizeof(CHARFORMATA)) {
    record = ToCharFormat2(format, mask & ~CFM_BACKCOLOR);
    record.cbSize = sizeof(CHARFORMATA);
  } else {
    record = ToCharFormat2(format, mask);
  }
  return record.dwMask;
}

DWORD TextEngine::GetSelectionCharFormat(CHARFORMATA& record) const {
  if (record.cbSize != sizeof(CHARFORMATA)) return 0;
  CharFormat format;
  const DWORD mask = SelectionFormat(format);
  record = ToCharFormat(format, mask);
  return record.dwMask;
}

bool TextEngine::SetSelectionCharFormat(const CHARFORMAT2A& record) {
  return ChangeFormats(record, EditStart(), EditEnd(), true, false);
}

bool TextEngine::SetSelectionCharFormat(const CHARFORMATA& record) {
  return record.cbSize == sizeof(CHARFORMATA) && SetSelectionCharFormat(Widen(record));
}

bool TextEngine::SetAllCharFormat(const CHARFORMAT2A& record) {
  return ChangeFormats(record, 0, Length(), true, true);
}

bool TextEngine::SetAllCharFormat(const CHARFORMATA& record) {
  return record.cbSize == sizeof(CHARFORMATA) && SetAllCharFormat(Widen(record));
}

bool TextEngine::SetDefaultCharFormat(const CHARFORMAT2A& record) {
  return ChangeFormats(record, 0, 0, false, true);
}

bool TextEngine::SetDefaultCharFormat(const CHARFORMATA& record) {
  return record.cbSize == sizeof(CHARFORMATA) && SetDefaultCharFormat(Widen(record));
}

DWORD TextEngine::GetDefaultCharFormat(CHARFORMAT2A& record) const {
  if (!ValidSize(record.cbSize)) return 0;
  const UINT size = record.cbSize;
  record = ToCharFormat2(DefaultFormat(), size == sizeof(CHARFORMATA) ? kAllCharFormatMask & ~CFM_BACKCOLOR
                                                                       : kAllCharFormatMask);
  record.cbSize = size;
  return record.dwMask;
}

const CharFormat& TextEngine::DefaultFormat() const noexcept { return table_.Get(default_id_); }

void TextEngine::CollectIds(Pos start, Pos end) {
  scratch_ids_.clear();
  if (scratch_remap_.size() < table_.size()) scratch_remap_.resize(table_.size(), -1);
  const auto mark = [this](FormatId id) {
    if (scratch_remap_[id] != -1) return;
    scratch_remap_[id] = -2;
    scratch_ids_.push_back(id);
  };
  formats_.ForEachSpan(start, end - start, [&mark](const FormatId* p, Pos count) {
    FormatId previous = p[0];
    mark(previous);
    for (Pos i = 1; i < count; ++i) {
      if (p[i] != previous) mark(previous = p[i]);
    }
  });
}

void TextEngine::ReleaseScratch() noexcept {
  for (const FormatId id : scratch_ids_) scratch_remap_[id] = -1;
  scratch_ids_.clear();
}

bool TextEngine::ChangeFormats(const CHARFORMAT2A& record, Pos start, Pos end, bool insertion,
                               bool default_format) {
  if (!ValidSize(record.cbSize)) return false;
  const auto changed = [&record](const CharFormat& base) {
    CharFormat f = base;
    ApplyCharFormat(f, record);
    return f;
  };
  const LONG old_line_height = LineHeight();
  bool any_changed = false;
  try {
    CollectIds(start, end);
    // Room for every new format: one per distinct id, the insertion and the default.
    if (table_.size() + scratch_ids_.size() + 2 > FormatTable::kCapacity) {
      const std::size_t needed = scratch_ids_.size() + 2;
      ReleaseScratch();
      if (!EnsureFormatRoom(needed)) return false;
      CollectIds(start, end);
      if (table_.size() + scratch_ids_.size() + 2 > FormatTable::kCapacity) {
        ReleaseScratch();
        return false;
      }
    }
    std::vector<FormatId> new_ids;
    new_ids.reserve(scratch_ids_.size());
    for (const FormatId id : scratch_ids_) new_ids.push_back(*table_.Intern(changed(table_.Get(id))));
    FormatId new_insertion = insertion_id_;
    if (insertion) new_insertion = *table_.Intern(changed(table_.Get(insertion_id_)));
    FormatId new_default = default_id_;
    if (default_format) new_default = *table_.Intern(changed(table_.Get(default_id_)));

    // Nothing below allocates.
    for (std::size_t i = 0; i < scratch_ids_.size(); ++i) {
      scratch_remap_[scratch_ids_[i]] = new_ids[i];
      any_changed = any_changed || new_ids[i] != scratch_ids_[i];
    }
    if (any_changed) {
      formats_.ForEachMutableSpan(start, end - start, [this](FormatId* p, Pos count) {
        for (Pos i = 0; i < count; ++i) p[i] = static_cast<FormatId>(scratch_remap_[p[i]]);
      });
    }
    ReleaseScratch();
    any_changed = any_changed || new_insertion != insertion_id_ || new_default != default_id_;
    insertion_id_ = new_insertion;
    default_id_ = new_default;
  } catch (const std::bad_alloc&) {
    ReleaseScratch();
    return false;
  }
  unsigned changes = any_changed ? kFormatChanged : 0;
  if (LineHeight() != old_line_height) changes |= kViewChanged;
  Notify(changes);
  return true;
}

bool TextEngine::EnsureFormatRoom(std::size_t count) {
  if (table_.size() + count <= FormatTable::kCapacity) return true;
  CompactFormats();
  return table_.size() + count <= FormatTable::kCapacity;
}

void TextEngine::CompactFormats() {
  std::vector<bool> used(table_.size(), false);
  formats_.ForEachSpan(0, Length(), [&used](const FormatId* p, Pos count) {
    for (Pos i = 0; i < count; ++i) used[p[i]] = true;
  });
  used[default_id_] = true;
  used[insertion_id_] = true;
  const std::vector<FormatId> remap = table_.Compact(used);
  formats_.ForEachMutableSpan(0, Length(), [&remap](FormatId* p, Pos count) {
    for (Pos i = 0; i < count; ++i) p[i] = remap[p[i]];
  });
  default_id_ = remap[default_id_];
  insertion_id_ = remap[insertion_id_];
}

// ---- View ---------------------------------------------------------------------

void TextEngine::SetClientHeight(LONG pixels) {
  if (pixels < 0) pixels = 0;
  if (pixels == client_height_) return;
  client_height_ = pixels;
  Notify(kViewChanged);
}

void TextEngine::SetLineHeight(LONG pixels) {
  if (pixels < 0) pixels = 0;
  if (pixels == line_height_) return;
  line_height_ = pixels;
  Notify(kViewChanged);
}

LONG TextEngine::LineHeight() const noexcept {
  if (line_height_ > 0) return line_height_;
  // The control's own formula on whole points: ceil(points * 20 / 12.9).
  const LONG points = std::max<LONG>(1, DefaultFormat().height_twips / 20);
  return (points * 200 + 128) / 129;
}

LONG TextEngine::VisibleLineCount() const noexcept { return std::max<LONG>(1, client_height_ / LineHeight()); }

bool TextEngine::SetFirstVisible(Pos line) noexcept {
  line = std::clamp<Pos>(line, 0, lines_.LineCount() - 1);
  if (line == first_visible_) return false;
  first_visible_ = line;
  return true;
}

bool TextEngine::KeepCaretVisible() noexcept {
  const Pos line = LineOf(CaretInText());
  const Pos visible = VisibleLineCount();
  if (line < first_visible_) return SetFirstVisible(line);
  if (line >= first_visible_ + visible) return SetFirstVisible(line - visible + 1);
  return false;
}

void TextEngine::LineScroll(LONG lines) {
  if (SetFirstVisible(first_visible_ + lines)) Notify(kViewChanged);
}

bool TextEngine::VScroll(UINT code) {
  const Pos page = VisibleLineCount();
  Pos line = first_visible_;
  switch (code) {
    case SB_LINEUP: line -= 1; break;
    case SB_LINEDOWN: line += 1; break;
    case SB_PAGEUP: line -= page; break;
    case SB_PAGEDOWN: line += page; break;
    case SB_TOP: line = 0; break;
    case SB_BOTTOM: line = std::max<Pos>(0, lines_.LineCount() - page); break;
    default: return false;
  }
  if (SetFirstVisible(line)) Notify(kViewChanged);
  return true;
}

void TextEngine::ScrollCaret() {
  if (KeepCaretVisible()) Notify(kViewChanged);
}

// ---- Flags ----------------------------------------------------------------------

void TextEngine::SetHideSelection(bool hide) {
  if (hide == hide_selection_) return;
  hide_selection_ = hide;
  Notify(kViewChanged);
}

COLORREF TextEngine::SetBackgroundColor(bool use_system_color, COLORREF color) {
  const COLORREF previous = background_;
  use_system_background_ = use_system_color;
  // The system window colour of the desk is white.
  background_ = use_system_color ? 0x00FFFFFF : color;
  if (background_ != previous) Notify(kViewChanged);
  return previous;
}

DWORD TextEngine::SetEventMask(DWORD mask) noexcept {
  const DWORD previous = event_mask_;
  event_mask_ = mask;
  return previous;
}

void TextEngine::SetRedraw(bool on) {
  redraw_ = on;
  if (on && pending_changes_ != 0) {
    const unsigned changes = pending_changes_;
    pending_changes_ = 0;
    Notify(changes);
  }
}

void TextEngine::Notify(unsigned changes) {
  if (changes == 0) return;
  if (!redraw_) {
    pending_changes_ |= changes;
    return;
  }
  if (!listener_) return;
  // The edit is complete; a failing listener must not turn it into a failure.
  try {
    listener_(changes);
  } catch (...) {
  }
}

// ---- Keys -----------------------------------------------------------------------

void TextEngine::MoveCaret(Pos pos, bool extend, bool keep_goal, unsigned changes) {
  if (Select(extend ? anchor_ : pos, pos, keep_goal)) changes |= kSelectionChanged;
  if (KeepCaretVisible()) changes |= kViewChanged;
  Notify(changes);
}

void TextEngine::MoveVertically(Pos lines, bool extend, unsigned changes) {
  const Pos n = Length();
  const Pos from = CaretInText();
  const Pos line = LineOf(from);
  const Pos column = goal_column_ >= 0 ? goal_column_ : from - lines_.LineStart(line);
  const Pos last = lines_.LineCount() - 1;
  Pos target = line + lines;
  Pos pos = 0;
  if (target < 0 && line == 0) {
    pos = 0;  // up from the first line: start of the text
  } else if (target > last && line == last) {
    pos = n;  // down from the last line: end of the text
  } else {
    target = std::clamp<Pos>(target, 0, last);
    const Pos start = lines_.LineStart(target);
    pos = start + std::min(column, LineEnd(target) - start);
  }
  goal_column_ = column;
  MoveCaret(pos, extend, true, changes);
}

void TextEngine::PageMove(bool down, bool extend) {
  const Pos page = VisibleLineCount();
  const Pos count = lines_.LineCount();
  const Pos first = down ? std::max(first_visible_, std::min(first_visible_ + page, count - page))
                         : first_visible_ - page;
  const bool scrolled = SetFirstVisible(first);
  MoveVertically(down ? page : -page, extend, scrolled ? kViewChanged : 0);
}

TextEngine::Pos TextEngine::WordRight(Pos pos) const noexcept {
  const Pos n = Length();
  if (pos >= n) return n;
  const CharClass start_class = ClassOf(chars_[pos]);
  if (start_class == CharClass::kEnd) return pos + 1;
  if (start_class != CharClass::kSpace) {
    while (pos < n && ClassOf(chars_[pos]) == start_class) ++pos;
  }
  while (pos < n && ClassOf(chars_[pos]) == CharClass::kSpace) ++pos;
  return pos;
}

TextEngine::Pos TextEngine::WordLeft(Pos pos) const noexcept {
  while (pos > 0 && ClassOf(chars_[pos - 1]) == CharClass::kSpace) --pos;
  if (pos == 0) return 0;
  const CharClass word_class = ClassOf(chars_[pos - 1]);
  if (word_class == CharClass::kEnd) return pos - 1;
  while (pos > 0 && ClassOf(chars_[pos - 1]) == word_class) --pos;
  return pos;
}

void TextEngine::Copy() {
  if (clipboard_ == nullptr || EditStart() >= EditEnd()) return;
  clipboard_->SetText(SelectedText());
}

void TextEngine::Cut() {
  if (clipboard_ == nullptr || EditStart() >= EditEnd()) return;
  if (clipboard_->SetText(SelectedText())) DeleteSelection();
}

void TextEngine::Paste() {
  if (clipboard_ == nullptr || !clipboard_->HasText()) return;
  if (const std::optional<std::string> text = clipboard_->GetText()) ReplaceSelection(*text);
}

bool TextEngine::HandleKey(UINT vk, bool shift, bool ctrl) {
  const Pos n = Length();
  const bool has_selection = anchor_ != caret_;
  switch (vk) {
    case VK_LEFT:
      if (ctrl) {
        MoveCaret(WordLeft(CaretInText()), shift);
      } else if (!shift && has_selection) {
        MoveCaret(EditStart(), false);
      } else {
        MoveCaret(std::max<Pos>(0, caret_ - 1), shift);
      }
      return true;
    case VK_RIGHT:
      if (ctrl) {
        MoveCaret(WordRight(CaretInText()), shift);
      } else if (!shift && has_selection) {
        MoveCaret(EditEnd(), false);
      } else {
        MoveCaret(caret_ >= n ? caret_ : caret_ + 1, shift);
      }
      return true;
    case VK_UP:
    case VK_DOWN:
      if (ctrl) {
        // By paragraphs: to the start of this one, or of the previous or next.
        const Pos line = LineOf(CaretInText());
        const Pos start = lines_.LineStart(line);
        Pos pos = 0;
        if (vk == VK_UP) {
          pos = CaretInText() > start || line == 0 ? start : lines_.LineStart(line - 1);
        } else {
          pos = line + 1 < lines_.LineCount() ? lines_.LineStart(line + 1) : n;
        }
        MoveCaret(pos, shift);
      } else {
        MoveVertically(vk == VK_UP ? -1 : 1, shift);
      }
      return true;
    case VK_HOME:
      MoveCaret(ctrl ? 0 : lines_.LineStart(LineOf(CaretInText())), shift);
      return true;
    case VK_END:
      MoveCaret(ctrl ? n : LineEnd(LineOf(CaretInText())), shift);
      return true;
    case VK_PRIOR:
    case VK_NEXT:
      PageMove(vk == VK_NEXT, shift);
      return true;
    case VK_DELETE:
      if (shift && !ctrl) {
        Cut();
      } else if (has_selection) {
        DeleteSelection();
      } else if (caret_ < n) {
        ReplaceWithFill(caret_, ctrl ? WordRight(caret_) : caret_ + 1, {}, insertion_id_);
      }
      return true;
    case VK_INSERT:
      if (ctrl) {
        Copy();
      } else if (shift) {
        Paste();
      } else {
        overtype_ = !overtype_;
      }
      return true;
    case VK_BACK:
      if (has_selection) {
        DeleteSelection();
      } else if (caret_ > 0) {
        ReplaceWithFill(caret_ - 1, caret_, {}, insertion_id_);
      }
      return true;
    case VK_RETURN:
      TypeCharacter('\r', false);
      return true;
    default:
      break;
  }
  if (!ctrl) return false;
  switch (vk) {
    case 'A':
      if (Select(0, n + 1)) Notify(kSelectionChanged);
      return true;
    case 'C':
      Copy();
      return true;
    case 'X':
      Cut();
      return true;
    case 'V':
      Paste();
      return true;
    default:
      return false;
  }
}

void TextEngine::TypeCharacter(char c, bool may_overtype) {
  const Pos start = EditStart();
  Pos end = EditEnd();
  if (may_overtype && overtype_ && anchor_ == caret_ && start < Length() && !IsParagraphEnd(start)) end = start + 1;
  ReplaceWithFill(start, end, std::string_view(&c, 1), insertion_id_);
}

bool TextEngine::HandleChar(BYTE ch) {
  if (ch != '\t' && (ch < 0x20 || ch == 0x7F)) return false;
  TypeCharacter(static_cast<char>(ch), true);
  return true;
}

}  // namespace zv::platform
