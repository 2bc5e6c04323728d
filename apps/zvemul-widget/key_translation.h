// What the widget does with a key Qt reports: a press for the platform's
// key helper (virtual key and modifiers), text to type through it, or a
// window key the widget sends through the control's SendKey.
//
// Letters go as their keys with the Shift actually held, and the case Qt
// reports tells Caps Lock apart from Shift, so Shift+letter stays a macro
// key while Caps Lock only makes capitals. Dead accents are composed by the
// input method; the composed character (like an AltGr character) is typed
// through the key helper, which uses the layout's keys where it has them.
#pragma once

#include <optional>
#include <string>

#include "platform/key_input.h"
#include "platform/win_types.h"

namespace zv::widget {

struct KeyAction {
  enum class Kind {
    kNone,
    kPress,      // vk with modifiers
    kType,       // text (Windows-1252)
    kWindowKey,  // vk through SendKey, with Shift as its flag 2: F7 and Shift+F7
  };
  Kind kind = Kind::kNone;
  UINT vk = 0;
  platform::KeyModifiers modifiers;
  std::string text;
  // The state of Caps Lock the key shows, when it shows one.
  std::optional<bool> caps_lock;
};

// key is a Qt::Key, modifiers a Qt::KeyboardModifiers value, text the
// event's text.
KeyAction TranslateQtKey(int key, unsigned modifiers, const std::u16string& text);

}  // namespace zv::widget
