// Random edits against naive models: a std::string with a vector of formats
// for the engine, a plain vector of starts for the line index.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/line_index.h"
#include "platform/text_engine.h"

namespace zv::platform {
namespace {

using Pos = long;

bool IsEnd(char c) { return c == '\r' || c == '\n'; }

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

// The engine's behaviour written the slow and obvious way.
struct Model {
  std::string text;  // stored form
  std::vector<CharFormat> formats;
  CharFormat default_format;
  CharFormat insertion;
  Pos anchor = 0;
  Pos caret = 0;
  Pos goal = -1;
  Pos first = 0;
  Pos visible = 1;
  bool overtype = false;

  Pos n() const { return static_cast<Pos>(text.size()); }
  Pos SelMin() const { return std::min(anchor, caret); }
  Pos SelMax() const { return std::max(anchor, caret); }
  Pos EditEnd() const { return std::min(SelMax(), n()); }

  std::vector<Pos> Starts() const {
    std::vector<Pos> starts{0};
    for (Pos i = 0; i < n(); ++i) {
      if (IsEnd(text[static_cast<std::size_t>(i)])) starts.push_back(i + 1);
    }
    return starts;
  }
  Pos LineOf(Pos pos) const {
    return static_cast<Pos>(std::count_if(text.begin(), text.begin() + std::min(pos, n()), IsEnd));
  }
  Pos LineEnd(Pos line) const {
    const std::vector<Pos> s = Starts();
    return line + 1 < static_cast<Pos>(s.size()) ? s[static_cast<std::size_t>(line) + 1] - 1 : n();
  }
  Pos LineStart(Pos line) const { return Starts()[static_cast<std::size_t>(line)]; }
  Pos LineCount() const { return LineOf(n()) + 1; }

  std::string ReadBack() const {
    std::string out;
    for (const char c : text) out += c == '\r' ? "\r\n" : c == '\n' ? "\r\r\n" : std::string(1, c);
    return out;
  }

