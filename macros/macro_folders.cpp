#include "macros/macro_folders.h"

#include "platform/file_system.h"

namespace zv {
namespace {

constexpr char kMacroExtension[] = ".zvm";

std::string WithoutSeparator(const std::string& folder) { return folder.substr(0, folder.size() - 1); }

void MoveAll(const std::string& pattern, const std::string& fromFolder, const std::string& toFolder) {
  for (const platform::FindData& found : platform::FindFiles(pattern)) {
    if (found.file_name == "." || found.file_name == "..") continue;
    platform::MoveFile(fromFolder + found.file_name, toFolder + found.file_name);
  }
}

}  // namespace

std::string PersonalMacroFolder(const std::string& persistDir) {
  return platform::SubfolderPath(persistDir, "Personal Macros");
}

std::string OfficeMacroFolder(const std::string& persistDir) {
  return platform::SubfolderPath(persistDir, "Office Macros");
}

std::string MacroFilePath(const std::string& folder, const std::string& macroName) {
  return folder + macroName + kMacroExtension;
}

void SetUpMacroFolders(const std::string& persistDir) {
  const std::string personal = PersonalMacroFolder(persistDir);
  if (platform::FindFiles(WithoutSeparator(personal)).empty()) {
    platform::CreateDirectory(personal);
    const std::string office = OfficeMacroFolder(persistDir);
    if (platform::FindFiles(WithoutSeparator(office)).empty()) platform::CreateDirectory(office);
    MoveAll(persistDir + "*" + kMacroExtension, persistDir, personal);
  }
  const std::string old = platform::SubfolderPath(persistDir, "Macros");
  MoveAll(old + "*", old, personal);
}

}  // namespace zv
