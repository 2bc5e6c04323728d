// zvemul-script's command line and run: options, the user's profile, the
// control's creation, then --describe, --demo, or the request loop.
#pragma once

#include <istream>
#include <ostream>

namespace zv::script {

// The control's class must be registered in the process's object registry.
// Returns the exit status: 0, 1 when the control or its window cannot be
// made, 2 for a profile folder that cannot be made or a bad --size, or the
// command line parser's status.
int RunProgram(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zv::script
