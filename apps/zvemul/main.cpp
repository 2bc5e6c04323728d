// zvemul: the ZVEmul reservation desk in a terminal, against the built-in
// demo host or any host a small gateway command speaks for.

#include <exception>
#include <iostream>

#include "apps/zvemul/desk.h"
#include "apps/zvemul/desk_options.h"
#include "control/zvemul_surface.h"
#include "diagnostics/caught_exception_log.h"

int main(int argc, char** argv) {
  int exit_code = 0;
  const auto options = zv::desk::ParseDeskOptions(argc, argv, std::cout, std::cerr, exit_code);
  if (!options) return exit_code;
  zv::RegisterZVEmulClassObjects();
  const zv::CCaughtExceptionLog caught(u"zvemul");
  try {
    return zv::desk::RunDesk(*options, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "zvemul: " << e.what() << '\n';
    return 1;
  }
}
