#include "components/vexmoor_rules/rule_files.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/file_system.h"

namespace vexmoor {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSubfolders[] = {"office", "personal"};

// The rule files, office first, each folder in name order.
std::vector<fs::path> RuleFiles(const fs::path& folder) {
  std::vector<fs::path> all;
  for (const char* sub : kSubfolders) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder / sub, ec), end; !ec && it != end && files.size() < kMaxFiles;
         it.increment(ec)) {
      if (it->path().extension() == ".xml" && it->is_regular_file(ec)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    all.insert(all.end(), files.begin(), files.end());
  }
  return all;
}

}  // namespace

fs::path RulesFolder() { return zv::platform::ConfigHome() / "zvemul" / "highlighting"; }

std::string MergedRules(const fs::path& folder) {
  pugi::xml_document merged;
  pugi::xml_node root = merged.append_child("Brimlux");
  pugi::xml_node config = root.append_child("Config");
  pugi::xml_node rules = root.append_child("Rules");
  std::string frequency;
  std::vector<std::string> unreadable;
  for (const fs::path& file : RuleFiles(folder)) {
    const std::optional<std::string> text = zv::platform::ReadNativeFile(file, kMaxFileBytes);
    pugi::xml_document doc;
    // No document type is ever expanded: pugixml skips it.
    if (!text || !doc.load_buffer(text->data(), text->size(), pugi::parse_default)) {
      unreadable.push_back(file.filename().string());
      continue;
    }
    if (pugi::xml_node read = doc.select_node("//Config//ReadRules").node(); read && read.attribute("frequency")) {
      frequency = read.attribute("frequency").value();
    }
    if (pugi::xml_node list = doc.select_node("//Rules").node()) {
      // Elements only: comments and text between rules would stop the engine's parse.
      for (pugi::xml_node rule : list.children()) {
        if (rule.type() == pugi::node_element) rules.append_copy(rule);
      }
    }
  }
  if (frequency.empty()) {
    root.remove_child(config);
  } else {
    config.append_child("ReadRules").append_attribute("frequency") = frequency.c_str();
  }
  if (!rules.first_child()) {
    std::string why = "No highlighting rules in " + (folder / "office").string() + " or " +
                      (folder / "personal").string();
    for (const std::string& name : unreadable) why += "; unreadable: " + name;
    root.append_child("Error").text() = why.c_str();
  }
  std::ostringstream out;
  merged.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

std::string RulesTimeStamp(const fs::path& folder) {
  // FNV-1a over every name and content, so an edit within the same second counts.
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const auto mix = [&](std::string_view bytes) {
    for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
    hash = (hash ^ 0xFF) * 0x100000001b3ull;  // a separator, so that moved boundaries count
  };
  for (const fs::path& file : RuleFiles(folder)) {
    mix(file.native());
    mix(zv::platform::ReadNativeFile(file, kMaxFileBytes).value_or("(unreadable)"));
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace vexmoor