  CharFormat InsertionAt(Pos a, Pos c) const {
    const Pos lo = std::min(a, c);
    if (a != c && lo < n()) return formats[static_cast<std::size_t>(lo)];
    const Pos at = std::min(lo, n());
    return at > 0 ? formats[static_cast<std::size_t>(at) - 1] : default_format;
  }
  void Select(Pos a, Pos c, bool keep_goal = false) {
    if (!keep_goal) goal = -1;
    if (a == anchor && c == caret) return;
    anchor = a;
    caret = c;
    insertion = InsertionAt(a, c);
  }
  void KeepVisible() {
    const Pos line = LineOf(std::min(caret, n()));
    if (line < first) first = line;
    if (line >= first + visible) first = line - visible + 1;
  }
  void Replace(Pos start, Pos end, const std::string& stored, const CharFormat& format) {
    if (start == end && stored.empty()) {
      Select(start, start);
      return;
    }
    const auto s = static_cast<std::size_t>(start);
    text.replace(s, static_cast<std::size_t>(end - start), stored);
    formats.erase(formats.begin() + start, formats.begin() + end);
    formats.insert(formats.begin() + start, stored.size(), format);
    anchor = caret = start + static_cast<Pos>(stored.size());
    goal = -1;
    insertion = InsertionAt(caret, caret);
    first = std::min(first, LineCount() - 1);
    KeepVisible();
  }
  void ReplaceSelection(const std::string& read_back) {
    std::string stored = ReplaceAll(read_back, "\r\r\n", "\x01");
    stored = ReplaceAll(stored, "\r\n", "\r");
    std::replace(stored.begin(), stored.end(), '\n', '\r');
    std::replace(stored.begin(), stored.end(), '\x01', '\n');
    Replace(std::min(SelMin(), n()), EditEnd(), stored, insertion);
  }
  void SetSelection(Pos from, Pos to) {
    if (from < 0) from = -1;
    if (to < 0) to = -1;
    if (from == to && (to < 0 || to > n())) return Select(n(), n());
    if (from < 0) return Select(EditEnd(), EditEnd());
    if (to < 0) to = n() + 1;
    if (from > to) std::swap(from, to);
    if (from > n()) return Select(n(), n());
    Select(from, std::min(to, n() + 1));
  }
  void SetColor(COLORREF color) {
    for (Pos i = std::min(SelMin(), n()); i < EditEnd(); ++i) formats[static_cast<std::size_t>(i)].color = color;
    insertion.color = color;
  }
  void Type(char c, bool may_overtype) {
    const Pos start = std::min(SelMin(), n());
    Pos end = EditEnd();
    if (may_overtype && overtype && anchor == caret && start < n() && !IsEnd(text[static_cast<std::size_t>(start)])) {
      end = start + 1;
    }
    Replace(start, end, std::string(1, c), insertion);
  }
  void Move(Pos pos, bool extend, bool keep_goal = false) {
    Select(extend ? anchor : pos, pos, keep_goal);
    KeepVisible();
  }
  void Vertical(Pos delta, bool extend) {
    const Pos from = std::min(caret, n());
    const Pos line = LineOf(from);
    const Pos column = goal >= 0 ? goal : from - LineStart(line);
    const Pos target = line + delta;
    Pos pos = 0;
    if (target < 0) {
      pos = 0;
    } else if (target >= LineCount()) {
      pos = n();
    } else {
      pos = LineStart(target) + std::min(column, LineEnd(target) - LineStart(target));
    }
    goal = column;
    Move(pos, extend, true);
  }
  void Key(UINT vk, bool shift, bool ctrl) {
    const Pos from = std::min(caret, n());
    switch (vk) {
      case VK_LEFT:
        if (!shift && anchor != caret) return Move(std::min(SelMin(), n()), false);
        return Move(std::max<Pos>(0, caret - 1), shift);
      case VK_RIGHT:
        if (!shift && anchor != caret) return Move(EditEnd(), false);
        return Move(caret >= n() ? caret : caret + 1, shift);
      case VK_UP: return Vertical(-1, shift);
      case VK_DOWN: return Vertical(1, shift);
      case VK_HOME: return Move(ctrl ? 0 : LineStart(LineOf(from)), shift);
      case VK_END: return Move(ctrl ? n() : LineEnd(LineOf(from)), shift);
      case VK_DELETE:
        if (shift) return;  // cut, with no clipboard
        if (anchor != caret) return Replace(std::min(SelMin(), n()), EditEnd(), "", insertion);
        if (caret < n()) Replace(caret, caret + 1, "", insertion);
        return;
      case VK_INSERT:
        if (!shift) overtype = !overtype;  // Shift+Insert pastes, with no clipboard
        return;
      case VK_BACK:
        if (anchor != caret) return Replace(std::min(SelMin(), n()), EditEnd(), "", insertion);
        if (caret > 0) Replace(caret - 1, caret, "", insertion);
        return;
      case VK_RETURN: return Type('\r', false);
      default: return;
    }
  }
};

void ExpectSame(const TextEngine& e, const Model& m, std::mt19937& rng, int step) {
  SCOPED_TRACE("step " + std::to_string(step));
  ASSERT_EQ(e.TextLength(), m.n());
  ASSERT_EQ(e.Text(), m.ReadBack());
  ASSERT_EQ(e.LineCount(), m.LineCount());
  const CHARRANGE sel = e.Selection();
  ASSERT_EQ(sel.cpMin, m.SelMin());
  ASSERT_EQ(sel.cpMax, m.SelMax());
  ASSERT_EQ(e.FirstVisibleLine(), m.first);
  const std::vector<Pos> starts = m.Starts();
  for (std::size_t line = 0; line < starts.size(); ++line) {
    ASSERT_EQ(e.LineStart(static_cast<LONG>(line)), starts[line]) << "line " << line;
  }
  std::uniform_int_distribution<Pos> any_pos(0, m.n());
  for (int i = 0; i < 16; ++i) {
    const Pos p = any_pos(rng);
    const auto line = std::upper_bound(starts.begin(), starts.end(), p) - starts.begin() - 1;
    ASSERT_EQ(e.LineFromChar(static_cast<LONG>(p)), line) << "pos " << p;
  }
  const Pos caret_line = m.LineOf(std::min(m.caret, m.n()));
  ASSERT_EQ(e.LineStart(-1), starts[static_cast<std::size_t>(caret_line)]);
  const Pos lo = std::min(m.SelMin(), m.n());
  const Pos unselected = (lo - starts[static_cast<std::size_t>(m.LineOf(lo))]) +
                         std::max<Pos>(0, m.LineEnd(m.LineOf(m.EditEnd())) - m.SelMax());
  ASSERT_EQ(e.LineLength(-1), unselected);
  for (Pos i = 0; i < m.n(); ++i) {
    ASSERT_EQ(e.FormatAt(static_cast<LONG>(i)), m.formats[static_cast<std::size_t>(i)]) << "pos " << i;
  }
  CharFormat insertion;
  if (m.anchor == m.caret) {
    e.SelectionFormat(insertion);
    ASSERT_EQ(insertion, m.insertion);
  }
}

TEST(TextEngineRandom, AgreesWithNaiveModel) {
  std::mt19937 rng(20240517);
  TextEngine e;
  Model m;
  e.SetClientHeight(16 * 4);
  m.visible = 4;
  const std::vector<std::string> pieces = {"a", "b", "XY", " ", "\t", "\r\n", "\r", "\n", "\r\r\n", "\t\r", "\xE9"};
  const std::vector<UINT> keys = {VK_LEFT,   VK_RIGHT,  VK_UP,   VK_DOWN,  VK_HOME,
                                  VK_END,    VK_DELETE, VK_INSERT, VK_BACK, VK_RETURN};
  const auto pick = [&rng](auto& v) -> auto& { return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)]; };
  const auto chance = [&rng](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };

