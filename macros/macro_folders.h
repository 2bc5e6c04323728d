// The macro folders below the per-user folder and the paths of macro files:
// the one place where the control composes them. Folders end in the
// platform's separator, so a container can open what it is handed.
#pragma once

#include <string>

namespace zv {

// `persistDir` ends in the separator; so do the folders returned.
std::string PersonalMacroFolder(const std::string& persistDir);
std::string OfficeMacroFolder(const std::string& persistDir);
// The file of a macro: the folder, the name and ".zvm". An unbound key
// (empty name) gives the folder followed by ".zvm".
std::string MacroFilePath(const std::string& folder, const std::string& macroName);

// Run once when the control is made. On a first start (no personal folder)
// makes both folders and moves the loose ".zvm" files of `persistDir` into
// the personal folder; on every start moves the content of an old "Macros"
// folder there. Failures are ignored: a folder that cannot be made stays
// missing, a name that exists already is not moved.
void SetUpMacroFolders(const std::string& persistDir);

}  // namespace zv
