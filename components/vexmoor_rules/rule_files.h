// The rules provider's work: the highlighting rule files of an office folder
// and a personal folder merged into one rules document, and a time stamp that
// changes whenever any of those files changes.
#pragma once

#include <filesystem>
#include <string>

namespace vexmoor {

// $XDG_CONFIG_HOME/zvemul/highlighting (default ~/.config/zvemul/highlighting),
// holding "office/" and "personal/" with files "*.xml".
std::filesystem::path RulesFolder();

// Limits that keep a stray or hostile file from costing much.
inline constexpr std::size_t kMaxFiles = 64;           // per folder
inline constexpr std::size_t kMaxFileBytes = 1u << 20;  // a larger file is skipped

// One <Brimlux> document: the rule elements of every readable file, office
// files first, each folder in name order; the refresh frequency of the last
// file that names one. With no rules, an empty Rules element and an Error
// element that says why.
std::string MergedRules(const std::filesystem::path& folder);

// A hash of the files' names and contents, as 16 hex digits.
std::string RulesTimeStamp(const std::filesystem::path& folder);

}  // namespace vexmoor
