// The control's keyboard-mapping methods: each reaches the outside
// component through the wrappers of the control's keyboard window, logs a
// failure and answers its failure value; the short name of the mapping in
// force is the keyboard name of status bar part 4.
#include "control/zvemul_ctl.h"
#include "platform/bstr.h"
#include "platform/code_page.h"

namespace zv {
namespace {

using platform::BString;

constexpr char kSourceFile[] = "zvemul_keyboard.cpp";
constexpr int kLogError = 2;
constexpr int kKeyboardPart = 4;
constexpr char kUsKeyboard[] = "US";

std::string Narrow(const BString& text) { return platform::Utf16ToCp1252(text.View()); }

}  // namespace

BOOL CZVEmulCtrl::InitKeyboardMapping() {
  try {
    if (FAILED(m_keyboardWindow.InitalizeKeyboardMapping())) {
      m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CZVEmulCtrl::InitKeyboardMapping",
                                   "Error in Initializing Keyboard Mapping Object");
    }
  } catch (...) {
  }
  return TRUE;
}

std::string CZVEmulCtrl::GetKeyboardCode() {
  try {
    BString code;
    if (SUCCEEDED(m_keyboardWindow.Internal_GetKeyboardCode(code.Put()))) return Narrow(code);
  } catch (...) {
  }
  m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CZVEmulCtrl::GetKeyboardCode",
                               "Error retrieving the keyboard layout code.");
  return std::string();
}

std::string CZVEmulCtrl::GetKeyboardName(const std::string& layoutCode) {
  try {
    const BString code(platform::Cp1252ToUtf16(layoutCode));
    BString name;
    if (SUCCEEDED(m_keyboardWindow.Internal_GetKeyboardName(code.Get(), name.Put()))) return Narrow(name);
  } catch (...) {
  }
  m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CZVEmulCtrl::GetKeyboardName",
                               "Error retrieving the keyboard name");
  return std::string();
}

BOOL CZVEmulCtrl::LoadKeyboardMapping(const std::string& path) {
  LONG loaded = 0;
  try {
    const BString mapping_path(platform::Cp1252ToUtf16(path));
    const HRESULT hr = m_keyboardWindow.Internal_LoadKeyboardMapping(mapping_path.Get(), &loaded);
    if (FAILED(hr)) {
      loaded = 0;
      m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CZVEmulCtrl::LoadKeyboardMapping",
                                   "Error in loading the mapping");
    }
    // Not in force: the US keyboard, though the status bar keeps its text.
    if (loaded == 0) {
      m_keyboardName = kUsKeyboard;
    } else {
      GetCurrentKeyboardName();
    }
  } catch (...) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CZVEmulCtrl::LoadKeyboardMapping",
                                 "Error in loading the mapping");
  }
  return loaded;
}

std::string CZVEmulCtrl::GetCurrentKeyboardName() { return CurrentKeyboardName("CZVEmulCtrl::GetCurrentKeyboardName"); }

std::string CZVEmulCtrl::CurrentMappingLoaded() { return CurrentKeyboardName("CZVEmulCtrl::CurrentMappingLoaded"); }

std::string CZVEmulCtrl::CurrentKeyboardName(const char* function) {
  try {
    BString code;
    if (FAILED(m_keyboardWindow.Internal_GetKeyboardCode(code.Put()))) {
      m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, function,
                                   "Error retrieving the keyboard layout code.");
      return std::string();
    }
    BString name;
    BString short_name;
    m_keyboardWindow.Internal_GetLoadedMappingName(name.Put());
    m_keyboardWindow.Internal_GetLoadedMappingShortName(short_name.Put());
    if (short_name.IsNull()) {
      m_keyboardName.reset();
    } else {
      m_keyboardName = Narrow(short_name);
    }
    SetStatusText(kKeyboardPart, m_keyboardName.value_or(""));
    return Narrow(name);
  } catch (...) {
    m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, function, "Error retrieving the keyboard name");
    return std::string();
  }
}

std::string CZVEmulCtrl::GetCurrentKeyboardCode() {
  try {
    BString code;
    if (SUCCEEDED(m_keyboardWindow.Internal_GetCurrentKeyboardCode(code.Put()))) return Narrow(code);
  } catch (...) {
  }
  m_errorLog.GetErrorWrite2Log(kLogError, __LINE__, kSourceFile, "CResRichEdit::Internal_GetCurrentKeyboardCode",
                               "Error retrieving the Loaded short Keyboard name");
  return std::string();
}

}  // namespace zv
