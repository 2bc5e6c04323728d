// What each key Qt reports becomes for the key helper: the cases where the
// modifiers, the case of the text and the key disagree.

#include "apps/zvemul-widget/key_translation.h"

#include <gtest/gtest.h>

#include <Qt>
#include <optional>
#include <string>

namespace zv::widget {
namespace {

using Kind = KeyAction::Kind;

struct Case {
  const char* name;
  int key;
  unsigned modifiers;
  std::u16string text;
  Kind kind;
  UINT vk;
  bool shift;
  std::string typed;
  std::optional<bool> caps_lock;
};

TEST(KeyTranslation, QtKeysBecomePressesTypedTextOrWindowKeys) {
  const unsigned shift = Qt::ShiftModifier;
  const unsigned ctrl = Qt::ControlModifier;
  const unsigned alt = Qt::AltModifier;
  const Case cases[] = {
      {"letter", Qt::Key_A, 0, u"a", Kind::kPress, 'A', false, "", false},
      {"Shift+letter", Qt::Key_A, shift, u"A", Kind::kPress, 'A', true, "", false},
      {"Caps Lock letter", Qt::Key_A, 0, u"A", Kind::kPress, 'A', false, "", true},
      {"Shift+letter under Caps Lock", Qt::Key_A, shift, u"a", Kind::kPress, 'A', true, "", true},
      {"Ctrl+Shift+letter", Qt::Key_B, ctrl | shift, u"\x02", Kind::kPress, 'B', true, "", std::nullopt},
      {"Alt+digit", Qt::Key_3, alt, u"3", Kind::kPress, '3', false, "", std::nullopt},
      {"Ctrl+punctuation", Qt::Key_BracketRight, ctrl, u"\x1d", Kind::kPress, 0xDD, false, "", std::nullopt},
      {"shifted punctuation", Qt::Key_Exclam, shift, u"!", Kind::kType, 0, true, "!", std::nullopt},
      {"composed after a dead key", Qt::Key_Eacute, 0, u"\u00e9", Kind::kType, 0, false, "\xE9", std::nullopt},
      {"dead key alone", Qt::Key_Dead_Acute, 0, u"", Kind::kNone, 0, false, "", std::nullopt},
      {"AltGr as Ctrl+Alt", Qt::Key_E, ctrl | alt, u"\u20ac", Kind::kType, 0, false, "\x80", std::nullopt},
      {"a character the code page lacks", Qt::Key_unknown, 0, u"\u0416", Kind::kNone, 0, false, "", std::nullopt},
      {"keypad digit", Qt::Key_7, Qt::KeypadModifier, u"7", Kind::kType, 0, false, "7", std::nullopt},
      {"Apps key", Qt::Key_Menu, 0, u"", Kind::kPress, VK_APPS, false, "", std::nullopt},
      {"Shift+F10", Qt::Key_F10, shift, u"", Kind::kPress, VK_APPS, false, "", std::nullopt},
      {"Shift+F7", Qt::Key_F7, shift, u"", Kind::kWindowKey, VK_F7, true, "", std::nullopt},
      {"Ctrl+F7", Qt::Key_F7, ctrl, u"", Kind::kPress, VK_F7, false, "", std::nullopt},
      {"Shift+Tab", Qt::Key_Backtab, shift, u"", Kind::kPress, VK_TAB, true, "", std::nullopt},
      {"Shift alone", Qt::Key_Shift, shift, u"", Kind::kNone, 0, true, "", std::nullopt},
  };
  for (const Case& c : cases) {
    const KeyAction action = TranslateQtKey(c.key, c.modifiers, c.text);
    EXPECT_EQ(action.kind, c.kind) << c.name;
    if (c.kind == Kind::kNone) continue;
    EXPECT_EQ(action.vk, c.vk) << c.name;
    EXPECT_EQ(action.modifiers.shift, c.shift) << c.name;
    EXPECT_EQ(action.text, c.typed) << c.name;
    EXPECT_EQ(action.caps_lock, c.caps_lock) << c.name;
  }
}

}  // namespace
}  // namespace zv::widget
