#include "platform/rtf_reader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"
#include "platform/rtf_dialect.h"

namespace zv::platform {
namespace {

// Deeper groups still nest but no longer save the format: bounded memory.
constexpr std::size_t kMaxGroupDepth = 512;
constexpr std::size_t kMaxFaceLength = LF_FACESIZE - 1;  // what a format record holds
constexpr std::size_t kMaxFonts = 4096;
constexpr std::size_t kMaxColors = 4096;
constexpr long long kMaxParam = 0x7FFFFFFF;  // numbers saturate here
constexpr int kMaxHalfPoints = 3276;         // 1638 points, the largest rich-edit size
constexpr int kDefaultFont = -1;             // the document's \deff font

enum class Word : std::uint8_t {
  kBold,
  kItalic,
  kUnderline,
  kUnderlineNone,
  kPlain,
  kFont,
  kFontSize,
  kColor,
  kBackground,
  kPar,
  kLineBreak,
  kTab,
  kChar,
  kUnicode,
  kUnicodeSkip,
  kDefaultFontIndex,
  kFontTable,
  kColorTable,
  kFamily,
  kPitch,
  kCharset,
  kRed,
  kGreen,
  kBlue,
  kBin,
  kSkipDestination,
};

struct WordInfo {
  Word id;
  unsigned char value = 0;  // the character of kChar, the family of kFamily
};

// Underline styles all read as underline.
constexpr std::string_view kUnderlineStyles[] = {
    "uld",   "uldash",   "uldashd",   "uldashdd",   "uldb",      "ulhwave",    "ulldash", "ulth",
    "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave"};

// Destinations whose content is not text of the document.
constexpr std::string_view kSkippedDestinations[] = {
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atnid", "author", "bkmkend", "bkmkstart", "buptim",
    "colorschememapping", "comment", "creatim", "datastore", "do", "doccomm", "docvar", "filetbl", "fldinst", "footer",
    "footerf", "footerl", "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator", "header", "headerf",
    "headerl", "headerr", "info", "keywords", "latentstyles", "listoverridetable", "listtable", "nonshppict", "object",
    "operator", "pict", "pn", "printim", "private", "revtbl", "revtim", "rsidtbl", "shp", "shpinst", "stylesheet",
    "subject", "tc", "template", "themedata", "title", "txe", "userprops", "xe", "xmlnstbl"};

const std::unordered_map<std::string_view, WordInfo>& Words() {
  static const std::unordered_map<std::string_view, WordInfo> words = [] {
    std::unordered_map<std::string_view, WordInfo> w = {
        {"b", {Word::kBold}},
        {"i", {Word::kItalic}},
        {"ul", {Word::kUnderline}},
        {"ulnone", {Word::kUnderlineNone}},
        {"plain", {Word::kPlain}},
        {"f", {Word::kFont}},
        {"fs", {Word::kFontSize}},
        {"cf", {Word::kColor}},
        {"cb", {Word::kBackground}},
        {"highlight", {Word::kBackground}},
        {"par", {Word::kPar}},
        {"line", {Word::kLineBreak}},
        {"sect", {Word::kLineBreak}},
        {"page", {Word::kLineBreak}},
        {"row", {Word::kLineBreak}},
        {"tab", {Word::kTab}},
        {"cell", {Word::kTab}},
        {"emdash", {Word::kChar, 0x97}},
        {"endash", {Word::kChar, 0x96}},
        {"lquote", {Word::kChar, 0x91}},
        {"rquote", {Word::kChar, 0x92}},
        {"ldblquote", {Word::kChar, 0x93}},
        {"rdblquote", {Word::kChar, 0x94}},
        {"bullet", {Word::kChar, 0x95}},
        {"emspace", {Word::kChar, ' '}},
        {"enspace", {Word::kChar, ' '}},
        {"qmspace", {Word::kChar, ' '}},
        {"u", {Word::kUnicode}},
        {"uc", {Word::kUnicodeSkip}},
        {"deff", {Word::kDefaultFontIndex}},
        {"fonttbl", {Word::kFontTable}},
        {"colortbl", {Word::kColorTable}},
        {"fnil", {Word::kFamily, FF_DONTCARE}},
        {"froman", {Word::kFamily, FF_ROMAN}},
        {"fswiss", {Word::kFamily, FF_SWISS}},
        {"fmodern", {Word::kFamily, FF_MODERN}},
        {"fscript", {Word::kFamily, FF_SCRIPT}},
        {"fdecor", {Word::kFamily, FF_DECORATIVE}},
        {"ftech", {Word::kFamily, FF_DONTCARE}},
        {"fbidi", {Word::kFamily, FF_DONTCARE}},
        {"fprq", {Word::kPitch}},
        {"fcharset", {Word::kCharset}},
        {"red", {Word::kRed}},
        {"green", {Word::kGreen}},
        {"blue", {Word::kBlue}},
        {"bin", {Word::kBin}},
    };
    for (std::string_view s : kUnderlineStyles) w.emplace(s, WordInfo{Word::kUnderline});
    for (std::string_view s : kSkippedDestinations) w.emplace(s, WordInfo{Word::kSkipDestination});
    return w;
  }();
  return words;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class Destination : std::uint8_t { kText, kFontTable, kColorTable };

// What a group saves and its closing brace restores.
struct GroupState {
  CharFormat format;  // face, charset and pitch come from `font`
  int font = kDefaultFont;
  int unicode_skip = 1;
  Destination destination = Destination::kText;
};

struct FontEntry {
  std::string face;
  BYTE charset = ANSI_CHARSET;
  BYTE pitch_and_family = 0;
};

struct ColorEntry {
  bool automatic = true;
  COLORREF color = 0;
};

struct ControlWord {
  std::string_view name;
  bool has_param = false;
  long long param = 0;
};

class Reader {
 public:
  Reader(std::string_view input, const CharFormat& base, FormattedText& out) : in_(input), base_(base), out_(out) {
    state_.format = base;
  }

  void Read() {
    while (pos_ < in_.size() && !done_) {
      const char c = in_[pos_++];
      switch (c) {
        case '{':
          OpenGroup();
          break;
        case '}':
          CloseGroup();
          break;
        case '\\':
          ControlSequence();
          break;
        case '\r':
        case '\n':
          break;
        default:
          // Raw control bytes other than tab carry no text.
          if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') HandleChar(c, true);
          break;
      }
    }
    if (!done_) end_format_ = Effective();
  }

  const CharFormat& end_format() const { return end_format_; }

 private:
  void OpenGroup() {
    skip_chars_ = 0;
    if (stack_.size() >= kMaxGroupDepth) {
      ++overflow_;
      return;
    }
    stack_.push_back(state_);
  }

  void CloseGroup() {
    skip_chars_ = 0;
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (stack_.empty()) {
      done_ = true;
      return;
    }
    // A font entry without its ';' ends with the group that began it.
    if (font_open_ && stack_.size() <= font_depth_) CommitFont();
    if (stack_.size() == 1) {
      end_format_ = Effective();
      done_ = true;  // the document's group is closed: the rest is not RTF
    }
    state_ = std::move(stack_.back());
    stack_.pop_back();
    format_dirty_ = true;
  }

  ControlWord ReadWord() {
    ControlWord w;
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    w.name = in_.substr(start, pos_ - start);
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      w.has_param = true;
      w.param = std::min(w.param * 10 + (in_[pos_] - '0'), kMaxParam);
      ++pos_;
    }
    if (negative) w.param = -w.param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    return w;
  }

  void ControlSequence() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (IsLetter(c)) {
      HandleWord(ReadWord());
      return;
    }
    ++pos_;
    HandleSymbol(c);
  }

