// zvemul-register: enters the ZVEmul control (its class and ProgID, property
// page, component categories, type library) and every outside component
// built with it in the registry store, or removes them all with
// --unregister, so that containers can create them, as an installer does.
// A component is registered by its library's own registration entries.
//   exit 0: done; 1: something could not be registered or removed.

#include <dlfcn.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "component_libraries.h"
#include "control/zvemul_surface.h"
#include "platform/file_system.h"
#include "platform/object_registry.h"
#include "platform/registry.h"

namespace {

void Report(const std::string& what, bool unregister, HRESULT hr) {
  if (FAILED(hr)) {
    std::fprintf(stderr, "zvemul-register: %s of %s failed (0x%08X)\n", unregister ? "unregistration" : "registration",
                 what.c_str(), static_cast<unsigned>(hr));
  } else {
    std::cout << what << (unregister ? " unregistered\n" : " registered\n");
  }
}

// Calls the registration entry of one component library.
HRESULT RegisterComponent(const char* library, bool unregister) {
  // Kept loaded: the entries may leave objects of the library behind.
  void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return CO_E_DLLNOTFOUND;
  if (unregister) {
    auto entry = reinterpret_cast<zv::platform::UnregisterServerFunction>(
        dlsym(handle, zv::platform::kUnregisterServerSymbol));
    return entry == nullptr ? CO_E_ERRORINDLL : entry();
  }
  auto entry =
      reinterpret_cast<zv::platform::RegisterServerFunction>(dlsym(handle, zv::platform::kRegisterServerSymbol));
  return entry == nullptr ? CO_E_ERRORINDLL : entry(zv::platform::LogicPath(library).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Registers the ZVEmul control and its outside components in the registry store, or removes them."};
  bool unregister = false;
  std::string registry_file;
  std::string library;
  app.add_flag("-u,--unregister", unregister, "Remove the registrations");
  app.add_option("--registry", registry_file, "Registry file to change (default: the user's registry store)");
  app.add_option("--library", library, "Library to record as the control's server (default: the one loaded)");
  CLI11_PARSE(app, argc, argv);

  std::unique_ptr<zv::platform::RegistryStore> store;
  if (!registry_file.empty()) {
    store = std::make_unique<zv::platform::RegistryStore>(registry_file);
    zv::platform::SetCurrentRegistryStore(store.get());
  }
  bool failed = false;
  const HRESULT hr = unregister
                         ? zv::ZVEmulUnregisterServer()
                         : zv::ZVEmulRegisterServer(library.empty() ? std::string() : zv::platform::LogicPath(library));
  Report("ZVEmul control", unregister, hr);
  failed |= FAILED(hr);
  for (const char* component : kComponentLibraries) {
    if (component == nullptr) break;
    const HRESULT component_hr = RegisterComponent(component, unregister);
    Report(component, unregister, component_hr);
    failed |= FAILED(component_hr);
  }
  zv::platform::SetCurrentRegistryStore(nullptr);
  return failed ? 1 : 0;
}
