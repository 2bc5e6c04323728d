// A keyboard mapping as its file gives it: a name, a short name, the layout
// code it is made for, and what each typed character becomes. The file
// format is documented in docs/keyboard-mapping.md; anything outside it is
// refused with the line and the reason.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zv::keymap {

struct KeyRule {
  enum class Kind : std::uint8_t {
    kNone,       // no rule here
    kKeep,       // left to the control
    kCharacter,  // another character (ASCII), with its key's scan code
    kText,       // a text typed at the caret
    kPause,      // a pause of a running macro
    kDrop,       // nothing is typed
    kReset,      // the mapping ends; nothing is typed
  };
  Kind kind = Kind::kNone;
  char character = 0;
  std::uint8_t key_data = 0;
  std::string text;  // Windows-1252
};

// The modifier a rule may be limited to, by the modifier code of a typed
// character (0, 1 Shift, 4 Ctrl).
enum class RuleModifier : std::uint8_t { kAny, kShift, kCtrl };

struct KeyboardMapping {
  // Limits that keep a damaged or hostile file cheap to refuse.
  static constexpr std::size_t kMaxFileBytes = 64 * 1024;
  static constexpr std::size_t kMaxLineBytes = 256;
  static constexpr std::size_t kMaxNameLength = 40;
  static constexpr std::size_t kMaxShortNameLength = 4;
  static constexpr std::size_t kMaxTextLength = 64;

  std::string name;        // Windows-1252
  std::string short_name;  // letters and digits
  std::string keyboard_code;  // eight hex digits, upper case
  std::size_t rule_count = 0;

  // The rule for a character typed with a modifier code: the one limited to
  // that modifier, else the one for any modifier; kNone when neither exists.
  const KeyRule& Find(unsigned char character, long modifiers) const;

  // Rules by RuleModifier, then by character.
  std::array<std::array<KeyRule, 256>, 3> rules;
};

struct MappingResult {
  std::optional<KeyboardMapping> mapping;
  std::string error;  // "line N: reason" or a reason for the whole file
};

// Reads a mapping from the bytes of a file.
MappingResult ParseKeyboardMapping(std::string_view bytes);
// Reads a mapping file; a file larger than kMaxFileBytes is refused unread.
MappingResult LoadKeyboardMappingFile(const std::filesystem::path& path);

}  // namespace zv::keymap
