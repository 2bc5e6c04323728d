// The desk's command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "host/host_link.h"

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

// The program the options are parsed for, as its --help names it.
struct DeskProgram {
  std::string_view name = "zvemul";
  std::string_view description = "ZVEmul, the reservation desk in a terminal. Ctrl+] shows the keys, Ctrl+\\ leaves.";
};

// Parses the arguments. On --help or an error, writes what the parser says
// and sets exit_code; the options are then empty.
std::optional<DeskOptions> ParseDeskOptions(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                                            int& exit_code, const DeskProgram& program = {});

// HOME becomes the profile folder (made if missing), to be called before the
// control, which finds its per-user folder there, is created. False, with
// the reason written to err, when the folder cannot be made.
bool UseProfile(const std::string& folder, std::ostream& err);

// The host link the options ask for.
host::HostLinkOptions HostLinkOptionsOf(const DeskOptions& options);

}  // namespace zv::desk
