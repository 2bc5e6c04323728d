#include "platform/module_path.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace zv::platform {

std::string ModulePathOf(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0') return {};
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::canonical(info.dli_fname, ec);
  return LogicPath(ec ? std::filesystem::path(info.dli_fname) : path);
}

}  // namespace zv::platform
