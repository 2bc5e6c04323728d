// What the highlighting fuzz targets share: an engine switched on in file
// mode on a headless desktop, in a temporary home, created once.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "highlight/brimlux.h"
#include "platform/desktop.h"
#include "platform/message_box_recorder.h"
#include "platform/registry.h"
#include "platform/window.h"

namespace zv::fuzzing {

struct HighlightFixture {
  HighlightFixture() {
    char pattern[] = "/tmp/zv-highlight-fuzz-XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    setenv("ZVEMUL_LOGFILE", (dir / "logfile.log").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    std::ofstream(dir / "rules.xml") << "<Brimlux><Rules/></Brimlux>";
    platform::SetCurrentRegistryStore(&store);
    store.SetString(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Path", (dir / "rules.xml").native());
    parent.Create(0, {0, 0, 800, 600}, nullptr, 0);
    engine = std::make_unique<CBrimlux>();
    if (engine->Initialize(&parent) != 0) abort();
  }
  // The boxes of the last input only, so that memory stays flat.
  void ClearBoxes() { dynamic_cast<platform::MessageBoxRecorder&>(desktop.message_boxes()).Clear(); }

  platform::RegistryStore store;
  platform::Desktop desktop;
  platform::DesktopScope scope{desktop};
  platform::Window parent;
  std::unique_ptr<CBrimlux> engine;
};

}  // namespace zv::fuzzing