  for (int step = 0; step < 4000; ++step) {
    const Pos n = m.n();
    const int op = std::uniform_int_distribution<int>(0, 99)(rng);
    if (op < 20) {
      std::uniform_int_distribution<Pos> pos(-2, n + 3);
      const Pos from = pos(rng);
      // Mostly short selections, so that the text grows to many lines.
      const Pos to = chance(10) ? pos(rng) : from + std::uniform_int_distribution<Pos>(0, 3)(rng);
      e.SetSelection(static_cast<LONG>(from), static_cast<LONG>(to));
      m.SetSelection(from, to);
    } else if (op < 40) {
      std::string text;
      const int count = std::uniform_int_distribution<int>(0, n > 3000 ? 2 : chance(5) ? 300 : 12)(rng);
      for (int i = 0; i < count; ++i) text += pick(pieces);
      ASSERT_TRUE(e.ReplaceSelection(text));
      m.ReplaceSelection(text);
    } else if (op < 45 || (op < 50 && n > 3000)) {
      if (n > 3000) {  // keep the text at a size where the model stays quick
        const Pos from = std::uniform_int_distribution<Pos>(0, n / 2)(rng);
        e.SetSelection(static_cast<LONG>(from), static_cast<LONG>(from + n / 3));
        m.SetSelection(from, from + n / 3);
      }
      ASSERT_TRUE(e.DeleteSelection());
      m.Replace(std::min(m.SelMin(), m.n()), m.EditEnd(), "", m.insertion);
    } else if (op < 55) {
      const auto color = static_cast<COLORREF>(std::uniform_int_distribution<int>(0, 5)(rng));
      CHARFORMAT2A r;
      r.dwMask = CFM_COLOR;
      r.crTextColor = color;
      ASSERT_TRUE(e.SetSelectionCharFormat(r));
      m.SetColor(color);
    } else if (op < 75) {
      const auto ch = static_cast<char>(std::uniform_int_distribution<int>('A', 'E')(rng));
      ASSERT_TRUE(e.HandleChar(static_cast<BYTE>(ch)));
      m.Type(ch, true);
    } else if (op < 97) {
      const UINT vk = pick(keys);
      const bool shift = chance(30);
      const bool ctrl = (vk == VK_HOME || vk == VK_END) && chance(30);
      ASSERT_TRUE(e.HandleKey(vk, shift, ctrl));
      m.Key(vk, shift, ctrl);
    } else {
      const Pos lines = std::uniform_int_distribution<Pos>(-30, 30)(rng);
      e.LineScroll(static_cast<LONG>(lines));
      m.first = std::clamp<Pos>(m.first + lines, 0, m.LineCount() - 1);
    }
    ExpectSame(e, m, rng, step);
    if (HasFatalFailure()) return;
  }
}

// The line index alone, with many lines so that the pending step moves far.
TEST(LineIndexRandom, AgreesWithRecomputedStarts) {
  using P = LineIndex::Position;
  std::mt19937 rng(77);
  const auto starts_in = [](const std::string& text, P offset) {
    std::vector<P> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') starts.push_back(offset + static_cast<P>(i) + 1);
    }
    return starts;
  };
  std::string text(20000, 'x');
  for (std::size_t i = 0; i < text.size(); i += 1 + rng() % 9) text[i] = '\r';
  LineIndex index;
  index.Insert(0, static_cast<P>(text.size()), starts_in(text, 0));

  for (int step = 0; step < 3000; ++step) {
    const auto pos = static_cast<P>(rng() % (text.size() + 1));
    if (rng() % 2 == 0) {
      std::string piece(1 + rng() % 40, 'y');
      for (char& c : piece) c = rng() % 6 == 0 ? '\r' : c;
      const std::vector<P> new_starts = starts_in(piece, pos);
      index.Reserve(static_cast<P>(new_starts.size()));
      index.Insert(pos, static_cast<P>(piece.size()), new_starts);
      text.insert(static_cast<std::size_t>(pos), piece);
    } else {
      const auto length = std::min(static_cast<P>(rng() % 60), static_cast<P>(text.size()) - pos);
      index.Erase(pos, length);
      text.erase(static_cast<std::size_t>(pos), static_cast<std::size_t>(length));
    }
    std::vector<P> starts = starts_in(text, 0);
    starts.insert(starts.begin(), 0);
    ASSERT_EQ(index.LineCount(), static_cast<P>(starts.size()));
    for (std::size_t l = 0; step % 100 == 0 && l < starts.size(); ++l) {
      ASSERT_EQ(index.LineStart(static_cast<P>(l)), starts[l]);
    }
    for (int i = 0; i < 8; ++i) {
      const auto p = static_cast<P>(rng() % (text.size() + 1));
      ASSERT_EQ(index.LineOfPosition(p), std::upper_bound(starts.begin(), starts.end(), p) - starts.begin() - 1);
    }
  }
}

}  // namespace
}  // namespace zv::platform
