// The res window's calls of the keyboard-mapping component: its creation,
// the Internal_ wrappers through which the control's automation methods
// reach it, each logging its own failure, and the translation of a typed
// character.
#include <string>
#include <string_view>

#include "keyboard/keyboard_mapping.h"
#include "platform/code_page.h"
#include "reswindow/res_rich.h"
#include "reswindow/res_window_host.h"

namespace zv {
namespace {

constexpr char kSourceFile[] = "res_rich_keyboard.cpp";
constexpr int kLogError = 2;
// A mapped text that pauses a running macro: reflected as this key.
constexpr std::string_view kMacroPause = "[MACRO_PAUSE]";
constexpr UINT kMacroPauseKey = VK_OEM_3;

}  // namespace

HRESULT CResRichEdit::InitalizeKeyboardMapping() { return CreateKeyboardMapper(); }

HRESULT CResRichEdit::Internal_GetKeyboardCode(BSTR* code) {
  return CallKeyboardMapper({m_errorLog, kSourceFile, __LINE__, "CResRichEdit::Internal_GetKeyboardCode"},
                            "Error retrieving the keyboard layout code.", KeyboardCreation::kCreate, code,
                            [&](IKeyboardMapper& mapper) { return mapper.GetKeyboardCode(code); });
}

HRESULT CResRichEdit::Internal_GetKeyboardName(BSTR code, BSTR* name) {
  return CallKeyboardMapper({m_errorLog, kSourceFile, __LINE__, "CResRichEdit::Internal_GetKeyboardName"},
                            "Error retrieving the keyboard name", KeyboardCreation::kCreate, name,
                            [&](IKeyboardMapper& mapper) { return mapper.GetKeyboardName(code, name); });
}

HRESULT CResRichEdit::Internal_LoadKeyboardMapping(BSTR path, LONG* loaded) {
  return CallKeyboardMapper({m_errorLog, kSourceFile, __LINE__, "CResRichEdit::Internal_LoadKeyboardMapping"},
                            "Error in loading the mapping", KeyboardCreation::kCreate, nullptr,
                            [&](IKeyboardMapper& mapper) {
                              const platform::BString copy(platform::BString::ViewOf(path));
                              VARIANT_BOOL answer = VARIANT_FALSE;
                              const HRESULT hr = mapper.LoadKeyboardMapping(copy.Get(), &answer);
                              if (loaded != nullptr) *loaded = answer;
                              return hr;
                            });
}

HRESULT CResRichEdit::Internal_GetLoadedMappingShortName(BSTR* name) {
  return CallKeyboardMapper({m_errorLog, kSourceFile, __LINE__, "CResRichEdit::Internal_GetLoadedMappingShortName"},
                            "Error retrieving the Loaded short Keyboard name", KeyboardCreation::kExisting, name,
                            [&](IKeyboardMapper& mapper) { return mapper.GetLoadedMappingShortName(name); });
}

HRESULT CResRichEdit::Internal_GetLoadedMappingName(BSTR* name) {
  return CallKeyboardMapper({m_errorLog, kSourceFile, __LINE__, "CResRichEdit::Internal_GetLoadedMappingName"},
                            "Error Retrieving Current Keyboard Name", KeyboardCreation::kExisting, name,
                            [&](IKeyboardMapper& mapper) { return mapper.GetLoadedMappingName(name); });
}

HRESULT CResRichEdit::Internal_GetCurrentKeyboardCode(BSTR* code) {
  return CallKeyboardMapper({m_errorLog, kSourceFile, __LINE__, "CResRichEdit::Internal_GetCurrentKeyboardCode"},
                            "Error Retrieving Current Keyboard Code", KeyboardCreation::kExisting, code,
                            [&](IKeyboardMapper& mapper) { return mapper.GetCurrentKeyboardCode(code); });
}

bool CResRichEdit::MapTypedKey(UINT received, int modifiers, int room, UINT& code, UINT& keyData) {
  if (g_keyboardMapper == nullptr) return true;
  SHORT reset = 0;
  SHORT handled = 0;
  SHORT single = 0;
  LONG character = 0;
  LONG mapped_key_data = 0;
  platform::BString text;
  if (FAILED(g_keyboardMapper->MapKey(static_cast<LONG>(received), MapKeyModifiers(modifiers), &reset, &handled,
                                      &single, &character, text.Put(), &mapped_key_data))) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CResRichEdit::OnChar", "Error in mapping the key");
    return false;
  }
  if (reset != 0) m_pCtrl->SetKeyboardName("US");
  if (handled == 0) return true;
  if (single != 0) {
    ApplyInputFormat();
    RewrapInput(std::string());
    code = static_cast<UINT>(character);
    keyData = static_cast<UINT>(mapped_key_data);
    return true;
  }
  const std::string typed = platform::Utf16ToCp1252(text.View());
  if (typed.starts_with(kMacroPause)) {
    m_pCtrl->FireInputReflectChar(static_cast<short>(kMacroPauseKey), static_cast<short>(modifiers));
  } else {
    WriteSubstitutedText(typed, room, modifiers);
  }
  return false;
}

}  // namespace zv
