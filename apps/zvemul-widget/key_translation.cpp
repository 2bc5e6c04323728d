#include "apps/zvemul-widget/key_translation.h"

#include <Qt>
#include <array>
#include <utility>

#include "platform/code_page.h"

namespace zv::widget {
namespace {

// Keys that make no character, or whose character the key helper makes
// from the virtual key (Enter, Backspace, Tab, Esc, Space).
constexpr std::array<std::pair<int, UINT>, 22> kKeys{{
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},    {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},      {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Home, VK_HOME},        {Qt::Key_End, VK_END},         {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},    {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},      {Qt::Key_Down, VK_DOWN},       {Qt::Key_Menu, VK_APPS},
    {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Pause, VK_PAUSE},
}};

// The keys of US punctuation, for Ctrl and Alt combinations, which Qt
// reports by the unshifted character.
constexpr std::array<std::pair<int, UINT>, 11> kPunctuation{{
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
}};

template <std::size_t N>
std::optional<UINT> Find(const std::array<std::pair<int, UINT>, N>& table, int key) {
  for (const auto& [qt, vk] : table) {
    if (qt == key) return vk;
  }
  return std::nullopt;
}

bool IsDeadKey(int key) { return key >= Qt::Key_Dead_Grave && key <= Qt::Key_Dead_Longsolidusoverlay; }

bool IsModifierKey(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
      return true;
    default:
      return false;
  }
}

}  // namespace

KeyAction TranslateQtKey(int key, unsigned modifiers, const std::u16string& text) {
  KeyAction action;
  if (IsModifierKey(key) || IsDeadKey(key)) return action;
  action.modifiers.shift = (modifiers & Qt::ShiftModifier) != 0;
  action.modifiers.ctrl = (modifiers & Qt::ControlModifier) != 0;
  action.modifiers.alt = (modifiers & Qt::AltModifier) != 0;
  const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
  const bool printable = text.size() == 1 && text[0] >= 0x20 && text[0] != 0x7F;

  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
    action.kind = KeyAction::Kind::kPress;
    action.vk = VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    // Shift+F10 is the desktop's other context-menu key.
    if (action.vk == VK_F10 && action.modifiers.shift && !action.modifiers.ctrl && !action.modifiers.alt) {
      action.vk = VK_APPS;
      action.modifiers.shift = false;
      return action;
    }
    // The control leaves F7 to its container, which switches windows with it.
    if (action.vk == VK_F7 && !action.modifiers.ctrl && !action.modifiers.alt) {
      action.kind = KeyAction::Kind::kWindowKey;
    }
    return action;
  }
  if (const std::optional<UINT> vk = Find(kKeys, key)) {
    action.kind = KeyAction::Kind::kPress;
    action.vk = *vk;
    return action;
  }
  // AltGr (reported as Ctrl+Alt on some systems) and the keypad make their
  // character whatever the modifiers say.
  const bool command = (action.modifiers.ctrl || action.modifiers.alt) &&
                       !(action.modifiers.ctrl && action.modifiers.alt && printable) && !keypad;
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    if (!command && !printable) return action;
    if (command || (text[0] < 0x80 && ((text[0] | 0x20) == key - Qt::Key_A + 'a'))) {
      action.kind = KeyAction::Kind::kPress;
      action.vk = static_cast<UINT>('A' + (key - Qt::Key_A));
      if (printable && !command) action.caps_lock = (text[0] >= 'A' && text[0] <= 'Z') != action.modifiers.shift;
      return action;
    }
  }
  if (command) {
    action.kind = KeyAction::Kind::kPress;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
      action.vk = static_cast<UINT>('0' + (key - Qt::Key_0));
    } else if (const std::optional<UINT> vk = Find(kPunctuation, key)) {
      action.vk = *vk;
    } else {
      action.kind = KeyAction::Kind::kNone;
    }
    return action;
  }
  if (printable) {
    std::string typed = platform::Utf16ToCp1252(text);
    // A character the code page lacks is not typed at all.
    if (typed == "?" && text != u"?") return action;
    action.kind = KeyAction::Kind::kType;
    action.text = std::move(typed);
  }
  return action;
}

}  // namespace zv::widget
