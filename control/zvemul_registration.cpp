// Registration of the control: its class factories in this process, the
// library's class-object entry point, and the keys a registration command
// writes to and removes from the registry store.
#include <string>

#include "control/zvemul_ctl.h"
#include "control/zvemul_dispatch.h"
#include "platform/module_path.h"
#include "platform/registry.h"

namespace zv {
namespace {

using platform::ComPtr;
using platform::IClassFactory;
using platform::RegistryStore;

constexpr char kControlTypeName[] = "ZVEmul Control";
constexpr char kPropPageTypeName[] = "ZVEmul Property Page";
constexpr char kTypeLibraryName[] = "ZVEmul ActiveX Control module";
constexpr char kTypeLibraryVersion[] = "1.3";
constexpr char kToolboxBitmap[] = "1";
constexpr char kEnglishLocale[] = "409";
// The standard proxy of dispatch interfaces.
constexpr char kDispatchProxyClsid[] = "{00020420-0000-0000-C000-000000000046}";

constexpr DWORD kMiscStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

struct Category {
  GUID id;
  const char* description;
};
constexpr GUID CATID_SafeForScripting = {0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
constexpr GUID CATID_SafeForInitializing = {
    0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
constexpr Category kCategories[] = {
    {CATID_SafeForScripting, "Controls that are safely scriptable"},
    {CATID_SafeForInitializing, "Controls safely initializable from persistent data"},
};

// The property page: a dialog with a placeholder text that exchanges no
// properties; containers only create it.
class CZVEmulPropPage final : public platform::ComObject<platform::IUnknown> {};

HRESULT CreateControl(const IID& iid, void** object) { return platform::CreateComObject<CZVEmulCtrl>(iid, object); }

HRESULT CreatePropPage(const IID& iid, void** object) {
  return platform::CreateComObject<CZVEmulPropPage>(iid, object);
}

const ComPtr<IClassFactory>& ControlFactory() {
  static const ComPtr<IClassFactory> factory = platform::MakeClassFactory(CreateControl);
  return factory;
}

const ComPtr<IClassFactory>& PropPageFactory() {
  static const ComPtr<IClassFactory> factory = platform::MakeClassFactory(CreatePropPage);
  return factory;
}

// Marks this library for ModulePathOf.
const int kModuleMarker = 0;

std::string ClassKey(const CLSID& clsid) { return "CLSID\\" + platform::FormatGuid(clsid); }
std::string TypeLibKey() { return "TypeLib\\" + platform::FormatGuid(LIBID_ZVEMULLib); }
std::string InterfaceKey(const IID& iid) { return "Interface\\" + platform::FormatGuid(iid); }

// Folder part of a logic path.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

LSTATUS CreateEmptyKey(RegistryStore& store, const std::string& path) {
  HKEY key = 0;
  DWORD disposition = 0;
  const LSTATUS status = store.CreateKey(HKEY_CLASSES_ROOT, path, KEY_WRITE, &key, &disposition);
  if (status == ERROR_SUCCESS) store.CloseKey(key);
  return status;
}

// Stops at the first failure of a sequence of registry writes.
class Writes {
 public:
  explicit Writes(RegistryStore& store) : store_(store) {}
  void String(const std::string& key, const std::string& name, const std::string& value) {
    if (status_ == ERROR_SUCCESS) status_ = store_.SetString(HKEY_CLASSES_ROOT, key, name, value);
  }
  void Key(const std::string& key) {
    if (status_ == ERROR_SUCCESS) status_ = CreateEmptyKey(store_, key);
  }
  void Status(LSTATUS status) {
    if (status_ == ERROR_SUCCESS) status_ = status;
  }
  LSTATUS status() const { return status_; }

 private:
  RegistryStore& store_;
  LSTATUS status_ = ERROR_SUCCESS;
};

void RegisterCategories(RegistryStore& store, Writes& writes, const std::string& class_key) {
  for (const Category& category : kCategories) {
    const std::string id = platform::FormatGuid(category.id);
    const std::string category_key = "Component Categories\\" + id;
    if (!store.GetString(HKEY_CLASSES_ROOT, category_key, kEnglishLocale)) {
      writes.String(category_key, kEnglishLocale, category.description);
    }
    writes.Key(class_key + "\\Implemented Categories\\" + id);
  }
}

void RegisterInterface(Writes& writes, const IID& iid, const std::string& name) {
  const std::string key = InterfaceKey(iid);
  writes.String(key, "", name);
  writes.String(key + "\\ProxyStubClsid32", "", kDispatchProxyClsid);
  writes.String(key + "\\TypeLib", "", platform::FormatGuid(LIBID_ZVEMULLib));
  writes.String(key + "\\TypeLib", "Version", kTypeLibraryVersion);
}

}  // namespace

void RegisterZVEmulClassObjects() {
  platform::ObjectRegistry& registry = platform::CurrentObjectRegistry();
  registry.RegisterClassObject(CLSID_ZVEmulCtrl, kZVEmulProgId, ControlFactory().Get());
  registry.RegisterClassObject(CLSID_ZVEmulPropPage, kZVEmulPropPageProgId, PropPageFactory().Get());
}

HRESULT ZVEmulRegisterServer(std::string_view library) {
  const std::string server = library.empty() ? platform::ModulePathOf(&kModuleMarker) : std::string(library);
  if (server.empty()) return E_FAIL;
  RegistryStore& store = platform::CurrentRegistryStore();
  store.BeginChanges();  // the file is written once, for the whole registration
  Writes writes(store);
  writes.Status(platform::RegisterServerClass(store, {CLSID_ZVEmulCtrl, kZVEmulProgId, kControlTypeName, server}));
  writes.Key(std::string(kZVEmulProgId) + "\\Insertable");
  const std::string class_key = ClassKey(CLSID_ZVEmulCtrl);
  writes.Key(class_key + "\\Control");
  writes.Key(class_key + "\\Insertable");
  writes.String(class_key + "\\ToolboxBitmap32", "", server + ", " + kToolboxBitmap);
  writes.String(class_key + "\\MiscStatus", "", "0");
  writes.String(class_key + "\\MiscStatus\\1", "", std::to_string(kMiscStatus));
  writes.String(class_key + "\\TypeLib", "", platform::FormatGuid(LIBID_ZVEMULLib));
  writes.String(class_key + "\\Version", "", kTypeLibraryVersion);
  RegisterCategories(store, writes, class_key);

  writes.Status(
      platform::RegisterServerClass(store, {CLSID_ZVEmulPropPage, kZVEmulPropPageProgId, kPropPageTypeName, server}));

  const std::string version_key = TypeLibKey() + "\\" + kTypeLibraryVersion;
  writes.String(version_key, "", kTypeLibraryName);
  writes.String(version_key + "\\0\\win32", "", server);
  writes.String(version_key + "\\FLAGS", "", "0");
  writes.String(version_key + "\\HELPDIR", "", FolderOf(server));
  const platform::TypeLibraryInfo& info = ZVEmulTypeLibraryInfo();
  RegisterInterface(writes, IID_DZVEmul, info.dispatch_interface);
  RegisterInterface(writes, IID_DZVEmulEvents, info.event_interface);
  writes.Status(store.EndChanges());
  return HRESULT_FROM_WIN32(writes.status());
}

HRESULT ZVEmulUnregisterServer() {
  RegistryStore& store = platform::CurrentRegistryStore();
  store.BeginChanges();
  LSTATUS status = platform::UnregisterServerClass(store, CLSID_ZVEmulCtrl, kZVEmulProgId);
  const auto also = [&status](LSTATUS next) {
    if (status == ERROR_SUCCESS && next != ERROR_FILE_NOT_FOUND) status = next;
  };
  also(platform::UnregisterServerClass(store, CLSID_ZVEmulPropPage, kZVEmulPropPageProgId));
  also(store.DeleteTree(HKEY_CLASSES_ROOT, TypeLibKey() + "\\" + kTypeLibraryVersion));
  std::string other_version;
  if (store.KeyExists(HKEY_CLASSES_ROOT, TypeLibKey())) {
    HKEY key = 0;
    if (store.OpenKey(HKEY_CLASSES_ROOT, TypeLibKey(), KEY_READ, &key) == ERROR_SUCCESS) {
      const bool empty = store.EnumKey(key, 0, &other_version) == ERROR_NO_MORE_ITEMS;
      store.CloseKey(key);
      if (empty) also(store.DeleteKey(HKEY_CLASSES_ROOT, TypeLibKey()));
    }
  }
  also(store.DeleteTree(HKEY_CLASSES_ROOT, InterfaceKey(IID_DZVEmul)));
  also(store.DeleteTree(HKEY_CLASSES_ROOT, InterfaceKey(IID_DZVEmulEvents)));
  also(store.EndChanges());
  return HRESULT_FROM_WIN32(status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status);
}

}  // namespace zv

// The library's class-object entry point, found by object creation through
// the registry store.
extern "C" __attribute__((visibility("default"))) HRESULT zv_get_class_object(const CLSID* clsid, const IID* iid,
                                                                              void** object) {
  if (clsid == nullptr || iid == nullptr || object == nullptr) return E_POINTER;
  *object = nullptr;
  if (*clsid == zv::CLSID_ZVEmulCtrl) return zv::ControlFactory()->QueryInterface(*iid, object);
  if (*clsid == zv::CLSID_ZVEmulPropPage) return zv::PropPageFactory()->QueryInterface(*iid, object);
  return CLASS_E_CLASSNOTAVAILABLE;
}
