#include "platform/object_registry.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/code_page.h"

namespace zv::platform {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const {
    return std::memcmp(&a, &b, sizeof(GUID)) < 0;
  }
};

struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return LessIgnoreCase1252(a, b); }
};

class FunctionClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit FunctionClassFactory(CreateFunction create) : create_(std::move(create)) {}

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  HRESULT LockServer(BOOL /*lock*/) override { return S_OK; }

 private:
  CreateFunction create_;
};

}  // namespace

std::optional<GUID> ParseGuid(std::string_view text) {
  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}: 38 characters.
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  for (std::size_t dash : {9u, 14u, 19u, 24u}) {
    if (text[dash] != '-') return std::nullopt;
  }
  auto hex = [&](std::size_t pos, std::size_t count) -> std::optional<std::uint32_t> {
    std::uint32_t value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
      const int digit = HexValue(text[i]);
      if (digit < 0) return std::nullopt;
      value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
  };
  GUID guid;
  auto d1 = hex(1, 8), d2 = hex(10, 4), d3 = hex(15, 4);
  if (!d1 || !d2 || !d3) return std::nullopt;
  guid.Data1 = *d1;
  guid.Data2 = static_cast<WORD>(*d2);
  guid.Data3 = static_cast<WORD>(*d3);
  static constexpr std::size_t kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    auto b = hex(kByteAt[i], 2);
    if (!b) return std::nullopt;
    guid.Data4[i] = static_cast<BYTE>(*b);
  }
  return guid;
}

