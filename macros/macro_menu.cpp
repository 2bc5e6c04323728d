#include "macros/macro_menu.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace zv {
namespace {

constexpr std::size_t kExtensionLength = 4;  // ".zvm"

// A sorted list box's order: letter case does not count; names equal but
// for case keep the file system's order.
bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(platform::Cp1252ToUpper(x)) <
           static_cast<unsigned char>(platform::Cp1252ToUpper(y));
  });
}

std::string WithoutExtension(const std::string& file) {
  return file.substr(0, file.size() >= kExtensionLength ? file.size() - kExtensionLength : 0);
}

}  // namespace

std::vector<std::string> SortedMacroFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const platform::FindData& found : platform::FindFiles(folder + "*.zvm")) names.push_back(found.file_name);
  std::stable_sort(names.begin(), names.end(), LessNoCase);
  return names;
}

platform::Menu MacroSubmenu(const std::string& folder, const CMacroArray& macros, const std::string& keyKind,
                            UINT firstId) {
  std::vector<std::string> texts;
  for (const platform::FindData& found : platform::FindFiles(folder + "*.zvm")) {
    std::string name = WithoutExtension(found.file_name);
    std::string key = keyKind;
    texts.push_back(macros.FindByName(name, key) ? name + "\t" + key : name);
  }
  std::stable_sort(texts.begin(), texts.end(), LessNoCase);
  platform::Menu submenu;
  const std::size_t count = std::min(texts.size(), kMaxMenuMacros);
  for (std::size_t i = 0; i < count; ++i) {
    submenu.Append(platform::MenuItem::Command(firstId + static_cast<UINT>(i), std::move(texts[i])));
  }
  return submenu;
}

void PageMacroSubmenu(platform::Menu& submenu, int& top, const platform::MenuItem& scrollUp,
                      const platform::MenuItem& scrollDown) {
  const int n = static_cast<int>(submenu.size());
  if (n <= 1) {
    top = 1;
    return;
  }
  if (top < 1) top = 1;
  if (top > n - kMacrosPerPage) top = n - (kMacrosPerPage - 1);
  // The page: the macros from index top (or 0), at most 26 of them.
  const int first = top > 1 ? top : 0;
  const int last = std::min(n, first + kMacrosPerPage);
  platform::Menu page;
  if (top > 1) page.Append(scrollUp);
  for (int i = first; i < last; ++i) page.Append(submenu.items()[static_cast<std::size_t>(i)]);
  submenu = std::move(page);
  if (top + kMacrosPerPage <= n) submenu.Append(scrollDown);
}

std::string MacroNameAt(const std::string& folder, std::size_t index) {
  const std::vector<std::string> files = SortedMacroFiles(folder);
  return index < files.size() ? WithoutExtension(files[index]) : std::string();
}

}  // namespace zv