  void HandleSymbol(char c) {
    if (c == '*') {
      StarGroup();
      return;
    }
    if (c == '\'') {
      const int high = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
      const int low = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
      if (high < 0) return;
      ++pos_;
      if (low < 0) return;  // a cut escape: its lone digit is dropped
      ++pos_;
      HandleChar(static_cast<char>(high * 16 + low), false);
      return;
    }
    if (ConsumeSkip()) return;
    switch (c) {
      case '\\':
      case '{':
      case '}':
        HandleChar(c, false);
        break;
      case '~':
        HandleChar('\xA0', false);
        break;
      case '_':
        HandleChar('-', false);  // the non-breaking hyphen has no 1252 byte
        break;
      case '\r':
      case '\n':
        if (state_.destination == Destination::kText) EmitParagraph();
        break;
      default:
        break;  // \- (optional hyphen) and the rest show nothing
    }
  }

  // \* opens a destination that readers may skip; ours marks a break.
  void StarGroup() {
    const std::string_view rest = in_.substr(pos_);
    const std::size_t n = kRtfBreakMarker.size();
    const bool marker = rest.starts_with('\\') && rest.substr(1).starts_with(kRtfBreakMarker) &&
                        (rest.size() == n + 1 || !IsLetter(rest[n + 1]));
    if (marker && state_.destination == Destination::kText) pending_break_ = true;
    SkipGroup();
  }

