// A small stand-in for the control, registered under its ProgID and class
// id: a few members with the real dispatch ids, events fired from methods
// and from its windows, message boxes, a timer, and a view of two windows.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "control/zvemul_surface.h"
#include "platform/text_engine.h"
#include "platform/window.h"

namespace zv::script::testing {

// What the fakes of this process did.
struct FakeRecord {
  int controls_made = 0;
  int windows_created = 0;
  int windows_destroyed = 0;
  int timer_runs = 0;
  std::string home_at_creation;  // HOME when the last fake was made
  RECT window_rect;
  // Key messages the windows got: "down 41 shift", "sysdown 46 alt", "char 61".
  std::vector<std::string> keys;
};
FakeRecord& Record();

// Registers the fake in the process's object registry and clears the record.
void RegisterFakeControl();

class FakeControl;

// One screen: typed characters go into its text engine; Enter submits the
// text after the last ">" as an entry, then writes the pending mark "<".
class FakeScreen final : public platform::Window {
 public:
  FakeScreen(FakeControl& control, int number) : control_(control), number_(number) {}
  ~FakeScreen() override { Destroy(); }
  platform::TextEngine& engine() { return engine_; }
  int number() const { return number_; }
  void Write(std::string_view text);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  FakeControl& control_;
  int number_;
  platform::TextEngine engine_;
};

class FakeControlWindow final : public platform::Window {
 public:
  explicit FakeControlWindow(FakeControl& control) : control_(control) {}
  ~FakeControlWindow() override { Destroy(); }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  FakeControl& control_;
};

class FakeControl final : public platform::ComObject<IZVEmulControl> {
 public:
  FakeControl();

  platform::DispatchTable& Automation() override { return table_; }
  const platform::TypeLibraryInfo& TypeLibrary() override { return library_; }
  bool CreateControlWindow(platform::Window* parent, const RECT& rect) override;
  void DestroyControlWindow() override;
  platform::Window* ControlWindow() override { return &window_; }
  void SetSite(ContainerSite*) override {}
  void LoadProperties(const PropertyBag&) override {}
  PropertyBag SaveProperties() override { return {}; }
  bool IsModified() override { return false; }
  ControlView View() override;

  // An entry from a screen or HostEntry: handed out at once when nothing is
  // in flight, queued behind up to four, refused beyond.
  void QueueRequest(const std::string& entry);
  void Fire(platform::DISPID id, std::vector<platform::Variant> args) { table_.Fire(id, std::move(args)); }
  FakeScreen& screen(int number) { return number == 2 ? screen2_ : screen1_; }
  void OnTimer();

 private:
  void BuildTable();
  platform::Variant DataSourceResponse(const std::u16string& data);

  platform::DispatchTable table_;
  platform::TypeLibraryInfo library_;
  FakeControlWindow window_{*this};
  FakeScreen screen1_{*this, 1};
  FakeScreen screen2_{*this, 2};
  std::vector<std::string> status_ = std::vector<std::string>(7);
  std::string home_;
  std::int16_t window_count_ = 2;
  platform::OLE_COLOR color_ = 0x00B20000;
  int in_flight_ = 0;
  std::deque<std::string> queue_;
};

}  // namespace zv::script::testing
