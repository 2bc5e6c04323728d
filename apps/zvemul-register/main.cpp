// zvemul-register: enters the ZVEmul control in the registry store (its
// class and ProgID, property page, component categories, type library), or
// removes it with --unregister, so that containers can create it by ProgID.
//   exit 0: done; 1: the registry store could not be written.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "control/zvemul_surface.h"
#include "platform/file_system.h"
#include "platform/registry.h"

int main(int argc, char** argv) {
  CLI::App app{"Registers the ZVEmul control in the registry store, or removes it."};
  bool unregister = false;
  std::string registry_file;
  std::string library;
  app.add_flag("-u,--unregister", unregister, "Remove the registration");
  app.add_option("--registry", registry_file, "Registry file to change (default: the user's registry store)");
  app.add_option("--library", library, "Library to record as the control's server (default: the one loaded)");
  CLI11_PARSE(app, argc, argv);

  std::unique_ptr<zv::platform::RegistryStore> store;
  if (!registry_file.empty()) {
    store = std::make_unique<zv::platform::RegistryStore>(registry_file);
    zv::platform::SetCurrentRegistryStore(store.get());
  }
  const HRESULT hr = unregister
                         ? zv::ZVEmulUnregisterServer()
                         : zv::ZVEmulRegisterServer(library.empty() ? std::string() : zv::platform::LogicPath(library));
  zv::platform::SetCurrentRegistryStore(nullptr);
  if (FAILED(hr)) {
    std::fprintf(stderr, "zvemul-register: %s failed (0x%08X)\n", unregister ? "unregistration" : "registration",
                 static_cast<unsigned>(hr));
    return 1;
  }
  std::cout << (unregister ? "ZVEmul control unregistered\n" : "ZVEmul control registered\n");
  return 0;
}
