// The desk's command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace zv::desk {

struct DeskOptions {
  std::string host = "demo";  // "demo" or "echo"; ignored with host_command
  std::string host_command;   // --host-cmd: a subprocess speaking JSON lines
  int latency_ms = 300;       // the demo host's answering time
  int sessions = 1;
  std::string session_map;
  std::string profile;  // the user's profile folder (HOME); empty: $HOME
  std::string keyboard_mapping;  // a mapping file to load (LoadKeyboardMapping); empty: none
};

// Parses the arguments. On --help or an error, writes what the parser says
// and sets exit_code; the options are then empty.
std::optional<DeskOptions> ParseDeskOptions(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                                            int& exit_code);

}  // namespace zv::desk
