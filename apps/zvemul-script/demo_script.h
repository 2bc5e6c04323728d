// The built-in demonstration (--demo): a short script through the driver,
// each request and its reply printed for a person to read.
#pragma once

#include <ostream>
#include <string_view>

#include "apps/zvemul-script/automation_json.h"
#include "apps/zvemul-script/driver.h"

namespace zv::script {

void RunDemo(Driver& driver, std::string_view host_name, std::ostream& out);

// A reply as indented lines: the result or error, events, message boxes,
// host exchanges; a screen as its visible lines, a view as a summary.
void PrintReply(const Json& request, const Json& reply, std::ostream& out);

}  // namespace zv::script
