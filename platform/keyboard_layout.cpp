#include "platform/keyboard_layout.h"

#include <string_view>

namespace zv::platform {
namespace {

struct MainKey {
  UINT vk;
  BYTE normal;
  BYTE shifted;
};

// Digits and punctuation of a US keyboard. VK_OEM_5 comes before VK_OEM_102
// so that typing '\' picks the key every US keyboard has.
constexpr MainKey kMainKeys[] = {
    {'1', '1', '!'},       {'2', '2', '@'},         {'3', '3', '#'},          {'4', '4', '$'},
    {'5', '5', '%'},       {'6', '6', '^'},         {'7', '7', '&'},          {'8', '8', '*'},
    {'9', '9', '('},       {'0', '0', ')'},         {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PLUS, '=', '+'},
    {VK_OEM_4, '[', '{'},  {VK_OEM_6, ']', '}'},    {VK_OEM_5, '\\', '|'},    {VK_OEM_1, ';', ':'},
    {VK_OEM_7, '\'', '"'}, {VK_OEM_3, '`', '~'},    {VK_OEM_COMMA, ',', '<'}, {VK_OEM_PERIOD, '.', '>'},
    {VK_OEM_2, '/', '?'},  {VK_OEM_102, '\\', '|'},
};

const MainKey* FindMainKey(UINT vk) {
  for (const MainKey& key : kMainKeys) {
    if (key.vk == vk) return &key;
  }
  return nullptr;
}

bool IsLetterKey(UINT vk) { return vk >= 'A' && vk <= 'Z'; }

// US-International: apostrophe/quote, grave/tilde and Shift+6 (circumflex)
// are dead accents.
bool IsDeadKey(KeyboardLayout layout, UINT vk, bool shift) {
  if (layout != KeyboardLayout::kUnitedStatesInternational) return false;
  return vk == VK_OEM_7 || vk == VK_OEM_3 || (vk == '6' && shift);
}

struct AccentCompositions {
  BYTE accent;
  std::string_view bases;
  std::string_view composed;  // Windows-1252, one per base
};

// The compositions of the US-International accents.
constexpr AccentCompositions kCompositions[] = {
    {'`', "aeiouAEIOU", "\xE0\xE8\xEC\xF2\xF9\xC0\xC8\xCC\xD2\xD9"},
    {'\'', "aeiouycAEIOUYC", "\xE1\xE9\xED\xF3\xFA\xFD\xE7\xC1\xC9\xCD\xD3\xDA\xDD\xC7"},
    {'^', "aeiouAEIOU", "\xE2\xEA\xEE\xF4\xFB\xC2\xCA\xCE\xD4\xDB"},
    {'~', "aonAON", "\xE3\xF5\xF1\xC3\xD5\xD1"},
    {'"', "aeiouyAEIOUY", "\xE4\xEB\xEF\xF6\xFC\xFF\xC4\xCB\xCF\xD6\xDC\x9F"},
};

constexpr bool CompositionsPaired() {
  for (const AccentCompositions& c : kCompositions) {
    if (c.bases.size() != c.composed.size()) return false;
  }
  return true;
}
static_assert(CompositionsPaired());

constexpr KeyTranslation Character(BYTE c) { return {KeyTranslation::Kind::kCharacter, c}; }

KeyTranslation TranslateWithCtrl(UINT vk) {
  if (IsLetterKey(vk)) return Character(static_cast<BYTE>(vk - 'A' + 1));
  switch (vk) {
    case VK_OEM_4:
      return Character(0x1B);
    case VK_OEM_5:
    case VK_OEM_102:
      return Character(0x1C);
    case VK_OEM_6:
      return Character(0x1D);
    case VK_RETURN:
      return Character(0x0A);
    case VK_BACK:
      return Character(0x7F);
    case VK_SPACE:
      return Character(' ');
    default:
      return {};
  }
}

KeyTranslation TranslateKeypad(UINT vk, bool num_lock) {
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
    return num_lock ? Character(static_cast<BYTE>('0' + (vk - VK_NUMPAD0))) : KeyTranslation{};
  }
  switch (vk) {
    case VK_MULTIPLY:
      return Character('*');
    case VK_ADD:
      return Character('+');
    case VK_SUBTRACT:
      return Character('-');
    case VK_DIVIDE:
      return Character('/');
    case VK_DECIMAL:
      return num_lock ? Character('.') : KeyTranslation{};
    default:
      return {};
  }
}

// The reverse of TranslateKey for one layout with Caps Lock off. Letters are
// adjusted for Caps Lock when looked up.
class StrokeTable {
 public:
  explicit StrokeTable(KeyboardLayout layout) {
    KeyboardState state;
    // Plain and shifted keys first, so that Enter wins over Ctrl+M.
    for (bool shift : {false, true}) {
      state.Set(VK_SHIFT, shift ? KeyboardState::kDown : 0);
      for (UINT vk : {VK_SPACE, VK_RETURN, VK_TAB, VK_BACK, VK_ESCAPE}) AddPlain(layout, state, vk, shift, false);
      for (UINT vk = 'A'; vk <= 'Z'; ++vk) AddPlain(layout, state, vk, shift, false);
      for (const MainKey& key : kMainKeys) AddPlain(layout, state, key.vk, shift, false);
    }
    state.Set(VK_SHIFT, 0);
    state.Set(VK_CONTROL, KeyboardState::kDown);
    for (UINT vk = 'A'; vk <= 'Z'; ++vk) AddPlain(layout, state, vk, false, true);
    for (UINT vk : {VK_OEM_4, VK_OEM_5, VK_OEM_6, VK_BACK}) AddPlain(layout, state, vk, false, true);
    state.Set(VK_CONTROL, 0);
    // Composed characters: a dead accent, then the key of the base character.
    for (bool shift : {false, true}) {
      for (const MainKey& key : kMainKeys) {
        if (!IsDeadKey(layout, key.vk, shift)) continue;
        const BYTE accent = shift ? key.shifted : key.normal;
        for (int base = 0; base < 256; ++base) {
          const KeyStrokes& base_strokes = table_[base];
          if (base_strokes.count != 1 || base_strokes.strokes[0].ctrl) continue;
          std::optional<BYTE> composed = ComposeAccent(accent, static_cast<BYTE>(base));
          if (!composed || table_[*composed].count != 0) continue;
          KeyStrokes& entry = table_[*composed];
          entry.strokes[0] = {key.vk, shift, false};
          entry.strokes[1] = base_strokes.strokes[0];
          entry.count = 2;
        }
      }
    }
  }

