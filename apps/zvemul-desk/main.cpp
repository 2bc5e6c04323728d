// zvemul-desk: the ZVEmul reservation desk in a desktop window, against the
// built-in demo host or any host a small gateway command speaks for.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "apps/zvemul-desk/main_window.h"
#include "apps/zvemul/desk_options.h"
#include "diagnostics/caught_exception_log.h"

namespace {

// SIGTERM, SIGHUP and SIGINT end the event loop through a pipe, so that the
// window is destroyed as on a close and the control writes its settings.
int g_signal_pipe[2] = {-1, -1};

void OnSignal(int /*number*/) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_signal_pipe[1], &byte, 1);
}

bool LeaveOnSignals() {
  if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  ::sigemptyset(&action.sa_mask);
  for (const int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const zv::desk::DeskProgram program{"zvemul-desk", "ZVEmul, the reservation desk in a desktop window."};
  int exit_code = 0;
  // The help needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "-h" || std::string_view(argv[i]) == "--help") {
      zv::desk::ParseDeskOptions(argc, argv, std::cout, std::cerr, exit_code, program);
      return exit_code;
    }
  }
  // Qt takes its own options (-platform, -display ...) first.
  QApplication app(argc, argv);
  std::vector<std::string> words;
  for (const QString& word : QCoreApplication::arguments()) words.push_back(word.toStdString());
  std::vector<const char*> args;
  for (const std::string& word : words) args.push_back(word.c_str());

  const auto options =
      zv::desk::ParseDeskOptions(static_cast<int>(args.size()), args.data(), std::cout, std::cerr, exit_code, program);
  if (!options) return exit_code;
  if (!options->profile.empty() && !zv::desk::UseProfile(options->profile, std::cerr)) return 2;
  const zv::CCaughtExceptionLog caught(u"zvemul-desk");
  std::unique_ptr<QSocketNotifier> leave;
  if (LeaveOnSignals()) {
    leave = std::make_unique<QSocketNotifier>(g_signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(leave.get(), &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  }
  try {
    zv::qtdesk::MainWindow window(*options);
    std::string error;
    if (!window.Start(error)) {
      std::cerr << "zvemul-desk: " << error << '\n';
      return 1;
    }
    window.show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    std::cerr << "zvemul-desk: " << e.what() << '\n';
    return 1;
  }
}
