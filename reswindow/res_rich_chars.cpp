// Typed characters in a res window: dead keys, upper case, insert and
// overtype at the 64-column row, macro keys typed as characters, the
// characters the host keyboard has instead of some keys, the keyboard-mapping
// component's translation, and the reflection of every written character to
// the container.
#include <algorithm>
#include <cctype>

#include "highlight/brimlux.h"
#include "macros/macro_folders.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "reswindow/res_rich.h"

namespace zv {
namespace {

using platform::CatchAll;

constexpr char kSourceFile[] = "res_rich_chars.cpp";
constexpr int kLogError = 2;
constexpr int kCtrl = 1;
// Overtype from this column on is the row end's business.
constexpr LONG kRowEndColumn = CResRichEdit::kRowWidth - 1;
constexpr UINT kBacktickKey = VK_OEM_3;

LPARAM KeyData(UINT repeat, UINT flags) { return MAKELPARAM(static_cast<WORD>(repeat), static_cast<WORD>(flags)); }

bool IsParagraphEnd(char c) { return c == '\r' || c == '\n'; }

bool IsVowelKey(UINT vk) { return vk == 'A' || vk == 'E' || vk == 'I' || vk == 'O' || vk == 'U'; }

// The characters of the host keyboard: what the key is written as, with the
// key data that goes with it.
struct Substitution {
  UINT typed;
  UINT written;
  UINT key_data;
};
constexpr Substitution kSubstitutions[] = {
    {',', '#', 4}, {';', '$', 5}, {'=', '*', 9}, {'[', '@', 3}, {']', '>', 0x34}, {'{', '(', 0x0A}, {'}', ')', 0x0B},
};

// Characters written as a text, and how many blanks insert mode opens for it.
struct TextSubstitution {
  UINT typed;
  std::string_view text;
};
constexpr TextSubstitution kTextSubstitutions[] = {{'\'', "4P"}, {'\\', "4PLF"}, {'|', "4PLFB"}};

// The engine's stored characters from `start`, in the form that inserting
// them gives back.
std::string ReadBack(const platform::TextEngine& text, LONG start, LONG count) {
  std::string out;
  for (LONG pos = start, end = std::min(start + count, text.TextLength()); pos < end; ++pos) {
    const char c = text.CharAt(pos);
    out += c == '\n' ? std::string_view("\r\r\n") : std::string_view(&c, 1);
  }
  return out;
}

}  // namespace

void CResRichEdit::OnDeadChar(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
  CatchAll([&] {
    // The accent is written as typed; the key after it is watched.
    SendMessage(WM_CHAR, nChar, 0);
    m_bDeadKeySeen = 1;
  });
}

UINT CResRichEdit::ComposeAfterDeadKey(UINT code) {
  if (m_nKeyAfterDeadKey == 0 || ++m_nCharsAfterDeadKey != 1) return code;
  // The first character of the key: a composed vowel becomes the plain
  // vowel; anything else is the accent repeated, already written.
  const UINT key = m_nKeyAfterDeadKey;
  if (!IsVowelKey(key)) return 0;
  m_nKeyAfterDeadKey = 0;
  m_nCharsAfterDeadKey = 0;
  return key;
}

void CResRichEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] {
    if (m_pCtrl == nullptr) {
      Default(WM_CHAR, nChar, KeyData(nRepCnt, nFlags));
      return;
    }
    if (m_nConsumedChar != 0 && nChar == m_nConsumedChar) {
      m_nConsumedChar = 0;
      return;
    }
    // Backspace and Enter act on key-down, as keys sent without a character do.
    if (nChar == '\b' || nChar == '\r') return;
    UINT code = ComposeAfterDeadKey(nChar);
    if (code == 0) return;
    // The keyboard-mapping component sees the character as delivered.
    const UINT received = code;
    ApplyInputFormat();
    if (CBrimlux* highlighter = m_pCtrl->Highlighter()) {
      CHARFORMAT2A current;
      SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&current));
      current.dwMask |= CFM_COLOR;
      current.dwEffects &= ~CFE_AUTOCOLOR;
      current.crTextColor = m_crInput;
      highlighter->SetDefaultRTF(false, current);
    }
    const int modifiers = ModifierMask();
    const bool ctrl = (modifiers & kCtrl) != 0;
    if (code < 0x80) code = static_cast<UINT>(std::toupper(static_cast<int>(code)));
    const bool tab_follows = CharAfterCaret() == '\t';

    // Room for the character: insert mode opens it, overtype takes the
    // character after the caret.
    int room = 0;
    if (code == ' ' || (code >= 0x28 && code <= 0x7D && code != 0x60)) {
      if (m_pCtrl->InsertKeyEnabled() && m_pCtrl->GetInsertMode() && !ctrl && !tab_follows) {
        int blanks = 1;
        for (const TextSubstitution& s : kTextSubstitutions) {
          if (s.typed == code) blanks = static_cast<int>(s.text.size());
        }
        room = OpenRoom(blanks);
      } else {
        RememberSelection();
        const CHARRANGE sel = GetSel();
        if (m_nFirstInsert == -1) {
          // The engine is not in overtype yet.
          if (sel.cpMin == sel.cpMax && !IsParagraphEnd(CharAfterCaret()) && sel.cpMin < engine().TextLength()) {
            SetSel(sel.cpMin, sel.cpMin + 1);
            mutable_engine().DeleteSelection();
          }
        } else if (sel.cpMin - LineStartOf(sel.cpMin) >= kRowEndColumn) {
          PrepareOvertypeRowEnd();
        }
      }
    }
    RememberSelection();

    // Letters typed with Shift are macro keys, never text.
    const bool shift_down = platform::GetKeyState(VK_SHIFT) < 0;
    if (code >= 'A' && code <= 'Z' && shift_down) {
      RunMacroKey(std::string("Shift+") + static_cast<char>(code), m_pCtrl->GetPersonalDir(), code, modifiers);
      return;
    }
    if (code >= 1 && code <= 26 && shift_down && platform::GetKeyState(VK_CONTROL) < 0) {
      RunMacroKey(std::string("Ctrl+Shift+") + static_cast<char>(code + 0x40), m_pCtrl->GetOfficeDir(), code,
                  modifiers);
      return;
    }

    // Retried with every character while the component is missing.
    if (FAILED(InitalizeKeyboardMapping())) {
      m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CResRichEdit::OnChar",
                                   "Error in Initializing Keyboard Mapping Object");
      m_pCtrl->SetKeyboardName("US");
    }

    UINT key_data = nFlags;
    for (const TextSubstitution& s : kTextSubstitutions) {
      if (s.typed == code) {
        WriteSubstitutedText(s.text, room, modifiers);
        return;
      }
    }
    bool substituted = false;
    for (const Substitution& s : kSubstitutions) {
      if (s.typed == code) {
        code = s.written;
        key_data = s.key_data;
        substituted = true;
      }
    }
    if (code == ':') return;
    if (code == '`' || code == '~') {
      m_pCtrl->FireInputReflectChar(static_cast<short>(kBacktickKey), static_cast<short>(modifiers));
      return;
    }
    if (code == 'W' && m_pCtrl->CtrlKeySeen()) return;
    if (substituted) {
      ApplyInputFormat();
      RewrapInput(std::string());
    } else if (ctrl) {
      RewrapInput(std::string());
      return;
    }
    if (!MapTypedKey(received, modifiers, room, code, key_data) || code == 0) return;
    WriteCharacter(code, nChar, nRepCnt, key_data, nFlags);
  });
}

