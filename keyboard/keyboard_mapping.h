// The keyboard-mapping component as the control uses it: one instance for
// the whole process, made on first need and shared by every res window and
// control; never released once made. The res window's wrappers call it
// through CallKeyboardMapper, which logs what fails.
#pragma once

#include <utility>

#include "components/keymap/keymap.h"
#include "diagnostics/error_log.h"

namespace zv {

using keymap::IKeyboardMapper;

// Null until the component has been created.
extern IKeyboardMapper* g_keyboardMapper;

// Creates g_keyboardMapper when it is missing; the failure code when the
// component cannot be created. Logs nothing: the caller does, so that a
// failed creation writes one record.
HRESULT CreateKeyboardMapper();

inline constexpr char kKeyboardCreationFailed[] = "Error in Initializing Keyboard Mapping Object";

// Modifier code of a typed character for the component's MapKey, from the
// modifier mask (Ctrl 1, Shift 2): 1 for Shift, else 4 for Ctrl, else 0.
constexpr long MapKeyModifiers(int mask) { return (mask & 2) != 0 ? 1 : (mask & 1) != 0 ? 4 : 0; }

// How a wrapper reaches the component.
enum class KeyboardCreation { kCreate, kExisting };

// Where a wrapper logs: the log, the source file, the line and the
// qualified function name.
struct KeyboardLogSite {
  CErrorLog& log;
  const char* file;
  int line;
  const char* function;
};

// Runs one wrapper's call of the component: creates it first when the
// wrapper may (a failure logged as kKeyboardCreationFailed), calls it, and
// on failure logs `message` and frees the out-string the call left. The
// component's HRESULT; E_POINTER when it is missing and may not be made.
template <typename Call>
HRESULT CallKeyboardMapper(const KeyboardLogSite& site, const char* message, KeyboardCreation creation, BSTR* out,
                           Call call) {
  constexpr int kLogError = 2;
  HRESULT hr = E_UNEXPECTED;
  try {
    if (creation == KeyboardCreation::kCreate) {
      hr = CreateKeyboardMapper();
      if (FAILED(hr)) {
        site.log.GetErrorWrite2Log(kLogError, site.line, site.file, site.function, kKeyboardCreationFailed);
        return hr;
      }
    }
    hr = g_keyboardMapper == nullptr ? E_POINTER : call(*g_keyboardMapper);
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  if (FAILED(hr)) {
    if (out != nullptr) platform::SysFreeString(std::exchange(*out, nullptr));
    site.log.GetErrorWrite2Log(kLogError, site.line, site.file, site.function, message);
  }
  return hr;
}

}  // namespace zv
