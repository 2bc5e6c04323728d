// The Vexmoor rules provider as a component library: the class that the
// highlighting engine creates, and the library's entries for object creation
// and registration.
#include "components/vexmoor_rules/rule_files.h"
#include "highlight/vexmoor_rules.h"
#include "platform/catch_all.h"
#include "platform/code_page.h"
#include "platform/module_path.h"
#include "platform/object_registry.h"
#include "platform/registry.h"

namespace vexmoor {
namespace {

constexpr char kDescription[] = "Vexmoor highlighting rules provider";
const int kModuleMarker = 0;

class CVexmoorRules final : public zv::platform::ComObject<zv::IVexmoorRules> {
 public:
  HRESULT RulesTimeStamp(std::u16string* stamp) override {
    if (stamp == nullptr) return E_POINTER;
    return zv::platform::CatchAll(E_UNEXPECTED, [&] {
      *stamp = zv::platform::Cp1252ToUtf16(vexmoor::RulesTimeStamp(RulesFolder()));
      return S_OK;
    });
  }
  HRESULT MergedHiglightRules(std::u16string* xml) override {
    if (xml == nullptr) return E_POINTER;
    return zv::platform::CatchAll(E_UNEXPECTED, [&] {
      // The files are UTF-8; the document travels as UTF-16.
      const std::string merged = MergedRules(RulesFolder());
      xml->clear();
      for (std::size_t pos = 0; pos < merged.size();) {
        const char32_t c = zv::platform::DecodeUtf8(merged, pos);
        if (c >= 0x10000) {
          xml->push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
          xml->push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
          xml->push_back(static_cast<char16_t>(c));
        }
      }
      return S_OK;
    });
  }
};

}  // namespace
}  // namespace vexmoor

extern "C" __attribute__((visibility("default"))) HRESULT zv_get_class_object(const CLSID* clsid, const IID* iid,
                                                                              void** object) {
  using namespace zv;
  if (clsid == nullptr || iid == nullptr || object == nullptr) return E_POINTER;
  *object = nullptr;
  if (*clsid != CLSID_VexmoorRules) return CLASS_E_CLASSNOTAVAILABLE;
  static const platform::ComPtr<platform::IClassFactory> factory =
      platform::MakeClassFactory([](const IID& wanted, void** out) {
        return platform::CreateComObject<vexmoor::CVexmoorRules>(wanted, out);
      });
  return factory->QueryInterface(*iid, object);
}

// Registers the class and creates the key whose presence tells the engine
// that the provider is installed.
extern "C" __attribute__((visibility("default"))) HRESULT zv_register_server(const char* library) {
  using namespace zv;
  return platform::CatchAll(E_UNEXPECTED, [&] {
    const std::string server = library != nullptr && *library != '\0' ? std::string(library)
                                                                      : platform::ModulePathOf(&vexmoor::kModuleMarker);
    if (server.empty()) return E_FAIL;
    platform::RegistryStore& store = platform::CurrentRegistryStore();
    LSTATUS status = platform::RegisterServerClass(
        store, {CLSID_VexmoorRules, kVexmoorProgId, vexmoor::kDescription, server});
    if (status == ERROR_SUCCESS) {
      HKEY key = 0;
      status = store.CreateKey(HKEY_CURRENT_USER, kVexmoorKey, KEY_ALL_ACCESS, &key, nullptr);
      if (status == ERROR_SUCCESS) store.CloseKey(key);
    }
    return HRESULT_FROM_WIN32(status);
  });
}

extern "C" __attribute__((visibility("default"))) HRESULT zv_unregister_server() {
  using namespace zv;
  return platform::CatchAll(E_UNEXPECTED, [&] {
    platform::RegistryStore& store = platform::CurrentRegistryStore();
    const LSTATUS status = platform::UnregisterServerClass(store, CLSID_VexmoorRules, kVexmoorProgId);
    store.DeleteTree(HKEY_CURRENT_USER, kVexmoorKey);
    return HRESULT_FROM_WIN32(status);
  });
}
