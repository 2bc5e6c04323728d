// zvemul-settings: prints a settings file (ZVEMUL.DAT) readably and says
// what is wrong with a damaged one.
//   exit 0: the record reads whole; 1: a section is damaged; 2: the file
//   cannot be read.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "control/settings_record.h"
#include "macros/macro_array.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "reswindow/input_recall.h"

namespace {

using zv::SettingsSection;

// Like the control: a record is read no further than this.
constexpr std::size_t kMaxSettingsBytes = 4u << 20;

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string Quoted(const std::string& text) { return '"' + zv::platform::Cp1252ToUtf8(text) + '"'; }

const char* SectionName(SettingsSection section) {
  switch (section) {
    case SettingsSection::kVersion:
      return "version";
    case SettingsSection::kColors:
      return "colours of windows 1 and 2, face";
    case SettingsSection::kHistory:
      return "entry history";
    case SettingsSection::kMacroKeys:
      return "macro keys";
    case SettingsSection::kFontSize:
      return "font size";
    case SettingsSection::kWindowColors:
      return "colours of windows 3 to 10";
    case SettingsSection::kScreenMode:
      return "screen mode";
  }
  return "?";
}

const char* VersionName(DWORD version) {
  switch (version) {
    case zv::kSettingsVersion1:
      return " (fields up to the font size)";
    case zv::kSettingsVersion2:
      return " (with windows 3 to 10)";
    case zv::kSettingsVersion3:
      return " (with frames and layout)";
    default:
      return " (unknown: read as the nearest known version)";
  }
}

std::string FrameWindow(int frame, WORD index) {
  if (!zv::IsFrameWindowIndex(frame, index)) return "index " + std::to_string(index) + " (no window of this frame)";
  return "window " + std::to_string(index + 1);
}

int Print(const std::string& path, const std::string& bytes) {
  zv::CInputRecall history(50);
  zv::CMacroArray macros;
  zv::SettingsRecord record;
  record.history = &history;
  record.macros = &macros;
  zv::platform::Archive ar(bytes);
  const std::vector<zv::SettingsFailure> failures = zv::SerializeSettings(ar, record, 0xFFFFFFFF);
  const auto failed = [&](SettingsSection section) {
    for (const auto& f : failures) {
      if (f.section == section) return true;
    }
    return false;
  };
  // A failure without a message ends the reading.
  const bool ended = !failures.empty() && failures.back().message.empty();
  const auto read = [&](SettingsSection section) {
    if (failed(section)) return false;
    return !ended || static_cast<int>(section) < static_cast<int>(failures.back().section);
  };

  std::cout << path << ": " << bytes.size() << " bytes\n";
  if (read(SettingsSection::kVersion)) {
    std::cout << "version      " << Hex(record.version, 8) << VersionName(record.version) << '\n';
  }
  if (read(SettingsSection::kColors)) {
    std::cout << "face         " << Quoted(record.fontName) << '\n';
  }
  if (read(SettingsSection::kFontSize)) std::cout << "font size    " << record.fontSize << '\n';
  std::cout << "colours      window  background  input       response    kept\n";
  for (int w = 0; w < zv::kSettingsWindows; ++w) {
    std::printf("             %-6d", w + 1);
    for (COLORREF c : record.colors[static_cast<std::size_t>(w)]) std::printf("  %s", Hex(c, 8).c_str());
    std::printf("\n");
  }
  std::fflush(stdout);
  if (read(SettingsSection::kHistory)) {
    std::cout << "history      " << history.GetCount() << " entries, newest first\n";
    for (int i = 0; i < history.GetCount(); ++i) std::cout << "  " << (i + 1) << "  " << Quoted(*history.GetAt(i)) << '\n';
  }
  if (read(SettingsSection::kMacroKeys) || macros.GetSize() > 0) {
    std::cout << "macro keys   " << macros.GetSize() << " entries\n";
    for (int i = 0; i < macros.GetSize(); ++i) {
      const zv::CMacro& macro = macros.GetAt(i);
      std::cout << "  " << Quoted(macro.KeyName()) << " -> "
                << (macro.MacroName().empty() ? std::string("(none)") : Quoted(macro.MacroName())) << '\n';
    }
  }
  if (record.version >= zv::kSettingsVersion3 && read(SettingsSection::kScreenMode)) {
    std::cout << "frames       frame 1: " << FrameWindow(0, record.frameWindow[0])
              << ", frame 2: " << FrameWindow(1, record.frameWindow[1]) << '\n';
    std::cout << "active frame " << record.activeFrame
              << (record.activeFrame == 1 || record.activeFrame == 2 ? "" : " (no such frame)") << '\n';
    std::cout << "layout       " << record.layout
              << (record.layout == 1 ? " (one frame)" : record.layout == 2 ? " (two frames)" : " (no such layout)")
              << '\n';
  }
  if (ar.Remaining() > 0 && failures.empty()) {
    std::cout << "tail         " << ar.Remaining() << " bytes after the record (left by a longer record; never read)\n";
  }
  if (failures.empty()) return 0;
  std::cout << "damaged:\n";
  for (const zv::SettingsFailure& f : failures) {
    std::cout << "  " << SectionName(f.section) << ": " << f.cause << '\n';
    std::cout << "    the control shows: "
              << (f.message.empty() ? std::string("nothing, and reads no further") : Quoted(f.message)) << '\n';
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Prints a ZVEmul settings file (ZVEMUL.DAT) readably and says what is wrong with a damaged one.",
               "zvemul-settings");
  std::string path = (zv::platform::HomeDirectory() / "Application Data" / "ZELVANTA" / "ZVEMUL.DAT").native();
  app.add_option("file", path, "The settings file (default: the one in the user's profile)");
  CLI11_PARSE(app, argc, argv);
  const auto bytes = zv::platform::ReadFileHead(zv::platform::LogicPath(path), kMaxSettingsBytes);
  if (!bytes) {
    std::cerr << "zvemul-settings: " << path << " cannot be read (missing or not a file)\n";
    return 2;
  }
  return Print(path, *bytes);
}
