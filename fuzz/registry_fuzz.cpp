// Any registry file: the store reads it without a crash; what it exports it
// reads back to the same export; a change written over the file keeps what
// was there and reads back as the store holds it.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/registry.h"

namespace {

using zv::fuzz::Check;
using zv::platform::RegistryStore;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ExportOf(const std::string& path) {
  RegistryStore store(path, [](const std::string&) {});
  return store.Export();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = zv::fuzz::PrivateProfile();
  const std::string path = folder + "/registry.reg";
  const std::string again = folder + "/again.reg";
  WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));

  const std::string exported = ExportOf(path);
  WriteFile(again, exported);
  Check(ExportOf(again) == exported);

  std::string changed;
  {
    RegistryStore store(path, [](const std::string&) {});
    if (store.SetDword(HKEY_CURRENT_USER, "Software\\Zelvanta\\Fuzz", "Seen", 1) != ERROR_SUCCESS) return 0;
    changed = store.Export();
  }
  Check(ExportOf(path) == changed);
  return 0;
}
