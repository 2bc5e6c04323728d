// zvemul-script: drives the ZVEmul control with JSON lines on standard input
// and output. See docs/scripting.md for the protocol.

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "apps/zvemul-script/program.h"
#include "control/zvemul_surface.h"
#include "diagnostics/caught_exception_log.h"

namespace {

int g_no_input = -1;

// Ctrl+C and SIGTERM end the input: a read in progress is interrupted and
// every later one finds the end, so the run ends as at the end of input and
// the control's settings are written.
extern "C" void EndInput(int) { dup2(g_no_input, STDIN_FILENO); }

void EndInputOnSignals() {
  g_no_input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (g_no_input < 0) return;
  struct sigaction action = {};
  action.sa_handler = EndInput;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: the blocked read returns
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away ends the run through a failed write, so the
  // control's window is still destroyed and its settings written.
  std::signal(SIGPIPE, SIG_IGN);
  EndInputOnSignals();
  zv::RegisterZVEmulClassObjects();
  const zv::CCaughtExceptionLog caught(u"zvemul-script");
  return zv::script::RunProgram(argc, argv, std::cin, std::cout, std::cerr);
}