std::string FormatGuid(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

ComPtr<IClassFactory> MakeClassFactory(CreateFunction create) {
  return ComPtr<IClassFactory>::Attach(new FunctionClassFactory(std::move(create)));
}

struct ObjectRegistry::Impl {
  RegistryStore* store = nullptr;
  std::mutex mutex;
  std::map<GUID, ComPtr<IClassFactory>, GuidLess> factories;
  std::map<std::string, GUID, NameLess> prog_ids;
  std::map<std::string, GetClassObjectFunction> libraries;  // by native path

  RegistryStore& Store() { return store != nullptr ? *store : CurrentRegistryStore(); }

  // The entry point of the library registered for the class.
  HRESULT EntryPoint(const CLSID& clsid, GetClassObjectFunction* entry) {
    const std::string key = "CLSID\\" + FormatGuid(clsid) + "\\InprocServer32";
    auto library = Store().GetString(HKEY_CLASSES_ROOT, key, "");
    if (!library || library->empty()) return REGDB_E_CLASSNOTREG;
    const std::string path = NativePath(ExpandEnvironmentStrings(*library)).native();

    std::lock_guard lock(mutex);
    if (auto it = libraries.find(path); it != libraries.end()) {
      *entry = it->second;
      return S_OK;
    }
    // Never closed: objects and factories of the library may outlive any caller.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return CO_E_DLLNOTFOUND;
    auto function = reinterpret_cast<GetClassObjectFunction>(dlsym(handle, kGetClassObjectSymbol));
    if (function == nullptr) {
      dlclose(handle);
      return CO_E_ERRORINDLL;
    }
    libraries.emplace(path, function);
    *entry = function;
    return S_OK;
  }
};

ObjectRegistry::ObjectRegistry(RegistryStore* store) : impl_(std::make_unique<Impl>()) { impl_->store = store; }

ObjectRegistry::~ObjectRegistry() = default;

HRESULT ObjectRegistry::RegisterClassObject(const CLSID& clsid, std::string_view prog_id, IClassFactory* factory) {
  if (factory == nullptr) return E_INVALIDARG;
  std::lock_guard lock(impl_->mutex);
  impl_->factories[clsid] = ComPtr<IClassFactory>(factory);
  if (!prog_id.empty()) impl_->prog_ids[std::string(prog_id)] = clsid;
  return S_OK;
}

HRESULT ObjectRegistry::RevokeClassObject(const CLSID& clsid) {
  ComPtr<IClassFactory> revoked;  // released after the lock
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->factories.find(clsid);
  if (it == impl_->factories.end()) return E_INVALIDARG;
  revoked = std::move(it->second);
  impl_->factories.erase(it);
  std::erase_if(impl_->prog_ids, [&](const auto& entry) { return entry.second == clsid; });
  return S_OK;
}

HRESULT ObjectRegistry::ClsidFromProgId(std::string_view prog_id, CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = GUID_NULL;
  if (prog_id.empty()) return E_INVALIDARG;
  {
    std::lock_guard lock(impl_->mutex);
    if (auto it = impl_->prog_ids.find(prog_id); it != impl_->prog_ids.end()) {
      *clsid = it->second;
      return S_OK;
    }
  }
  RegistryStore& store = impl_->Store();
  std::string name(prog_id);
  // A version-independent ProgID names its current version in CurVer.
  for (int hop = 0; hop < 2; ++hop) {
    if (auto text = store.GetString(HKEY_CLASSES_ROOT, name + "\\CLSID", "")) {
      if (auto guid = ParseGuid(*text)) {
        *clsid = *guid;
        return S_OK;
      }
      return CO_E_CLASSSTRING;
    }
    auto current = store.GetString(HKEY_CLASSES_ROOT, name + "\\CurVer", "");
    if (!current || current->empty()) break;
    name = *current;
  }
  return CO_E_CLASSSTRING;
}

HRESULT ObjectRegistry::GetClassObject(const CLSID& clsid, DWORD context, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<IClassFactory> factory;
  {
    std::lock_guard lock(impl_->mutex);
    if (auto it = impl_->factories.find(clsid); it != impl_->factories.end()) factory = it->second;
  }
  try {
    if (factory) return factory->QueryInterface(iid, object);
    if ((context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
    GetClassObjectFunction entry = nullptr;
    if (HRESULT hr = impl_->EntryPoint(clsid, &entry); FAILED(hr)) return hr;
    const HRESULT hr = entry(&clsid, &iid, object);
    if (FAILED(hr)) *object = nullptr;
    return hr;
  } catch (...) {
    *object = nullptr;
    return E_FAIL;
  }
}

HRESULT ObjectRegistry::CreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                                       void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<IClassFactory> factory;
  if (HRESULT hr = GetClassObject(clsid, context, IID_IClassFactory, factory.PutVoid()); FAILED(hr)) return hr;
  try {
    const HRESULT hr = factory->CreateInstance(outer, iid, object);
    if (FAILED(hr)) *object = nullptr;
    return hr;
  } catch (...) {
    *object = nullptr;
    return E_FAIL;
  }
}

namespace {
ObjectRegistry* g_current_registry = nullptr;
}  // namespace

ObjectRegistry& CurrentObjectRegistry() {
  if (g_current_registry != nullptr) return *g_current_registry;
  static ObjectRegistry default_registry;
  return default_registry;
}

void SetCurrentObjectRegistry(ObjectRegistry* registry) { g_current_registry = registry; }

HRESULT CLSIDFromProgID(const char* prog_id, CLSID* clsid) {
  if (prog_id == nullptr) return E_INVALIDARG;
  return CurrentObjectRegistry().ClsidFromProgId(prog_id, clsid);
}

HRESULT CLSIDFromString(const char* text, CLSID* clsid) {
  if (text == nullptr || clsid == nullptr) return E_INVALIDARG;
  if (text[0] == '{') {
    auto guid = ParseGuid(text);
    *clsid = guid.value_or(GUID_NULL);
    return guid ? S_OK : CO_E_CLASSSTRING;
  }
  return CLSIDFromProgID(text, clsid);
}

HRESULT CoGetClassObject(const CLSID& clsid, DWORD context, void* /*server_info*/, const IID& iid, void** object) {
  return CurrentObjectRegistry().GetClassObject(clsid, context, iid, object);
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid, void** object) {
  return CurrentObjectRegistry().CreateInstance(clsid, outer, context, iid, object);
}

LSTATUS RegisterServerClass(RegistryStore& store, const ClassRegistration& r) {
  const std::string clsid = FormatGuid(r.clsid);
  const std::string class_key = "CLSID\\" + clsid;
  const std::pair<std::string, std::pair<std::string, std::string>> writes[] = {
      {r.prog_id, {"", r.description}},
      {r.prog_id + "\\CLSID", {"", clsid}},
      {class_key, {"", r.description}},
      {class_key + "\\ProgID", {"", r.prog_id}},
      {class_key + "\\InprocServer32", {"", r.library}},
      {class_key + "\\InprocServer32", {"ThreadingModel", r.threading_model}},
  };
  for (const auto& [key, value] : writes) {
    if (key.empty() || key.front() == '\\') continue;  // no ProgID
    if (LSTATUS status = store.SetString(HKEY_CLASSES_ROOT, key, value.first, value.second);
        status != ERROR_SUCCESS) {
      return status;
    }
  }
  return ERROR_SUCCESS;
}

LSTATUS UnregisterServerClass(RegistryStore& store, const CLSID& clsid, std::string_view prog_id) {
  std::vector<std::string> keys = {"CLSID\\" + FormatGuid(clsid)};
  if (!prog_id.empty()) keys.emplace_back(prog_id);
  for (const auto& key : keys) {
    const LSTATUS status = store.DeleteTree(HKEY_CLASSES_ROOT, key);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
  }
  return ERROR_SUCCESS;
}

}  // namespace zv::platform
