#include "apps/zvemul-script/program.h"

#include <CLI/CLI.hpp>
#include <stdlib.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "apps/zvemul-script/demo_script.h"
#include "apps/zvemul-script/driver.h"
#include "apps/zvemul-script/entry_answerer.h"
#include "apps/zvemul-script/surface_json.h"

namespace zv::script {
namespace {

constexpr int kMaxSide = 32767;  // the control keeps its client size in 16 bits

struct Size {
  int width = 1024;
  int height = 768;
};

bool ParseSide(std::string_view text, int& out) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && ptr == text.data() + text.size() && out >= 1 && out <= kMaxSide;
}

bool ParseSize(std::string_view text, Size& size) {
  const std::size_t x = text.find_first_of("xX");
  return x != std::string_view::npos && ParseSide(text.substr(0, x), size.width) &&
         ParseSide(text.substr(x + 1), size.height);
}

// A folder of its own for the demonstration's profile, removed afterwards,
// so that the demonstration starts from the defaults and leaves nothing.
class TemporaryProfile {
 public:
  TemporaryProfile() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/zvemul-demo-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TemporaryProfile() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TemporaryProfile(const TemporaryProfile&) = delete;
  TemporaryProfile& operator=(const TemporaryProfile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// HOME becomes the profile folder (made if missing) before the control,
// which finds its per-user folder there, is created.
bool UseProfile(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    err << "zvemul-script: the profile folder " << folder << " cannot be made\n";
    return false;
  }
  const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
  ::setenv("HOME", (ec ? folder : absolute.string()).c_str(), 1);
  return true;
}

bool HasAny(const Json& notes) {
  for (const auto& [key, value] : notes.items()) {
    if (!value.empty()) return true;
  }
  return false;
}

int Run(const std::string& profile, const Size& size, bool describe, bool demo, const std::string& host,
        std::istream& in, std::ostream& out, std::ostream& err) {
  std::unique_ptr<TemporaryProfile> temporary;
  if (!profile.empty()) {
    if (!UseProfile(profile, err)) return 2;
  } else if (demo) {
    temporary = std::make_unique<TemporaryProfile>();
    if (temporary->path().empty() || !UseProfile(temporary->path(), err)) return 2;
  }

  HeadlessDesktop desktop;
  platform::ComPtr<IZVEmulControl> control;
  if (HRESULT hr = CreateControl(&control); FAILED(hr)) {
    err << "zvemul-script: cannot create " << kZVEmulProgId << " (" << FormatHresult(hr) << ")\n";
    return 1;
  }
  if (describe) {
    out << DescribeSurface(control->Automation(), control->TypeLibrary()).dump(2) << '\n';
    return 0;
  }

  const std::string host_name = !host.empty() ? host : demo ? DefaultAnswererName() : "";
  std::unique_ptr<EntryAnswerer> answerer = host_name.empty() ? nullptr : MakeAnswerer(host_name);
  Driver driver(*control.Get(), desktop);
  driver.SetAnswerer(answerer.get());
  if (!driver.Start(size.width, size.height)) {
    err << "zvemul-script: the control's window cannot be created\n";
    return 1;
  }
  if (HasAny(driver.startup())) {
    err << "zvemul-script: at start-up: " << driver.startup().dump(-1, ' ', false, Json::error_handler_t::replace)
        << '\n';
  }
  if (demo) {
    RunDemo(driver, host_name, out);
    driver.Finish();
  } else {
    driver.Run(in, out);
  }
  return 0;
}

}  // namespace

int RunProgram(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
  CLI::App app("Drives the ZVEmul control with JSON lines: one request per line on standard input, "
               "one reply per line on standard output.",
               "zvemul-script");
  std::string profile;
  std::string size_text;
  std::string host;
  bool describe = false;
  bool demo = false;
  app.add_option("--profile", profile, "Use DIR as the user's profile (HOME) instead of $HOME")->type_name("DIR");
  app.add_option("--size", size_text, "The control's client size in pixels (default 1024x768)")->type_name("WxH");
  app.add_flag("--describe", describe, "Print the automation surface and the type library as JSON, then exit");
  app.add_option("--host", host, "Answer every DataSourceInput from a built-in host")
      ->check(CLI::IsMember(AnswererNames()));
  app.add_flag("--demo", demo, "Run a short built-in demonstration and print each request and reply");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err);
  }
  Size size;
  if (!size_text.empty() && !ParseSize(size_text, size)) {
    err << "zvemul-script: --size wants WxH with each side 1 to " << kMaxSide << ", not " << size_text << '\n';
    return 2;
  }
  try {
    return Run(profile, size, describe, demo, host, in, out, err);
  } catch (const std::exception& e) {
    err << "zvemul-script: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace zv::script
