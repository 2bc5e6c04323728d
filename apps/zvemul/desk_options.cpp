#include "apps/zvemul/desk_options.h"

#include <stdlib.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <system_error>

namespace zv::desk {

std::optional<DeskOptions> ParseDeskOptions(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                                            int& exit_code, const DeskProgram& program) {
  CLI::App app(std::string(program.description), std::string(program.name));
  DeskOptions options;
  app.add_option("--host", options.host, "The built-in host: demo (default) or echo")
      ->check(CLI::IsMember({"demo", "echo"}));
  app.add_option("--host-cmd", options.host_command,
                 "Run COMMAND with /bin/sh -c and talk to it in JSON lines instead of a built-in host")
      ->type_name("COMMAND");
  app.add_option("--latency", options.latency_ms, "The demo host's answering time in milliseconds (default 300)")
      ->type_name("MS")
      ->check(CLI::Range(0, 60000));
  app.add_option("--sessions", options.sessions, "Host sessions (CreateSessionQueue); 1: one queue for all windows")
      ->type_name("N")
      ->check(CLI::Range(1, 10));
  app.add_option("--session-map", options.session_map, "Windows of each session, such as 1:1,3,5;2:2,4,6")
      ->type_name("TEXT");
  app.add_option("--profile", options.profile, "Use DIR as the user's profile (HOME) instead of $HOME")
      ->type_name("DIR");
  app.add_option("--keyboard-mapping", options.keyboard_mapping,
                 "Load a keyboard mapping (such as components/keymap/mappings/de.kbm)")
      ->type_name("FILE");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    exit_code = app.exit(e, out, err);
    return std::nullopt;
  }
  exit_code = 0;
  return options;
}

host::HostLinkOptions HostLinkOptionsOf(const DeskOptions& options) {
  host::HostLinkOptions link;
  if (!options.host_command.empty()) {
    link.kind = host::HostLinkOptions::Kind::kCommand;
    link.command = options.host_command;
  } else {
    link.kind = options.host == "echo" ? host::HostLinkOptions::Kind::kEcho : host::HostLinkOptions::Kind::kDemo;
  }
  link.latency_ms = options.latency_ms;
  return link;
}

bool UseProfile(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    err << "zvemul: the profile folder " << folder << " cannot be made\n";
    return false;
  }
  const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
  ::setenv("HOME", (ec ? folder : absolute.string()).c_str(), 1);
  return true;
}

}  // namespace zv::desk
