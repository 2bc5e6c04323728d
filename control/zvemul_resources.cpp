#include "control/zvemul_resources.h"

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
  return module;
}

}  // namespace

platform::ResourceModule& ZVEmulResources() {
  static platform::ResourceModule module = MakeResources();
  return module;
}

}  // namespace zv