  const KeyStrokes& Get(BYTE c) const { return table_[c]; }

 private:
  void AddPlain(KeyboardLayout layout, const KeyboardState& state, UINT vk, bool shift, bool ctrl) {
    KeyTranslation t = TranslateKey(layout, vk, state);
    if (t.kind != KeyTranslation::Kind::kCharacter) return;
    KeyStrokes& entry = table_[t.character];
    if (entry.count != 0) return;
    entry.strokes[0] = {vk, shift, ctrl};
    entry.count = 1;
  }

  std::array<KeyStrokes, 256> table_{};
};

constexpr std::array<ScanCode, 256> BuildScanCodes() {
  std::array<ScanCode, 256> codes{};
  auto set = [&codes](UINT vk, BYTE code, bool extended = false) { codes[vk] = {code, extended}; };
  set(VK_ESCAPE, 0x01);
  for (UINT d = 1; d <= 9; ++d) set('0' + d, static_cast<BYTE>(0x01 + d));
  set('0', 0x0B);
  set(VK_OEM_MINUS, 0x0C);
  set(VK_OEM_PLUS, 0x0D);
  set(VK_BACK, 0x0E);
  set(VK_TAB, 0x0F);
  constexpr std::string_view kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  constexpr BYTE kRowStart[] = {0x10, 0x1E, 0x2C};
  for (int row = 0; row < 3; ++row) {
    for (std::size_t i = 0; i < kRows[row].size(); ++i) {
      set(static_cast<UINT>(kRows[row][i]), static_cast<BYTE>(kRowStart[row] + i));
    }
  }
  set(VK_OEM_4, 0x1A);
  set(VK_OEM_6, 0x1B);
  set(VK_RETURN, 0x1C);
  set(VK_CONTROL, 0x1D);
  set(VK_LCONTROL, 0x1D);
  set(VK_RCONTROL, 0x1D, true);
  set(VK_OEM_1, 0x27);
  set(VK_OEM_7, 0x28);
  set(VK_OEM_3, 0x29);
  set(VK_SHIFT, 0x2A);
  set(VK_LSHIFT, 0x2A);
  set(VK_OEM_5, 0x2B);
  set(VK_OEM_COMMA, 0x33);
  set(VK_OEM_PERIOD, 0x34);
  set(VK_OEM_2, 0x35);
  set(VK_RSHIFT, 0x36);
  set(VK_MULTIPLY, 0x37);
  set(VK_MENU, 0x38);
  set(VK_LMENU, 0x38);
  set(VK_RMENU, 0x38, true);
  set(VK_SPACE, 0x39);
  set(VK_CAPITAL, 0x3A);
  for (UINT f = 0; f < 10; ++f) set(VK_F1 + f, static_cast<BYTE>(0x3B + f));
  set(VK_PAUSE, 0x45);
  set(VK_NUMLOCK, 0x45, true);
  set(VK_SCROLL, 0x46);
  constexpr BYTE kKeypad[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
  for (UINT d = 0; d < 10; ++d) set(VK_NUMPAD0 + d, kKeypad[d]);
  set(VK_SUBTRACT, 0x4A);
  set(VK_ADD, 0x4E);
  set(VK_DECIMAL, 0x53);
  set(VK_OEM_102, 0x56);
  set(VK_F11, 0x57);
  set(VK_F12, 0x58);
  set(VK_HOME, 0x47, true);
  set(VK_UP, 0x48, true);
  set(VK_PRIOR, 0x49, true);
  set(VK_LEFT, 0x4B, true);
  set(VK_RIGHT, 0x4D, true);
  set(VK_END, 0x4F, true);
  set(VK_DOWN, 0x50, true);
  set(VK_NEXT, 0x51, true);
  set(VK_INSERT, 0x52, true);
  set(VK_DELETE, 0x53, true);
  set(VK_DIVIDE, 0x35, true);
  set(VK_LWIN, 0x5B, true);
  set(VK_RWIN, 0x5C, true);
  set(VK_APPS, 0x5D, true);
  return codes;
}

constexpr std::array<ScanCode, 256> kScanCodes = BuildScanCodes();

}  // namespace

std::string_view LayoutName(KeyboardLayout layout) {
  return layout == KeyboardLayout::kUnitedStatesInternational ? "00020409" : "00000409";
}

KeyTranslation TranslateKey(KeyboardLayout layout, UINT vk, const KeyboardState& state) {
  const bool shift = state.IsDown(VK_SHIFT);
  const bool ctrl = state.IsDown(VK_CONTROL);
  const bool alt = state.IsDown(VK_MENU);
  if (ctrl && alt) return {};
  if (ctrl) return TranslateWithCtrl(vk);
  switch (vk) {
    case VK_RETURN:
      return Character(0x0D);
    case VK_BACK:
      return Character(0x08);
    case VK_TAB:
      return Character(0x09);
    case VK_ESCAPE:
      return Character(0x1B);
    case VK_SPACE:
      return Character(' ');
    default:
      break;
  }
  if (IsLetterKey(vk)) {
    const bool upper = shift != state.IsToggled(VK_CAPITAL);
    return Character(static_cast<BYTE>(upper ? vk : vk - 'A' + 'a'));
  }
  if (const MainKey* key = FindMainKey(vk)) {
    const BYTE c = shift ? key->shifted : key->normal;
    if (IsDeadKey(layout, vk, shift)) return {KeyTranslation::Kind::kDeadKey, c};
    return Character(c);
  }
  return TranslateKeypad(vk, state.IsToggled(VK_NUMLOCK));
}

std::optional<BYTE> ComposeAccent(BYTE accent, BYTE character) {
  if (character == ' ') return accent;
  for (const AccentCompositions& c : kCompositions) {
    if (c.accent != accent) continue;
    const std::size_t i = c.bases.find(static_cast<char>(character));
    if (i == std::string_view::npos) return std::nullopt;
    return static_cast<BYTE>(c.composed[i]);
  }
  return std::nullopt;
}

KeyStrokes StrokesFor(KeyboardLayout layout, BYTE character, bool caps_lock) {
  static const StrokeTable kUs(KeyboardLayout::kUnitedStates);
  static const StrokeTable kInternational(KeyboardLayout::kUnitedStatesInternational);
  KeyStrokes strokes = (layout == KeyboardLayout::kUnitedStatesInternational ? kInternational : kUs).Get(character);
  if (caps_lock) {
    // Caps Lock swaps the case of letters only; Shift then gives lower case.
    for (std::size_t i = 0; i < strokes.count; ++i) {
      KeyStroke& s = strokes.strokes[i];
      if (IsLetterKey(s.vk) && !s.ctrl) s.shift = !s.shift;
    }
  }
  return strokes;
}

ScanCode ScanCodeOf(UINT vk) { return vk < kScanCodes.size() ? kScanCodes[vk] : ScanCode{}; }

}  // namespace zv::platform
