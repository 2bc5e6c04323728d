#include "apps/zvemul-script/demo_script.h"

#include <cstdio>
#include <string>

namespace zv::script {
namespace {

constexpr std::string_view kScript[] = {
    R"({"dispid": "CreateSessionQueue"})",
    R"({"get": "WindowCount"})",
    R"({"agent": "type", "text": "A10JUNLONPAR"})",
    R"({"agent": "key", "key": "Enter"})",
    R"({"agent": "screen", "window": 0})",
    R"({"call": "HostEntry", "args": [0, "01Y2"]})",
    R"({"agent": "screen", "window": 0})",
    R"({"agent": "tick", "ms": 1000})",
    R"({"agent": "view"})",
};

constexpr char kIndent[] = "   ";

std::string Compact(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Control characters as ^X, so that a line reads as the screen shows it.
std::string Visible(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) {
      out.push_back('^');
      out.push_back(static_cast<char>(c + 0x40));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void PrintScreen(const Json& screen, std::ostream& out) {
  const std::string& text = screen["text"].get_ref<const std::string&>();
  const auto first = screen["first_visible_line"].get<std::size_t>();
  const auto shown = screen["visible_lines"].get<std::size_t>();
  out << kIndent << "window " << screen["window"] << ", " << screen["line_count"] << " lines, selection "
      << Compact(screen["selection"]) << "; lines " << first << " on:\n";
  std::size_t line = 0;
  for (std::size_t start = 0; start <= text.size() && line < first + shown; ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view row(text.data() + start, end - start);
    while (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (line >= first) out << kIndent << "| " << Visible(row) << '\n';
    start = end + 1;
  }
}

void PrintView(const Json& view, std::ostream& out) {
  out << kIndent << "layout " << view["layout"] << ", active frame " << view["active_frame"] << ", frame windows "
      << Compact(view["frame_windows"]) << ", current window " << view["current_window"] << ", focus in window "
      << view["focus_window"] << '\n';
  const Json& parts = view["status_bar"]["parts"];
  if (view["status_bar"]["exists"].get<bool>()) {
    out << kIndent << "status bar:";
    for (const Json& part : parts) out << " [" << Visible(part.get_ref<const std::string&>()) << ']';
    out << '\n';
  }
}

}  // namespace

void PrintReply(const Json& request, const Json& reply, std::ostream& out) {
  if (!reply["ok"].get<bool>()) {
    const Json& error = reply["error"];
    out << kIndent << "error: ";
    if (error.contains("hresult")) out << error["hresult"].get_ref<const std::string&>() << ' ';
    out << error["description"].get_ref<const std::string&>() << '\n';
  } else {
    const Json& result = reply["result"];
    const std::string agent = request.contains("agent") ? request["agent"].get<std::string>() : "";
    if (agent == "screen") {
      PrintScreen(result, out);
    } else if (agent == "view") {
      PrintView(result, out);
    } else if (result.is_null()) {
      out << kIndent << "ok\n";
    } else {
      out << kIndent << "ok: " << Compact(result) << '\n';
    }
  }
  for (const Json& event : reply["events"]) {
    std::string args;
    for (const Json& arg : event["args"]) args += (args.empty() ? "" : ", ") + Compact(arg);
    out << kIndent << "event " << event["name"].get_ref<const std::string&>() << '(' << args << ")\n";
  }
  for (const Json& box : reply["messages"]) {
    out << kIndent << "message box \"" << box["caption"].get_ref<const std::string&>()
        << "\": " << Compact(box["text"]) << " -> " << box["answer"].get_ref<const std::string&>() << '\n';
  }
  if (reply.contains("host")) {
    for (const Json& exchange : reply["host"]) {
      out << kIndent << "host answers " << Compact(exchange["entry"]) << " with " << Compact(exchange["response"])
          << '\n';
    }
  }
}

void RunDemo(Driver& driver, std::string_view host_name, std::ostream& out) {
  out << "ZVEmul scripting driver: a short demonstration with the " << host_name << " host.\n"
      << "Each request (one JSON line, as a script would send it) is followed by its reply.\n";
  for (std::string_view line : kScript) {
    const Json request = Json::parse(line);
    const Json reply = driver.Handle(request);
    out << "\n>> " << line << '\n';
    PrintReply(request, reply, out);
  }
  out.flush();
}

}  // namespace zv::script
