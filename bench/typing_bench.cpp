// One typed character through a res window's whole character handler, as the
// keyboard delivers it (key-down, character, key-up), with the keyboard mapper
// component loaded and with it missing. Missing, every character also tries
// to create the component and writes one error-log record.
//
// The component, once made, lives as long as the process: the benchmarks
// without it run first.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "components/keymap/keymap.h"
#include "control/zvemul_surface.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/key_input.h"
#include "platform/registry.h"

namespace zv {
namespace {

using platform::InvokeKind;
using platform::Variant;

// Characters typed on one row before a fresh SOM line starts (not timed).
constexpr int kCharactersPerRow = 40;

class TypingDesk {
 public:
  explicit TypingDesk(bool with_component) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zvemul-bench-XXXXXX").native();
    dir_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::filesystem::temp_directory_path().native();
    ::setenv("HOME", dir_.c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir_ + "/state").c_str(), 1);
    ::setenv("ZVEMUL_LOGFILE", (dir_ + "/logfile.log").c_str(), 1);
    platform::SetCurrentRegistryStore(&registry_);
    platform::SetCurrentObjectRegistry(&objects_);
    RegisterZVEmulClassObjects();
    if (with_component) {
      platform::RegisterServerClass(registry_, {keymap::CLSID_KeyboardMapper, keymap::kKeyboardMapperProgId,
                                                "ZVEmul Keyboard Mapper", platform::LogicPath(ZV_KEYMAP_LIBRARY)});
    }
    CLSID clsid;
    platform::CLSIDFromProgID(kZVEmulProgId, &clsid);
    platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid, control_.PutVoid());
    control_->CreateControlWindow(nullptr, RECT{0, 0, 800, 600});
    Invoke("CurrentWindow", InvokeKind::kPropertyPut, {}, Variant::Short(1));
    if (with_component) {
      Invoke("LoadKeyboardMapping", InvokeKind::kMethod,
             {Variant::String(platform::Cp1252ToUtf16(ZV_KEYMAP_MAPPINGS "/de.kbm"))});
    }
  }
  ~TypingDesk() {
    control_->DestroyControlWindow();
    control_.Reset();
    platform::SetCurrentObjectRegistry(nullptr);
    platform::SetCurrentRegistryStore(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  platform::InvokeResult Invoke(std::string_view name, InvokeKind kind, std::vector<Variant> args,
                                std::optional<Variant> value = std::nullopt) {
    platform::DispatchTable& table = control_->Automation();
    return table.Invoke(*table.IdOfName(name), kind, args, value ? &*value : nullptr);
  }

 private:
  platform::Desktop desktop_;
  platform::DesktopScope scope_{desktop_};
  std::string dir_;
  platform::RegistryStore registry_;
  platform::ObjectRegistry objects_{&registry_};
  platform::ComPtr<IZVEmulControl> control_;
};

// Types with `type` until the row is full, then starts a fresh SOM line
// outside the timing.
template <typename Type>
void TypeCharacters(benchmark::State& state, bool with_component, Type type) {
  TypingDesk desk(with_component);
  int on_row = 0;
  for (auto _ : state) {
    type();
    if (++on_row == kCharactersPerRow) {
      state.PauseTiming();
      platform::PressKey(VK_ESCAPE);
      on_row = 0;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_LetterWithoutComponent(benchmark::State& state) {
  TypeCharacters(state, false, [] { platform::PressKey('A'); });
}
BENCHMARK(BM_LetterWithoutComponent);

void BM_LetterWithComponent(benchmark::State& state) {
  TypeCharacters(state, true, [] { platform::PressKey('A'); });
}
BENCHMARK(BM_LetterWithComponent);

// "ä" on the German mapping: the text "AE" at the caret.
void BM_UmlautWithComponent(benchmark::State& state) {
  TypeCharacters(state, true, [] { platform::TypeText("\xE4"); });
}
BENCHMARK(BM_UmlautWithComponent);

}  // namespace
}  // namespace zv
