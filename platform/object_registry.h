// A small component object model in the desktop's manner: interfaces
// derived from IUnknown (reference counts, QueryInterface by interface id),
// class factories, and creation of a class by its class id or ProgID.
//
// A class is found, in this order:
//   1. among the factories registered in this process (RegisterClassObject);
//   2. in the registry store: HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32,
//      whose default value is the path of a shared library (environment
//      variables expanded, mapped like every path of the logic). The library
//      exports the C function `zv_get_class_object` with the meaning of the
//      desktop's DllGetClassObject. Loaded libraries stay loaded.
// A ProgID is looked up among the in-process classes, then as
// HKEY_CLASSES_ROOT\<ProgID>\CLSID (or its CurVer's), default value "{clsid}".
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win_types.h"

namespace zv::platform {

class RegistryStore;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hex digits in either case.
std::optional<GUID> ParseGuid(std::string_view text);
// The same form, upper case, as the desktop writes it.
std::string FormatGuid(const GUID& guid);

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Every interface declares its id as kIid. Objects are deleted by their
// last Release, never through an interface pointer.
class IUnknown {
 public:
  static constexpr IID kIid = IID_IUnknown;
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
 public:
  static constexpr IID kIid = IID_IClassFactory;
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// Reference counting and QueryInterface for a class that implements the
// listed interfaces. A new object holds one reference, its creator's.
template <typename First, typename... Rest>
class ComObject : public First, public Rest... {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = Find<First, Rest...>(iid);
    if (*object == nullptr) *object = OtherInterface(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;
  // Interfaces answered besides the listed ones, such as a base of one of them.
  virtual void* OtherInterface(const IID& /*iid*/) { return nullptr; }

 private:
  template <typename I, typename... More>
  void* Find(const IID& iid) {
    if (iid == I::kIid) return static_cast<I*>(this);
    if constexpr (sizeof...(More) > 0) {
      return Find<More...>(iid);
    } else {
      return iid == IID_IUnknown ? static_cast<IUnknown*>(static_cast<First*>(this)) : nullptr;
    }
  }

  std::atomic<ULONG> refs_{1};
};

// Owns one reference to an interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT: converts like a pointer
  // Takes a reference of its own.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adopts a reference that the caller already holds.
  static ComPtr Attach(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out parameters: releases what is held and gives the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (p_ == nullptr) return E_POINTER;
    return p_->QueryInterface(U::kIid, out->PutVoid());
  }

 private:
  T* p_ = nullptr;
};

// Makes a T (a ComObject) and answers the interface asked for.
template <typename T, typename... Args>
HRESULT CreateComObject(const IID& iid, void** object, Args&&... args) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  T* made = new T(std::forward<Args>(args)...);
  const HRESULT hr = made->QueryInterface(iid, object);
  made->Release();
  return hr;
}

// A class factory over a creation function; it refuses aggregation.
using CreateFunction = std::function<HRESULT(const IID& iid, void** object)>;
ComPtr<IClassFactory> MakeClassFactory(CreateFunction create);

// The entry point of a component library, named kGetClassObjectSymbol.
using GetClassObjectFunction = HRESULT (*)(const CLSID* clsid, const IID* iid, void** object);
inline constexpr char kGetClassObjectSymbol[] = "zv_get_class_object";

// The registration entries of a component library, which the registration
// tool calls: the first writes the library's classes into the current
// registry store with `library` (a logic path; null: the library's own path)
// as their server, the second removes them.
using RegisterServerFunction = HRESULT (*)(const char* library);
using UnregisterServerFunction = HRESULT (*)();
inline constexpr char kRegisterServerSymbol[] = "zv_register_server";
inline constexpr char kUnregisterServerSymbol[] = "zv_unregister_server";

class ObjectRegistry {
 public:
  // Reads class registrations from `store`, or from CurrentRegistryStore()
  // at each look-up when it is null.
  explicit ObjectRegistry(RegistryStore* store = nullptr);
  ~ObjectRegistry();
  ObjectRegistry(const ObjectRegistry&) = delete;
  ObjectRegistry& operator=(const ObjectRegistry&) = delete;

  // A class served in this process; `prog_id` may be empty. A later
  // registration of the same class id replaces the earlier one.
  HRESULT RegisterClassObject(const CLSID& clsid, std::string_view prog_id, IClassFactory* factory);
  HRESULT RevokeClassObject(const CLSID& clsid);

  // CO_E_CLASSSTRING for an unknown ProgID.
  HRESULT ClsidFromProgId(std::string_view prog_id, CLSID* clsid);
  // REGDB_E_CLASSNOTREG for an unknown class, CO_E_DLLNOTFOUND when its
  // library does not load, CO_E_ERRORINDLL when it lacks the entry point.
  HRESULT GetClassObject(const CLSID& clsid, DWORD context, const IID& iid, void** object);
  // The above, then the factory's answer (E_NOINTERFACE, CLASS_E_NOAGGREGATION ...).
  HRESULT CreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid, void** object);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process's registry: the one set last, or one over the current
// registry store.
ObjectRegistry& CurrentObjectRegistry();
void SetCurrentObjectRegistry(ObjectRegistry* registry);

// The desktop's functions over the process's registry.
HRESULT CLSIDFromProgID(const char* prog_id, CLSID* clsid);
// A "{...}" class id, or a ProgID.
HRESULT CLSIDFromString(const char* text, CLSID* clsid);
HRESULT CoGetClassObject(const CLSID& clsid, DWORD context, void* server_info, const IID& iid, void** object);
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid, void** object);

// What a registration command writes for an in-process class:
//   HKCR\<ProgID> = description, HKCR\<ProgID>\CLSID = {clsid},
//   HKCR\CLSID\{clsid} = description, ...\ProgID = ProgID,
//   ...\InprocServer32 = library, "ThreadingModel" = threading model.
struct ClassRegistration {
  CLSID clsid;
  std::string prog_id;
  std::string description;
  std::string library;
  std::string threading_model = "Apartment";
};
LSTATUS RegisterServerClass(RegistryStore& store, const ClassRegistration& registration);
// Removes both trees; keys already missing are not an error.
LSTATUS UnregisterServerClass(RegistryStore& store, const CLSID& clsid, std::string_view prog_id);

}  // namespace zv::platform
