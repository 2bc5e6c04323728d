// The keyboard mapper component: one class, KeyboardMapper, that loads a
// mapping file and maps typed characters by it; the library's class-object
// and registration entries.
#include <memory>
#include <string>
#include <string_view>

#include "components/keymap/keymap.h"
#include "components/keymap/mapping_file.h"
#include "platform/catch_all.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/module_path.h"
#include "platform/registry.h"

namespace zv::keymap {
namespace {

using platform::BString;
using platform::CatchAll;

constexpr char kDescription[] = "ZVEmul Keyboard Mapper";
constexpr char kVersion[] = "1.0";
constexpr char kMacroPause[] = "[MACRO_PAUSE]";
// What is in force without a mapping: the US keyboard.
constexpr char kUsName[] = "United States";
constexpr char kUsShortName[] = "US";
constexpr char kUsCode[] = "00000409";

struct LayoutName {
  std::string_view code;
  std::string_view name;
};
constexpr LayoutName kLayoutNames[] = {
    {"00000409", "United States"},  {"00020409", "United States-International"},
    {"00000809", "United Kingdom"}, {"00001809", "Irish"},
    {"00000407", "German"},         {"00000807", "Swiss German"},
    {"0000040C", "French"},         {"0000080C", "Belgian French"},
    {"0000100C", "Swiss French"},   {"0000040A", "Spanish"},
    {"00000C0A", "Spanish"},        {"00000410", "Italian"},
    {"00000413", "Dutch"},          {"00000816", "Portuguese"},
    {"00000406", "Danish"},         {"0000041D", "Swedish"},
    {"00000414", "Norwegian"},      {"0000040B", "Finnish"},
    {"0000040D", "Hebrew"},
};

HRESULT OutText(std::string_view text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  const std::u16string wide = platform::Cp1252ToUtf16(text);
  *out = BString(wide).Detach();
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::string InText(BSTR text) { return platform::Utf16ToCp1252(BString::ViewOf(text)); }

class KeyboardMapper final : public platform::ComObject<IKeyboardMapper> {
 public:
  HRESULT GetVersion(BSTR* version) override {
    return CatchAll(E_UNEXPECTED, [&] { return OutText(kVersion, version); });
  }

  HRESULT GetKeyboardCode(BSTR* code) override {
    return CatchAll(E_UNEXPECTED, [&] { return OutText(platform::GetKeyboardLayoutName(), code); });
  }

  HRESULT GetKeyboardName(BSTR code, BSTR* name) override {
    return CatchAll(E_UNEXPECTED, [&] {
      if (name == nullptr) return E_POINTER;
      *name = nullptr;
      const std::string wanted = InText(code);
      for (const LayoutName& layout : kLayoutNames) {
        if (platform::EqualsIgnoreCase1252(layout.code, wanted)) return OutText(layout.name, name);
      }
      return E_INVALIDARG;
    });
  }

  HRESULT LoadKeyboardMapping(BSTR path, VARIANT_BOOL* loaded) override {
    return CatchAll(E_UNEXPECTED, [&] {
      if (loaded == nullptr) return E_POINTER;
      *loaded = VARIANT_FALSE;
      // A refused file leaves no mapping in force, as the control then
      // shows the US keyboard.
      mapping_.reset();
      MappingResult result = LoadKeyboardMappingFile(platform::NativePath(InText(path)));
      load_error_ = std::move(result.error);
      if (!result.mapping) return S_OK;
      mapping_ = std::make_unique<KeyboardMapping>(std::move(*result.mapping));
      *loaded = VARIANT_TRUE;
      return S_OK;
    });
  }

  HRESULT UnloadKeyboardMapping() override {
    mapping_.reset();
    return S_OK;
  }

  HRESULT GetLoadError(BSTR* message) override {
    return CatchAll(E_UNEXPECTED, [&] { return OutText(load_error_, message); });
  }

  HRESULT MapKey(LONG code, LONG modifiers, SHORT* reset, SHORT* handled, SHORT* single, LONG* character, BSTR* text,
                 LONG* key_data) override {
    return CatchAll(E_UNEXPECTED, [&] {
      if (reset == nullptr || handled == nullptr || single == nullptr || character == nullptr || text == nullptr ||
          key_data == nullptr) {
        return E_POINTER;
      }
      *reset = 0;
      *handled = 0;
      *single = 0;
      *character = 0;
      *text = nullptr;
      *key_data = 0;
      if (!mapping_ || code < 0 || code > 0xFF) return S_OK;
      const KeyRule& rule = mapping_->Find(static_cast<unsigned char>(code), modifiers);
      switch (rule.kind) {
        case KeyRule::Kind::kNone:
        case KeyRule::Kind::kKeep:
          return S_OK;
        case KeyRule::Kind::kReset:
          mapping_.reset();
          *reset = 1;
          [[fallthrough]];
        case KeyRule::Kind::kDrop:
          *handled = 1;
          *single = 1;
          return S_OK;
        case KeyRule::Kind::kCharacter:
          *handled = 1;
          *single = 1;
          *character = static_cast<unsigned char>(rule.character);
          *key_data = rule.key_data;
          return S_OK;
        case KeyRule::Kind::kText:
          *handled = 1;
          return OutText(rule.text, text);
        case KeyRule::Kind::kPause:
          *handled = 1;
          return OutText(kMacroPause, text);
      }
      return S_OK;
    });
  }

  HRESULT GetLoadedMappingName(BSTR* name) override {
    return CatchAll(E_UNEXPECTED, [&] { return OutText(mapping_ ? mapping_->name : kUsName, name); });
  }

  HRESULT GetCurrentKeyboardCode(BSTR* code) override {
    return CatchAll(E_UNEXPECTED, [&] { return OutText(mapping_ ? mapping_->keyboard_code : kUsCode, code); });
  }

  HRESULT GetLoadedMappingShortName(BSTR* name) override {
    return CatchAll(E_UNEXPECTED, [&] { return OutText(mapping_ ? mapping_->short_name : kUsShortName, name); });
  }

 private:
  std::unique_ptr<KeyboardMapping> mapping_;
  std::string load_error_;
};

HRESULT CreateKeyboardMapper(const IID& iid, void** object) {
  return platform::CreateComObject<KeyboardMapper>(iid, object);
}

// Marks this library for ModulePathOf.
const int kModuleMarker = 0;

}  // namespace
}  // namespace zv::keymap

extern "C" __attribute__((visibility("default"))) HRESULT zv_get_class_object(const CLSID* clsid, const IID* iid,
                                                                              void** object) {
  using namespace zv;
  if (clsid == nullptr || iid == nullptr || object == nullptr) return E_POINTER;
  *object = nullptr;
  if (*clsid != keymap::CLSID_KeyboardMapper) return CLASS_E_CLASSNOTAVAILABLE;
  static const platform::ComPtr<platform::IClassFactory> factory =
      platform::MakeClassFactory(keymap::CreateKeyboardMapper);
  return factory->QueryInterface(*iid, object);
}

extern "C" __attribute__((visibility("default"))) HRESULT zv_register_server(const char* library) {
  using namespace zv;
  return platform::CatchAll(E_UNEXPECTED, [&] {
    const std::string server =
        library != nullptr && *library != '\0' ? std::string(library) : platform::ModulePathOf(&keymap::kModuleMarker);
    if (server.empty()) return E_FAIL;
    const LSTATUS status = platform::RegisterServerClass(
        platform::CurrentRegistryStore(),
        {keymap::CLSID_KeyboardMapper, keymap::kKeyboardMapperProgId, keymap::kDescription, server});
    return HRESULT_FROM_WIN32(status);
  });
}

extern "C" __attribute__((visibility("default"))) HRESULT zv_unregister_server() {
  using namespace zv;
  return platform::CatchAll(E_UNEXPECTED, [&] {
    return HRESULT_FROM_WIN32(platform::UnregisterServerClass(platform::CurrentRegistryStore(),
                                                              keymap::CLSID_KeyboardMapper,
                                                              keymap::kKeyboardMapperProgId));
  });
}
