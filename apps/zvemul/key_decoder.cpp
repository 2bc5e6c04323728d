#include "apps/zvemul/key_decoder.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/code_page.h"
// Last: see curses_api.h.
#include "apps/zvemul/curses_api.h"

namespace zv::desk {
namespace {

using platform::KeyModifiers;

DeskAction Press(UINT vk, KeyModifiers modifiers = {}) {
  DeskAction action;
  action.kind = DeskAction::Kind::kPress;
  action.vk = vk;
  action.modifiers = modifiers;
  return action;
}

DeskAction Command(DeskAction::Kind kind) {
  DeskAction action;
  action.kind = kind;
  return action;
}

KeyModifiers Mods(bool shift, bool ctrl, bool alt) {
  KeyModifiers modifiers;
  modifiers.shift = shift;
  modifiers.ctrl = ctrl;
  modifiers.alt = alt;
  return modifiers;
}

DeskAction DecodeCharacter(char32_t c, bool alt) {
  if (c == kQuitKey || c == kOtherQuitKey) return Command(DeskAction::Kind::kQuit);
  if (c == kHelpKey) return Command(DeskAction::Kind::kHelp);
  switch (c) {
    case 0x1B:
      return Press(VK_ESCAPE);
    case 0x0D:
      return Press(VK_RETURN, Mods(false, false, alt));
    case 0x09:
      return Press(VK_TAB);
    case 0x08:
    case 0x7F:
      return Press(VK_BACK);
    default:
      break;
  }
  if (c >= 0x01 && c <= 0x1A) {
    // Ctrl+letter; with Alt the Ctrl+Shift+letter macro key.
    return Press('A' + static_cast<UINT>(c - 1), Mods(alt, true, false));
  }
  if (c >= 'a' && c <= 'z') return Press('A' + static_cast<UINT>(c - 'a'), Mods(false, false, alt));
  if (c >= 'A' && c <= 'Z') {
    // A capital is a letter (Caps Lock or Shift: the terminal cannot tell);
    // with Alt it is the Shift+letter macro key.
    return Press(static_cast<UINT>(c), Mods(alt, false, false));
  }
  if (alt && c >= '0' && c <= '9') return Press(static_cast<UINT>(c), Mods(false, false, true));
  if (c < 0x20 || (c >= 0x80 && c < 0xA0)) return {};
  const std::optional<char> byte = platform::UnicodeToCp1252(c);
  if (!byte) return {};
  DeskAction action;
  action.kind = DeskAction::Kind::kType;
  action.text.assign(1, *byte);
  return action;
}

// xterm's modified keys as terminfo names them: "kUP5" is Ctrl+Up; the
// digit is 1 + Shift(1) + Alt(2) + Ctrl(4).
std::optional<DeskAction> DecodeModifiedKeyName(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, UINT>, 10> kNames{{
      {"kUP", VK_UP},
      {"kDN", VK_DOWN},
      {"kLFT", VK_LEFT},
      {"kRIT", VK_RIGHT},
      {"kHOM", VK_HOME},
      {"kEND", VK_END},
      {"kIC", VK_INSERT},
      {"kDC", VK_DELETE},
      {"kPRV", VK_PRIOR},
      {"kNXT", VK_NEXT},
  }};
  if (name.size() < 2) return std::nullopt;
  const char digit = name.back();
  if (digit < '2' || digit > '8') return std::nullopt;
  const std::string_view base = name.substr(0, name.size() - 1);
  const int bits = digit - '1';
  for (const auto& [prefix, vk] : kNames) {
    if (base == prefix) return Press(vk, Mods((bits & 1) != 0, (bits & 4) != 0, (bits & 2) != 0));
  }
  return std::nullopt;
}

DeskAction DecodeKeyCode(int key, std::string_view name) {
  switch (key) {
    case KEY_RESIZE:
      return Command(DeskAction::Kind::kResize);
    case KEY_ENTER:
      return Press(VK_RETURN);
    case KEY_BACKSPACE:
      return Press(VK_BACK);
    case KEY_BTAB:
      return Press(VK_TAB, Mods(true, false, false));
    case KEY_UP:
      return Press(VK_UP);
    case KEY_DOWN:
      return Press(VK_DOWN);
    case KEY_LEFT:
      return Press(VK_LEFT);
    case KEY_RIGHT:
      return Press(VK_RIGHT);
    case KEY_HOME:
      return Press(VK_HOME);
    case KEY_END:
      return Press(VK_END);
    case KEY_IC:
      return Press(VK_INSERT);
    case KEY_DC:
      return Press(VK_DELETE);
    case KEY_PPAGE:
      return Press(VK_PRIOR);
    case KEY_NPAGE:
      return Press(VK_NEXT);
    case KEY_SR:
      return Press(VK_UP, Mods(true, false, false));
    case KEY_SF:
      return Press(VK_DOWN, Mods(true, false, false));
    case KEY_SLEFT:
      return Press(VK_LEFT, Mods(true, false, false));
    case KEY_SRIGHT:
      return Press(VK_RIGHT, Mods(true, false, false));
    case KEY_SHOME:
      return Press(VK_HOME, Mods(true, false, false));
    case KEY_SEND:
      return Press(VK_END, Mods(true, false, false));
    case KEY_SIC:
      return Press(VK_INSERT, Mods(true, false, false));
    case KEY_SDC:
      return Press(VK_DELETE, Mods(true, false, false));
    case KEY_SPREVIOUS:
      return Press(VK_PRIOR, Mods(true, false, false));
    case KEY_SNEXT:
      return Press(VK_NEXT, Mods(true, false, false));
    default:
      break;
  }
  if (key >= KEY_F(1) && key <= KEY_F(63)) {
    // terminfo numbers modified function keys in groups of twelve: plain,
    // Shift, Ctrl, Ctrl+Shift, Alt, Alt+Shift.
    const int n = key - KEY_F(1);
    const int group = n / 12;
    const UINT vk = VK_F1 + static_cast<UINT>(n % 12);
    if (vk == VK_F10 && group == 1) return Press(VK_APPS);
    DeskAction action = Press(vk, Mods(group == 1 || group == 3 || group == 5, group == 2 || group == 3, group >= 4));
    if (vk == VK_F7 && group <= 1) action.kind = DeskAction::Kind::kWindowKey;
    return action;
  }
  if (key > KEY_MAX) {
    if (auto action = DecodeModifiedKeyName(name)) return *action;
  }
  return {};
}

}  // namespace

DeskAction DecodeInput(const TerminalInput& input) {
  switch (input.kind) {
    case TerminalInput::Kind::kCharacter:
      return DecodeCharacter(input.character, input.alt);
    case TerminalInput::Kind::kKeyCode: {
      DeskAction action = DecodeKeyCode(input.key, input.key_name);
      if (action.kind == DeskAction::Kind::kWindowKey && input.alt) action.kind = DeskAction::Kind::kPress;
      if (action.kind == DeskAction::Kind::kPress && input.alt) action.modifiers.alt = true;
      return action;
    }
    case TerminalInput::Kind::kMouse: {
      DeskAction action = Command(DeskAction::Kind::kMouse);
      action.row = input.row;
      action.column = input.column;
      action.button = input.button;
      action.released = input.released;
      return action;
    }
    case TerminalInput::Kind::kPaste: {
      DeskAction action = Command(DeskAction::Kind::kPaste);
      action.text = platform::Utf8ToCp1252(input.text);
      return action;
    }
  }
  return {};
}

}  // namespace zv::desk
