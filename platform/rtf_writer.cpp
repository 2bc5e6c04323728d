#include "platform/rtf_writer.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/rtf_dialect.h"

namespace zv::platform {
namespace {

using FontKey = std::tuple<std::string_view, BYTE, BYTE>;

FontKey KeyOf(const CharFormat& f) { return {f.face, f.charset, f.pitch_and_family}; }

struct Segment {
  std::size_t begin = 0;
  std::size_t end = 0;
  const CharFormat* format = nullptr;
};

// The attributes as written so far; -1 means not written yet.
struct WrittenState {
  int font = -1;
  int half_points = -1;
  int color = -1;
  int back = -1;
  int underline = -1;
  int bold = -1;
  int italic = -1;
};

struct Indexes {
  int font = 0;
  int color = 0;
  int back = 0;
};

const char kHex[] = "0123456789abcdef";

int HalfPoints(LONG twips) { return std::clamp<LONG>((twips + 5) / 10, 1, 3276); }

std::string_view FamilyWord(BYTE pitch_and_family) {
  switch (pitch_and_family & 0xF0) {
    case FF_ROMAN: return "\\froman";
    case FF_SWISS: return "\\fswiss";
    case FF_MODERN: return "\\fmodern";
    case FF_SCRIPT: return "\\fscript";
    case FF_DECORATIVE: return "\\fdecor";
    default: return "\\fnil";
  }
}

class Writer {
 public:
  explicit Writer(const FormattedText& text) : text_(text) {}

  std::string Write() {
    SplitIntoSegments();
    BuildTables();
    out_.reserve(text_.text.size() + text_.text.size() / 8 + segments_.size() * 12 + 256);
    WriteHeader();
    for (std::size_t i = 0; i < segments_.size(); ++i) {
      WriteControls(indexes_[i], *segments_[i].format);
      for (std::size_t p = segments_[i].begin; p < segments_[i].end; ++p) WriteChar(text_.text[p]);
    }
    if (final_format_ != nullptr) WriteControls(final_indexes_, *final_format_);
    out_ += kRtfDocumentEnd;
    return std::move(out_);
  }

 private:
  void SplitIntoSegments() {
    const std::size_t size = text_.text.size();
    std::size_t pos = 0;
    for (const FormatRun& run : text_.runs) {
      final_format_ = &run.format;
      const std::size_t end = pos + std::min(run.length, size - pos);
      if (end > pos) segments_.push_back({pos, end, &run.format});
      pos = end;
    }
    if (pos < size) {
      if (final_format_ == nullptr) final_format_ = &default_format_;
      segments_.push_back({pos, size, final_format_});
    }
  }

  void BuildTables() {
    indexes_.reserve(segments_.size());
    for (const auto& s : segments_) indexes_.push_back(IndexesOf(*s.format));
    if (final_format_ != nullptr) final_indexes_ = IndexesOf(*final_format_);
  }

  Indexes IndexesOf(const CharFormat& f) {
    Indexes ix;
    auto [font_it, new_font] = font_index_.try_emplace(KeyOf(f), static_cast<int>(fonts_.size()));
    if (new_font) fonts_.push_back(&f);
    ix.font = font_it->second;
    ix.color = f.auto_color ? 0 : ColorIndex(f.color);
    ix.back = f.auto_back_color ? 0 : ColorIndex(f.back_color);
    return ix;
  }

  int ColorIndex(COLORREF c) {
    c &= 0x00FFFFFF;
    auto [it, added] = color_index_.try_emplace(c, static_cast<int>(colors_.size()) + 1);
    if (added) colors_.push_back(c);
    return it->second;
  }

  void WriteHeader() {
    out_ += "{\\rtf1\\ansi\\ansicpg1252\\deff0";
    if (final_format_ != nullptr) {
      out_ += "{\\fonttbl";
      for (std::size_t i = 0; i < fonts_.size(); ++i) {
        const CharFormat& f = *fonts_[i];
        out_ += "{\\f";
        out_ += std::to_string(i);
        out_ += FamilyWord(f.pitch_and_family);
        out_ += "\\fprq";
        out_ += std::to_string(f.pitch_and_family & 0x0F);
        out_ += "\\fcharset";
        out_ += std::to_string(f.charset);
        out_ += ' ';
        for (char c : f.face) WriteFaceChar(c);
        out_ += ";}";
      }
      out_ += "}\r\n{\\colortbl ;";
      for (COLORREF c : colors_) {
        out_ += "\\red" + std::to_string(GetRValue(c)) + "\\green" + std::to_string(GetGValue(c)) + "\\blue" +
                std::to_string(GetBValue(c)) + ";";
      }
      out_ += "}\r\n";
    }
    out_ += "\\pard";
    need_delimiter_ = true;
  }

  void WriteFaceChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F || c == ';' || c == '\\' || c == '{' || c == '}') {
      WriteHexEscape(b);
    } else {
      out_ += c;
    }
  }

  void Word(std::string_view word, int value) {
    out_ += word;
    out_ += std::to_string(value);
    need_delimiter_ = true;
  }

  void Word(std::string_view word) {
    out_ += word;
    need_delimiter_ = true;
  }

  void WriteControls(const Indexes& ix, const CharFormat& f) {
    if (ix.font != written_.font) Word("\\f", written_.font = ix.font);
    if (const int hp = HalfPoints(f.height_twips); hp != written_.half_points) Word("\\fs", written_.half_points = hp);
    if (ix.color != written_.color) Word("\\cf", written_.color = ix.color);
    if (ix.back != written_.back) Word("\\highlight", written_.back = ix.back);
    Toggle(written_.underline, f.underline, "\\ul", "\\ulnone");
    Toggle(written_.bold, f.bold, "\\b", "\\b0");
    Toggle(written_.italic, f.italic, "\\i", "\\i0");
  }

  void Toggle(int& written, bool value, std::string_view on, std::string_view off) {
    if (written == static_cast<int>(value)) return;
    written = value;
    Word(value ? on : off);
  }

  void WriteHexEscape(unsigned char b) {
    out_ += "\\'";
    out_ += kHex[b >> 4];
    out_ += kHex[b & 0x0F];
    need_delimiter_ = false;
  }

  void WriteChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '\0':
        return;  // not text in a rich-edit document
      case '\r':
        out_ += "\\par\r\n";
        need_delimiter_ = false;
        return;
      case '\n':
        out_ += "{\\*\\";
        out_ += kRtfBreakMarker;
        out_ += "}\\par\r\n";
        need_delimiter_ = false;
        return;
      case '\t':
        Word("\\tab");
        return;
      case '\\':
      case '{':
      case '}':
        out_ += '\\';
        out_ += c;
        need_delimiter_ = false;
        return;
      default:
        break;
    }
    if (b < 0x20 || b >= 0x7F) {
      WriteHexEscape(b);
      return;
    }
    if (need_delimiter_) out_ += ' ';
    out_ += c;
    need_delimiter_ = false;
  }

  const FormattedText& text_;
  const CharFormat default_format_;
  std::vector<Segment> segments_;
  std::vector<Indexes> indexes_;
  const CharFormat* final_format_ = nullptr;
  Indexes final_indexes_;
  std::map<FontKey, int> font_index_;
  std::vector<const CharFormat*> fonts_;
  std::unordered_map<COLORREF, int> color_index_;
  std::vector<COLORREF> colors_;
  WrittenState written_;
  bool need_delimiter_ = false;
  std::string out_;
};

}  // namespace

std::string WriteRtf(const FormattedText& text) { return Writer(text).Write(); }

}  // namespace zv::platform
