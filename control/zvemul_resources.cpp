#include "control/zvemul_resources.h"

#include <algorithm>
#include <memory>

namespace zv {
namespace {

platform::ResourceModule MakeResources() {
  platform::ResourceModule module;
  module.AddIcon(kAllWindowsStripIcon, {18, 11,
                                        {"##################",
                                         "#                #",
                                         "#                #",
                                         "#                #",
                                         "#                #",
                                         "##################",
                                         "#                #",
                                         "#                #",
                                         "#                #",
                                         "#                #",
                                         "##################"}});
  module.AddIcon(kFrameStripIcon, {18, 11,
                                   {"##################",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "#                #",
                                    "##################"}});
  const platform::Icon up{9, 5, {"    #    ", "   ###   ", "  #####  ", " ####### ", "#########"}};
  platform::Icon down = up;
  std::reverse(down.rows.begin(), down.rows.end());
  module.AddBitmap(kScrollUpBitmap, up);
  module.AddBitmap(kScrollDownBitmap, down);
  platform::Menu popup;
  popup.Append(platform::MenuItem::Command(kNoMacrosPlaceholderId, "No assigned macros"));
  platform::Menu menu;
  menu.Append(platform::MenuItem::Submenu("", std::make_shared<const platform::Menu>(std::move(popup))));
  module.AddMenu(kContextMenuResource, std::move(menu));
  return module;
}

}  // namespace

platform::ResourceModule& ZVEmulResources() {
  static platform::ResourceModule module = MakeResources();
  return module;
}

}  // namespace zv
