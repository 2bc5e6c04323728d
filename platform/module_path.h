// Where a loaded module lives, so that a registration command can record the
// library that serves a class.
#pragma once

#include <string>

namespace zv::platform {

// The path (logic form, Windows-1252) of the executable or shared library
// that holds `address`; empty when it cannot be told.
std::string ModulePathOf(const void* address);

}  // namespace zv::platform