int CResRichEdit::OpenRoom(int blanks) {
  InsertBlank();
  if (!m_bGEntry) {
    // A wrap marker that is no paragraph end becomes a break, so that the
    // row ends where it is being filled.
    const CHARRANGE sel = GetSel();
    const LONG line = engine().LineFromChar(sel.cpMin);
    const std::string_view marker = WrapMarker();
    const std::string after = engine().TextRange(sel.cpMin, sel.cpMin + 2);
    if (sel.cpMin - LineStartOf(sel.cpMin) >= kRowWidth && line < engine().LineCount() - 1 &&
        after.find_first_of("\r\n") == std::string::npos && after.starts_with(marker)) {
      SetSel(sel.cpMin, sel.cpMin + static_cast<LONG>(marker.size()));
      ReplaceSel("\r\r\n");
      SetSel(sel.cpMin, sel.cpMin);
    }
  }
  for (int i = 1; i < blanks; ++i) InsertBlank();
  return blanks;
}

void CResRichEdit::PrepareOvertypeRowEnd() {
  if (m_bGEntry) {
    PrepareGEntryRowEnd();
    return;
  }
  mutable_engine().DeleteSelection();
  // Before a tab-and-return marker the character takes the whole marker, so
  // the re-break carries it, with the row below, into the next row; a
  // lone paragraph end left behind would cut the entry in two.
  const CHARRANGE sel = GetSel();
  if (CharAfterCaret() == '\t' && engine().CharAt(sel.cpMin + 1) == '\r') SetSel(sel.cpMin, sel.cpMin + 2);
}

