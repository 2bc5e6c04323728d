// Highlighting a text: the rules applied line by line in a hidden rich-edit
// control, and the result read back as RTF.
#include <stdexcept>
#include <string_view>

#include "highlight/brimlux.h"
#include "highlight/hidden_rich_edit_ctrl.h"
#include "highlight/log_levels.h"
#include "highlight/regex_cache.h"
#include "platform/desktop.h"

namespace zv {
namespace {

// Caption of the colour-clash boxes: the control's own.
constexpr char kMessageCaption[] = "ZVEmul";
constexpr std::size_t kRowWidth = 64;
constexpr char kFormFeed = '\x0C';

// One line of the hidden control: its text and the positions its formats cover.
struct Line {
  std::string text;
  LONG start = 0;  // of the line in the control
  LONG end = 0;    // of its range: the line break or wrap marker included
};

// Lines as the res window lays a text out: rows end at a paragraph end or at
// a wrap marker (a tab before the paragraph end of a full row, or a form
// feed inside a paragraph). A marker is not part of the line's text but is
// inside its range; a paragraph end is inside the range of an ordinary row.
std::vector<Line> LinesOf(const platform::TextEngine& engine) {
  std::vector<Line> lines;
  const LONG count = engine.LineCount();
  for (LONG i = 0; i < count; ++i) {
    const LONG start = engine.LineStart(i);
    const LONG length = engine.LineLength(start);
    const bool last = i == count - 1;
    const std::string paragraph = engine.TextRange(start, start + length);
    std::size_t from = 0;
    for (;;) {
      const std::size_t feed = paragraph.find(kFormFeed, from);
      Line line;
      line.start = start + static_cast<LONG>(from);
      if (feed != std::string::npos) {
        line.text = paragraph.substr(from, feed - from);
        line.end = start + static_cast<LONG>(feed) + 1;
        lines.push_back(std::move(line));
        from = feed + 1;
        continue;
      }
      line.text = paragraph.substr(from);
      line.end = start + length;
      if (line.text.size() > kRowWidth && line.text.back() == '\t') {
        line.text.pop_back();  // the tab of the wrap marker; the row goes on
      } else if (!last) {
        ++line.end;
      }
      lines.push_back(std::move(line));
      break;
    }
  }
  return lines;
}

}  // namespace

HRESULT CBrimlux::SetDefaultRTF(bool forResponse, CHARFORMAT2A format) {
  try {
    (forResponse ? m_responseFormat : m_requestFormat) = format;
    CHiddenRichEditCtrl* hidden = forResponse ? m_responseCtrl.get() : m_requestCtrl.get();
    if (hidden == nullptr) throw std::logic_error("no hidden control");
    if (hidden->SetFormat(0, -1, format) != 0) {
      Log(kLogError, __LINE__, "CBrimlux::SetDefaultRTF",
          forResponse ? "Failed to set the default RTF color format in the host response hidden control."
                      : "Failed to set the default RTF color format in the host request hidden control.");
      return E_FAIL;
    }
    return 0;
  } catch (...) {
    Log(kLogError, __LINE__, "CBrimlux::SetDefaultRTF",
        "Exception setting the default RTF color format in the hidden control.");
    return E_FAIL;
  }
}

void CBrimlux::GetDefaultFormat(CHARFORMAT2A& format, bool forResponse) const {
  format = forResponse ? m_responseFormat : m_requestFormat;
}

void CBrimlux::ShowOnce(bool& shown, const std::string& text) {
  if (shown) return;
  shown = true;
  platform::MessageBox(m_owner, text, kMessageCaption, MB_OK);
}

HRESULT CBrimlux::BrimluxText(BOOL isResponse, std::string& text) {
  constexpr char kFn[] = "CBrimlux::BrimluxText";
  try {
    CHiddenRichEditCtrl* hidden = isResponse ? m_responseCtrl.get() : m_requestCtrl.get();
    if (hidden == nullptr) throw std::logic_error("no hidden control");
    const CHARFORMAT2A defaults = isResponse ? m_responseFormat : m_requestFormat;
    if (hidden->Clear() != 0) {
      Log(kLogWarning, __LINE__, kFn, "Failed to clear the hidden control.");
      return E_UNEXPECTED;
    }
    const HRESULT written = hidden->Write(text);
    SetDefaultRTF(isResponse != 0, defaults);
    if (written != 0) {
      Log(kLogWarning, __LINE__, kFn, "Failed to write the text to the hidden host response control.");
      return E_UNEXPECTED;
    }
    if (m_rules.empty() || text.empty()) return 1;
    FormatLines(*hidden, isResponse != 0, defaults);
    std::string rtf;
    if (hidden->GetFormattedText(rtf) != 0) {
      Log(kLogWarning, __LINE__, kFn, "Failed to get the formatted text from the hidden control.");
      return 0;
    }
    text = std::move(rtf);
    return 0;
  } catch (...) {
    // Boost's complexity limit ends a runaway search here too.
    Log(kLogError, __LINE__, kFn, "Exception while formatting the text.");
    return E_FAIL;
  }
}

void CBrimlux::FormatLines(CHiddenRichEditCtrl& hidden, bool isResponse, const CHARFORMAT2A& defaults) {
  constexpr char kFn[] = "CBrimlux::BrimluxText";
  bool fgShown = false, bgShown = false, fgLineShown = false, bgLineShown = false;
  boost::match_results<const char*> match;
  // Each rule's search expression, looked up once per text.
  std::vector<const CompiledExpression*> searches;
  searches.reserve(m_rules.size());
  for (const HighlightRule& rule : m_rules) searches.push_back(m_regexCache->Find(rule.searchText));
  for (const Line& line : LinesOf(hidden.engine())) {
    const std::string& l = line.text;
    if (l.empty()) continue;
    // A line of spaces only is not searched (its rules are still compiled, and reported when bad).
    const std::size_t last = l.find_last_not_of(' ');
    const std::size_t begin = !isResponse && l.front() == '>' ? 1 : l.find_first_not_of(' ');
    const char* const first = l.data() + (last == std::string::npos ? 0 : begin);
    const char* const end = l.data() + (last == std::string::npos ? 0 : last + 1);
    for (std::size_t r = 0; r < m_rules.size(); ++r) {
      const HighlightRule& rule = m_rules[r];
      const CompiledExpression* search = searches[r];
      if (search == nullptr) {
        Log(kLogError, __LINE__, kFn, "Regular Expression: " + rule.searchText + " is invalid.  Skipping this rule.");
        continue;
      }
      if (last == std::string::npos || !search->MayMatchIn(std::string_view(first, end - first))) continue;
      bool conditionChecked = false;
      CompiledExpression::Match found;
      for (const char* from = first; from <= end && search->Search(from, end, from != first, match, found);) {
        if (rule.joinType != JoinNone && !conditionChecked) {
          const CompiledExpression* condition = m_regexCache->Find(rule.conditionText);
          if (condition == nullptr) {
            Log(kLogError, __LINE__, kFn,
                "Extra Condition Regular Expression: " + rule.conditionText + " is invalid.  Skipping this rule: " +
                    rule.searchText);
            break;
          }
          CompiledExpression::Match ignored;
          const bool present = condition->MayMatchIn(std::string_view(first, end - first)) &&
                               condition->Search(first, end, false, match, ignored);
          if (present != (rule.joinType == JoinAnd)) break;
          conditionChecked = true;
        }
        const auto s = static_cast<LONG>(found.spanBegin - l.data());
        const auto k = static_cast<LONG>(found.spanEnd - found.spanBegin);

        CHARFORMAT2A f = rule.format;
        const bool hasText = (f.dwMask & CFM_COLOR) != 0, hasBack = (f.dwMask & CFM_BACKCOLOR) != 0;
        if (hasText && !hasBack && ColorsTooSimilar(f.crTextColor, defaults.crBackColor)) {
          f.crTextColor = InverseColor(f.crTextColor);
          ShowOnce(fgShown, "The foreground color you have selected to highlight for '" + rule.searchText +
                                "' is too similar to the emulator's background color. \n A new foreground color will "
                                "be selected. \n Please change your Highlight or screen color preferences.");
        } else if (hasBack && !hasText && ColorsTooSimilar(f.crBackColor, defaults.crTextColor)) {
          f.crBackColor = InverseColor(f.crBackColor);
          ShowOnce(bgShown, "The background color you have selected to highlight for '" + rule.searchText +
                                "' is too similar to the emulator's foreground color.  \n A new background color will "
                                "be selected. \n Please change your Highlight or screen color preferences.");
        }
        if (rule.fgEntireLine || rule.bgEntireLine) {
          CHARFORMAT2A w = HighlightRule::StartFormat();
          if (rule.fgEntireLine) {
            if (!rule.bgEntireLine && ColorsTooSimilar(f.crTextColor, m_responseFormat.crBackColor)) {
              f.crTextColor = InverseColor(f.crTextColor);
              ShowOnce(fgLineShown,
                       "The foreground color you have selected to highlight for the line containing '" +
                           rule.searchText +
                           "' \n is too similar to the emulator's background color. \n A new foreground color will "
                           "be selected. \n Please change your Highlight or screen color preferences.");
            }
            w.dwMask |= CFM_COLOR;
            w.crTextColor = f.crTextColor;
          }
          if (rule.bgEntireLine) {
            if (!rule.fgEntireLine && ColorsTooSimilar(f.crBackColor, m_responseFormat.crTextColor)) {
              f.crBackColor = InverseColor(f.crBackColor);
              ShowOnce(bgLineShown,
                       "The background color you have selected to highlight for the line containing '" +
                           rule.searchText +
                           "' \n is too similar to the emulator's foreground color. \n A new foreground color will "
                           "be selected. \n Please change your Highlight or screen color preferences.");
            }
            w.dwMask |= CFM_BACKCOLOR;
            w.crBackColor = f.crBackColor;
          }
          hidden.SetFormat(line.start, line.end, w);
        }
        // An empty span has nothing to format (an empty selection would set
        // the format of text typed later).
        if (k > 0) hidden.SetFormat(line.start + s, line.start + s + k, f);

        // Go on after the whole match; an empty match moves one character on
        // so that it is not found again.
        const char* next = found.end;
        if (found.end == found.begin) {
          if (next == end) break;
          ++next;
        }
        from = next;
      }
    }
  }
}

}  // namespace zv
