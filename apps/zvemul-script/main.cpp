// zvemul-script: drives the ZVEmul control with JSON lines on standard input
// and output. See docs/scripting.md for the protocol.

#include <csignal>
#include <iostream>

#include "apps/zvemul-script/program.h"
#include "control/zvemul_surface.h"

int main(int argc, char** argv) {
  // A reader that goes away ends the run through a failed write, so the
  // control's window is still destroyed and its settings written.
  std::signal(SIGPIPE, SIG_IGN);
  zv::RegisterZVEmulClassObjects();
  return zv::script::RunProgram(argc, argv, std::cin, std::cout, std::cerr);
}