void CResRichEdit::PrepareGEntryRowEnd() {
  const CHARRANGE sel = GetSel();
  const platform::TextEngine& text = engine();
  const LONG s = sel.cpMin;
  if (m_bFirstRowEnd) {
    // The first row end of the entry: the row is cut around the caret.
    m_bFirstRowEnd = 0;
    const LONG count = std::min<LONG>(4, text.TextLength() - s);
    std::string chars;
    for (LONG pos = s; pos < s + count; ++pos) chars.push_back(text.CharAt(pos));
    if (chars.size() >= 3 && chars[1] == '\t' && chars[2] == '\r') chars.erase(1, 2);
    std::string result;
    for (std::size_t i = 0; i < chars.size(); ++i) {
      if (i == 0 && !IsParagraphEnd(chars[0])) result += '\r';
      result += chars[i] == '\n' ? std::string("\r\r\n") : std::string(1, chars[i]);
      if (i == 1 && !IsParagraphEnd(chars[0])) result += '\r';
    }
    if (chars.empty()) result += '\r';  // nothing was added above
    SetSel(s, s + count);
    ReplaceSel(result);
    SetSel(sel);
    return;
  }
  if (m_pCtrl->GetInsertMode()) return;
  // Every later row end: a row break before the next three characters.
  const std::string three = ReadBack(text, s, 3);
  const std::string row_break = WrapMarker().front() == kFormFeed ? "\x0C " : "\t\r";
  SetSel(s, std::min(s + 3, text.TextLength()));
  ReplaceSel(row_break + three);
  SetSel(sel);
}

void CResRichEdit::RunMacroKey(const std::string& keyName, const std::string& folder, UINT ch, int flags) {
  const std::string path = MacroFilePath(folder, m_pCtrl->LookupMacroKey(keyName));
  m_pCtrl->FireInputReflect(m_nWindow, 2, static_cast<short>(ch), std::nullopt, static_cast<short>(flags));
  m_pCtrl->FireDriveMacro(path);
  RefreshCaret(0, TRUE);
}

void CResRichEdit::WriteSubstitutedText(std::string_view text, int room, int modifiers) {
  ApplyInputFormat();
  // In insert mode the text takes the blanks opened for it.
  if (room > 0) {
    const LONG start = GetSel().cpMin;
    SetSel(start, start + room);
  }
  RewrapInput(std::string(text));
  m_pCtrl->FireInputReflectText(std::string(text), static_cast<short>(modifiers));
}

void CResRichEdit::WriteCharacter(UINT code, UINT nChar, UINT nRepCnt, UINT keyData, UINT nFlags) {
  ApplyInputFormat();
  if (code < 0x80) {
    Default(WM_CHAR, code, KeyData(nRepCnt, keyData));
  } else {
    Default(WM_CHAR, nChar, KeyData(nRepCnt, nFlags));
  }
  RewrapInput(std::string());
  RememberSelection();
  ActivateControl();
  ApplyInputFormat();
  m_pCtrl->FireInputReflectText(std::string(1, static_cast<char>(code)), static_cast<short>(keyData));
  RefreshCaret(0, TRUE);
}

char CResRichEdit::CharAfterCaret() const { return engine().CharAt(GetSel().cpMin); }

}  // namespace zv