  // Skips to the end of the current group without reading its content.
  void SkipGroup() {
    std::size_t depth = 1;
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '\\') {
        if (pos_ >= in_.size()) break;
        if (!IsLetter(in_[pos_])) {
          ++pos_;  // escaped brace or backslash
          continue;
        }
        const ControlWord w = ReadWord();
        if (w.name == "bin") SkipBinary(w);
      } else if (c == '{') {
        ++depth;
      } else if (c == '}' && --depth == 0) {
        CloseGroup();
        return;
      }
    }
  }

  void SkipBinary(const ControlWord& w) {
    if (w.has_param && w.param > 0) {
      pos_ += static_cast<std::size_t>(std::min<long long>(w.param, static_cast<long long>(in_.size() - pos_)));
    }
  }

  // Characters after \uN that stand in for it are dropped (\ucN of them).
  bool ConsumeSkip() {
    if (skip_chars_ == 0) return false;
    --skip_chars_;
    return true;
  }

  void HandleWord(const ControlWord& w) {
    const auto& words = Words();
    const auto it = words.find(w.name);
    if (it != words.end() && it->second.id == Word::kBin) {
      SkipBinary(w);
      return;
    }
    if (ConsumeSkip() || it == words.end()) return;
    const WordInfo info = it->second;
    switch (info.id) {
      case Word::kSkipDestination:
        SkipGroup();
        return;
      case Word::kFontTable:
        state_.destination = Destination::kFontTable;
        font_open_ = false;
        return;
      case Word::kColorTable:
        state_.destination = Destination::kColorTable;
        color_ = {};
        return;
      case Word::kDefaultFontIndex:
        deff_ = static_cast<int>(w.param);
        format_dirty_ = true;
        return;
      case Word::kUnicodeSkip:
        state_.unicode_skip = static_cast<int>(std::max<long long>(w.param, 0));
        return;
      case Word::kUnicode:
        if (w.has_param) Unicode(w.param);
        return;
      default:
        break;
    }
    switch (state_.destination) {
      case Destination::kText:
        TextWord(info, w);
        break;
      case Destination::kFontTable:
        FontWord(info, w);
        break;
      case Destination::kColorTable:
        ColorWord(info, w);
        break;
    }
  }

  void Unicode(long long param) {
    const long long code = param < 0 ? param + 0x10000 : param;
    if (code >= 0xDC00 && code <= 0xDFFF) {
      // The second half of a pair: its first half already stood for it.
    } else if (code < 0 || (code >= 0xD800 && code <= 0xDBFF)) {
      HandleChar('?', false);
    } else {
      HandleChar(UnicodeToCp1252(static_cast<char32_t>(code)).value_or('?'), false);
    }
    skip_chars_ = state_.unicode_skip;
  }

  void TextWord(const WordInfo& info, const ControlWord& w) {
    CharFormat& f = state_.format;
    const bool on = !w.has_param || w.param != 0;
    switch (info.id) {
      case Word::kPar:
        EmitParagraph();
        return;
      case Word::kLineBreak:
        EmitText('\r');
        return;
      case Word::kTab:
        EmitText('\t');
        return;
      case Word::kChar:
        EmitText(static_cast<char>(info.value));
        return;
      case Word::kPlain:
        f = base_;
        state_.font = kDefaultFont;
        break;
      case Word::kFont:
        state_.font = static_cast<int>(w.param);
        break;
      case Word::kFontSize:
        if (w.param <= 0) return;
        f.height_twips = static_cast<LONG>(std::min<long long>(w.param, kMaxHalfPoints) * 10);
        break;
      case Word::kColor: {
        const ColorEntry* e = FindColor(w.param);
        f.auto_color = e ? e->automatic : base_.auto_color;
        f.color = e && !e->automatic ? e->color : base_.color;
        break;
      }
      case Word::kBackground: {
        const ColorEntry* e = FindColor(w.param);
        f.auto_back_color = e ? e->automatic : base_.auto_back_color;
        f.back_color = e && !e->automatic ? e->color : base_.back_color;
        break;
      }
      case Word::kBold:
        f.bold = on;
        break;
      case Word::kItalic:
        f.italic = on;
        break;
      case Word::kUnderline:
        f.underline = on;
        break;
      case Word::kUnderlineNone:
        f.underline = false;
        break;
      default:
        return;
    }
    format_dirty_ = true;
  }

  void FontWord(const WordInfo& info, const ControlWord& w) {
    switch (info.id) {
      case Word::kFont:
        font_ = {};
        font_index_ = static_cast<int>(w.param);
        font_open_ = true;
        font_depth_ = stack_.size();
        break;
      case Word::kFamily:
        font_.pitch_and_family = static_cast<BYTE>((font_.pitch_and_family & 0x0F) | info.value);
        break;
      case Word::kPitch:
        font_.pitch_and_family = static_cast<BYTE>((font_.pitch_and_family & 0xF0) | (w.param & 0x0F));
        break;
      case Word::kCharset:
        font_.charset = static_cast<BYTE>(std::clamp<long long>(w.param, 0, 255));
        break;
      default:
        break;
    }
  }

  void ColorWord(const WordInfo& info, const ControlWord& w) {
    const auto component = static_cast<COLORREF>(std::clamp<long long>(w.param, 0, 255));
    switch (info.id) {
      case Word::kRed:
        color_.color = (color_.color & 0xFFFF00) | component;
        break;
      case Word::kGreen:
        color_.color = (color_.color & 0xFF00FF) | (component << 8);
        break;
      case Word::kBlue:
        color_.color = (color_.color & 0x00FFFF) | (component << 16);
        break;
      default:
        return;
    }
    color_.automatic = false;
  }

  void HandleChar(char c, bool literal) {
    if (ConsumeSkip()) return;
    switch (state_.destination) {
      case Destination::kText:
        if (c == '\0' || c == '\n') return;  // only \par and our marker make breaks
        EmitText(c);
        return;
      case Destination::kFontTable:
        if (literal && c == ';') {
          CommitFont();
        } else if (font_open_ && c != '\0' && font_.face.size() < kMaxFaceLength) {
          font_.face.push_back(c);
        }
        return;
      case Destination::kColorTable:
        if (literal && c == ';') {
          if (colors_.size() < kMaxColors) colors_.push_back(color_);
          color_ = {};
        }
        return;
    }
  }

  void CommitFont() {
    if (!font_open_) return;
    font_open_ = false;
    if (fonts_.size() < kMaxFonts || fonts_.contains(font_index_)) fonts_[font_index_] = std::move(font_);
    font_ = {};
    format_dirty_ = true;
  }

  const ColorEntry* FindColor(long long index) const {
    if (index < 0 || index >= static_cast<long long>(colors_.size())) return nullptr;
    return &colors_[static_cast<std::size_t>(index)];
  }

  CharFormat Effective() const {
    CharFormat f = state_.format;
    const auto it = fonts_.find(state_.font == kDefaultFont ? deff_ : state_.font);
    if (it != fonts_.end()) {
      f.face = it->second.face;
      f.charset = it->second.charset;
      f.pitch_and_family = it->second.pitch_and_family;
    } else {
      f.face = base_.face;
      f.charset = base_.charset;
      f.pitch_and_family = base_.pitch_and_family;
    }
    return f;
  }

  void EmitParagraph() { EmitText(pending_break_ ? '\n' : '\r'); }

  void EmitText(char c) {
    if (format_dirty_) {
      CharFormat f = Effective();
      if (out_.runs.empty() || out_.runs.back().format != f) out_.runs.push_back({0, std::move(f)});
      format_dirty_ = false;
    }
    out_.text.push_back(c);
    ++out_.runs.back().length;
    pending_break_ = false;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  const CharFormat& base_;
  FormattedText& out_;

  GroupState state_;
  std::vector<GroupState> stack_;
  std::size_t overflow_ = 0;  // groups open beyond kMaxGroupDepth
  bool done_ = false;
  bool format_dirty_ = true;
  bool pending_break_ = false;
  long long skip_chars_ = 0;

  std::map<int, FontEntry> fonts_;
  int deff_ = kDefaultFont;
  FontEntry font_;
  int font_index_ = 0;
  bool font_open_ = false;
  std::size_t font_depth_ = 0;

  std::vector<ColorEntry> colors_;
  ColorEntry color_;

  CharFormat end_format_;
};

}  // namespace

bool ReadRtf(std::string_view input, const CharFormat& base, FormattedText& out, const RtfReadOptions& options,
             CharFormat* end_format) {
  out.text.clear();
  out.runs.clear();
  const std::size_t start = std::min(input.find_first_not_of(" \t\r\n"), input.size());
  input.remove_prefix(start);
  if (!input.starts_with("{\\rtf")) return false;
  Reader reader(input, base, out);
  reader.Read();
  CharFormat end = reader.end_format();
  if (options.last_par_is_final_mark && !out.text.empty() && (out.text.back() == '\r' || out.text.back() == '\n')) {
    out.text.pop_back();
    end = out.runs.back().format;
    if (--out.runs.back().length == 0) out.runs.pop_back();
  }
  if (end_format != nullptr) *end_format = std::move(end);
  return true;
}

}  // namespace zv::platform
