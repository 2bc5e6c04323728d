#include "keyboard/keyboard_mapping.h"

#include "platform/object_registry.h"

namespace zv {

IKeyboardMapper* g_keyboardMapper = nullptr;

namespace {

constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

}  // namespace

HRESULT CreateKeyboardMapper() {
  if (g_keyboardMapper != nullptr) return S_OK;
  void* made = nullptr;
  const HRESULT hr =
      platform::CoCreateInstance(keymap::CLSID_KeyboardMapper, nullptr, kAnyServer, IKeyboardMapper::kIid, &made);
  if (FAILED(hr) || made == nullptr) {
    if (made != nullptr) static_cast<IKeyboardMapper*>(made)->Release();
    return FAILED(hr) ? hr : E_NOINTERFACE;
  }
  g_keyboardMapper = static_cast<IKeyboardMapper*>(made);
  return S_OK;
}

}  // namespace zv
