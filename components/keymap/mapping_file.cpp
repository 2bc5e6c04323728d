#include "components/keymap/mapping_file.h"

#include <fstream>
#include <system_error>

#include "platform/code_page.h"
#include "platform/keyboard_layout.h"

namespace zv::keymap {
namespace {

constexpr std::string_view kFirstLine = "zvemul keyboard mapping 1";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

const KeyRule kNoRule;

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Splits off the first word of `rest`.
std::string_view NextWord(std::string_view& rest) {
  rest = Trim(rest);
  const std::size_t end = std::min(rest.find_first_of(kBlanks), rest.size());
  const std::string_view word = rest.substr(0, end);
  rest = Trim(rest.substr(end));
  return word;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 to Windows-1252; false for malformed text, characters the code
// page lacks and control characters.
bool ToCp1252(std::string_view utf8, std::string& out) {
  out.clear();
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t start = pos;
    const char32_t cp = platform::DecodeUtf8(utf8, pos);
    // U+FFFD is only accepted as written, never for a malformed sequence.
    if (cp == 0xFFFD && utf8.substr(start, pos - start) != "\xEF\xBF\xBD") return false;
    const std::optional<char> c = platform::UnicodeToCp1252(cp);
    if (!c || static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return false;
    out += *c;
  }
  return true;
}

// A character written as itself or as 0xNN.
std::optional<unsigned char> ParseCharacter(std::string_view word) {
  if (word.size() == 4 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    const int high = HexDigit(word[2]), low = HexDigit(word[3]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    return static_cast<unsigned char>(high * 16 + low);
  }
  std::string one;
  if (!ToCp1252(word, one) || one.size() != 1) return std::nullopt;
  return static_cast<unsigned char>(one[0]);
}

std::uint8_t UsScanCodeOf(char c) {
  const platform::KeyStrokes strokes =
      platform::StrokesFor(platform::KeyboardLayout::kUnitedStates, static_cast<BYTE>(c), false);
  return strokes.count == 0 ? 0 : platform::ScanCodeOf(strokes.strokes[strokes.count - 1].vk).code;
}

class Parser {
 public:
  MappingResult Run(std::string_view bytes) {
    if (bytes.size() > KeyboardMapping::kMaxFileBytes) return Fail("the file is larger than 64 KiB");
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    mapping_.emplace();
    while (!bytes.empty() || line_ == 0) {
      const std::size_t end = std::min(bytes.find('\n'), bytes.size());
      std::string_view line = bytes.substr(0, end);
      bytes.remove_prefix(std::min(end + 1, bytes.size()));
      ++line_;
      if (line.ends_with('\r')) line.remove_suffix(1);
      if (line.size() > KeyboardMapping::kMaxLineBytes) return Fail("the line is longer than 256 bytes");
      for (char c : line) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return Fail("a control character");
      }
      if (line_ == 1) {
        if (Trim(line) != kFirstLine) return Fail("this is not a keyboard mapping (no \"zvemul keyboard mapping 1\")");
        continue;
      }
      line = Trim(line);
      if (line.empty() || line.front() == '#') continue;
      if (!ReadLine(line)) return Fail(error_);
    }
    if (mapping_->name.empty()) return Whole("the mapping has no name");
    if (mapping_->short_name.empty()) return Whole("the mapping has no short name");
    if (mapping_->keyboard_code.empty()) return Whole("the mapping names no keyboard");
    return {std::move(mapping_), {}};
  }

 private:
  MappingResult Fail(std::string_view reason) {
    return {std::nullopt, "line " + std::to_string(line_) + ": " + std::string(reason)};
  }
  static MappingResult Whole(std::string_view reason) { return {std::nullopt, std::string(reason)}; }
  bool Error(std::string message) {
    error_ = std::move(message);
    return false;
  }

  bool ReadLine(std::string_view rest) {
    const std::string_view first = NextWord(rest);
    if (first == "name") return ReadName(rest);
    if (first == "short") return ReadShortName(rest);
    if (first == "keyboard") return ReadKeyboard(rest);
    return ReadRule(first, rest);
  }

  bool ReadName(std::string_view value) {
    if (!mapping_->name.empty()) return Error("a second name");
    std::string name;
    if (!ToCp1252(value, name)) return Error("the name is not Windows-1252 text");
    if (name.empty() || name.size() > KeyboardMapping::kMaxNameLength) return Error("the name needs 1 to 40 characters");
    mapping_->name = std::move(name);
    return true;
  }

  bool ReadShortName(std::string_view value) {
    if (!mapping_->short_name.empty()) return Error("a second short name");
    if (value.empty() || value.size() > KeyboardMapping::kMaxShortNameLength) {
      return Error("the short name needs 1 to 4 letters or digits");
    }
    for (char c : value) {
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
        return Error("the short name needs 1 to 4 letters or digits");
      }
    }
    mapping_->short_name = std::string(value);
    return true;
  }

  bool ReadKeyboard(std::string_view value) {
    if (!mapping_->keyboard_code.empty()) return Error("a second keyboard");
    if (value.size() != 8) return Error("the keyboard is a layout code of 8 hex digits");
    std::string code;
    for (char c : value) {
      if (HexDigit(c) < 0) return Error("the keyboard is a layout code of 8 hex digits");
      code += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
    }
    mapping_->keyboard_code = std::move(code);
    return true;
  }

  bool ReadRule(std::string_view key_word, std::string_view rest) {
    RuleModifier modifier = RuleModifier::kAny;
    for (const auto& [prefix, value] : {std::pair{std::string_view("shift+"), RuleModifier::kShift},
                                        std::pair{std::string_view("ctrl+"), RuleModifier::kCtrl}}) {
      if (key_word.size() > prefix.size() && key_word.starts_with(prefix)) {
        key_word.remove_prefix(prefix.size());
        modifier = value;
        break;
      }
    }
    const std::optional<unsigned char> key = ParseCharacter(key_word);
    if (!key) return Error("\"" + std::string(key_word) + "\" is neither a setting nor one character");
    KeyRule& rule = mapping_->rules[static_cast<std::size_t>(modifier)][*key];
    if (rule.kind != KeyRule::Kind::kNone) return Error("a second rule for the same key");

    const std::string_view action = NextWord(rest);
    KeyRule made;
    if (action == "char") {
      const std::string_view value = NextWord(rest);
      const std::optional<unsigned char> c = ParseCharacter(value);
      if (!c || *c < 0x20 || *c >= 0x7F || !rest.empty()) {
        return Error("char takes one ASCII character (use text for others)");
      }
      made = {KeyRule::Kind::kCharacter, static_cast<char>(*c), UsScanCodeOf(static_cast<char>(*c)), {}};
    } else if (action == "text") {
      if (!ToCp1252(rest, made.text)) return Error("the text is not Windows-1252 text");
      if (made.text.empty() || made.text.size() > KeyboardMapping::kMaxTextLength) {
        return Error("text takes 1 to 64 characters");
      }
      made.kind = KeyRule::Kind::kText;
    } else {
      static constexpr std::pair<std::string_view, KeyRule::Kind> kPlain[] = {
          {"keep", KeyRule::Kind::kKeep},
          {"pause", KeyRule::Kind::kPause},
          {"drop", KeyRule::Kind::kDrop},
          {"reset", KeyRule::Kind::kReset}};
      for (const auto& [word, kind] : kPlain) {
        if (action == word) made.kind = kind;
      }
      if (made.kind == KeyRule::Kind::kNone) {
        return Error("unknown action \"" + std::string(action) + "\" (char, text, pause, drop, reset, keep)");
      }
      if (!rest.empty()) return Error(std::string(action) + " takes no value");
    }
    rule = std::move(made);
    ++mapping_->rule_count;
    return true;
  }

  std::optional<KeyboardMapping> mapping_;
  std::size_t line_ = 0;
  std::string error_;
};

}  // namespace

const KeyRule& KeyboardMapping::Find(unsigned char character, long modifiers) const {
  const auto slot = modifiers == 1 ? RuleModifier::kShift : modifiers == 4 ? RuleModifier::kCtrl : RuleModifier::kAny;
  if (slot != RuleModifier::kAny) {
    const KeyRule& limited = rules[static_cast<std::size_t>(slot)][character];
    if (limited.kind != KeyRule::Kind::kNone) return limited;
  }
  const KeyRule& any = rules[static_cast<std::size_t>(RuleModifier::kAny)][character];
  return any.kind != KeyRule::Kind::kNone ? any : kNoRule;
}

MappingResult ParseKeyboardMapping(std::string_view bytes) { return Parser().Run(bytes); }

MappingResult LoadKeyboardMappingFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return {std::nullopt, "no such file"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, "the file cannot be read"};
  // One byte past the limit tells an oversized file from a full one.
  std::string bytes(KeyboardMapping::kMaxFileBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > KeyboardMapping::kMaxFileBytes) return {std::nullopt, "the file is larger than 64 KiB"};
  return ParseKeyboardMapping(bytes);
}

}  // namespace zv::keymap
