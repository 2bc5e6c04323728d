// A control created the way a container creates it: by ProgID through object
// creation, on a desktop with deterministic services, in a temporary home,
// with an event sink that records every event.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "control/zvemul_surface.h"
#include "diagnostics/error_log_reader.h"
#include "platform/clocks.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/fixed_system_values.h"
#include "platform/font_catalogs.h"
#include "platform/message_box_recorder.h"
#include "platform/object_registry.h"
#include "platform/print_dialog_recorder.h"
#include "platform/registry.h"
#include "tests/support/scratch_home.h"

namespace zv::testing {

using platform::InvokeKind;
using platform::InvokeResult;
using platform::Variant;

inline Variant S(std::int16_t v) { return Variant::Short(v); }
inline Variant B(BOOL v) { return Variant::Bool(v); }
inline Variant T(std::string_view text) { return Variant::String(platform::Cp1252ToUtf16(text)); }

struct RecordedEvent {
  std::string name;
  std::vector<Variant> args;

  int Int(std::size_t i) const { return args.at(i).integer(); }
  std::string Text(std::size_t i) const { return platform::Utf16ToCp1252(args.at(i).string()); }
  bool IsNull(std::size_t i) const { return args.at(i).is_null_string(); }
};

class EventRecorder : public platform::EventSink {
 public:
  void OnEvent(const platform::EventInfo& event, std::span<const Variant> args) override {
    events.push_back({event.name, std::vector<Variant>(args.begin(), args.end())});
    if (on_event) on_event(events.back());
  }
  std::vector<RecordedEvent> Named(std::string_view name) const {
    std::vector<RecordedEvent> out;
    for (const RecordedEvent& e : events) {
      if (e.name == name) out.push_back(e);
    }
    return out;
  }
  // The Data of every DataSourceInput, in order.
  std::vector<std::string> Inputs() const {
    std::vector<std::string> out;
    for (const RecordedEvent& e : Named("DataSourceInput")) out.push_back(e.Text(0));
    return out;
  }

  std::vector<RecordedEvent> events;
  std::function<void(const RecordedEvent&)> on_event;
};

class RecordingSite : public ContainerSite {
 public:
  void OnModified() override { ++modified; }
  void OnActivate() override { ++activated; }
  void OnControlInfoChanged() override { ++info_changed; }
  bool TranslateAccelerator(const MSG& msg, DWORD modifiers) override {
    accelerators.push_back({msg, modifiers});
    return false;
  }
  struct Accelerator {
    MSG msg;
    DWORD modifiers;
  };
  std::vector<Accelerator> accelerators;
  int modified = 0;
  int activated = 0;
  int info_changed = 0;
};

// Installed faces that a test may change.
class TestFonts : public platform::FontCatalog {
 public:
  std::optional<platform::FontFace> Find(std::string_view face) override {
    for (const platform::FontFace& f : faces) {
      if (platform::EqualsIgnoreCase1252(f.face, face)) return f;
    }
    return std::nullopt;
  }
  std::vector<platform::FontFace> faces = {{"Courier New"}, {"Lucida Console"}, {"Arial"}};
};

class ControlTest : public ::testing::Test {
 protected:
  static constexpr RECT kControlRect = {0, 0, 800, 600};

  ControlTest() : desktop_(Services()) {}

  void SetUp() override {
    platform::SetCurrentRegistryStore(&registry);
    platform::SetCurrentObjectRegistry(&objects);
    RegisterZVEmulClassObjects();
    ASSERT_TRUE(container.Create(WS_VISIBLE, kControlRect, nullptr, 0));
  }

  void TearDown() override {
    control.Reset();
    platform::SetCurrentObjectRegistry(nullptr);
    platform::SetCurrentRegistryStore(nullptr);
  }

  // The container's usual properties: two frames of windows, tab strips,
  // status bar, the Insert key switching insert mode.
  static PropertyBag DefaultProperties() { return {{"TWA", B(FALSE)}, {"InsertMode", B(TRUE)}, {"WindowCount", S(9)}}; }

  void Construct() {
    CLSID clsid;
    ASSERT_EQ(platform::CLSIDFromProgID(kZVEmulProgId, &clsid), S_OK);
    ASSERT_EQ(platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid, control.PutVoid()),
              S_OK);
    control->Automation().Advise(&events);
    control->SetSite(&site);
  }

  void Create(const PropertyBag& properties = DefaultProperties()) {
    Construct();
    control->LoadProperties(properties);
    ASSERT_TRUE(control->CreateControlWindow(&container, kControlRect));
  }

  // ---- Automation by name, as a container binds ----------------------------------------------
  platform::DISPID Id(std::string_view name) {
    const auto id = control->Automation().IdOfName(name);
    EXPECT_TRUE(id.has_value()) << name;
    return id.value_or(0);
  }
  InvokeResult Call(std::string_view name, std::vector<Variant> args = {}) {
    return control->Automation().Invoke(Id(name), InvokeKind::kMethod, args);
  }
  InvokeResult Get(std::string_view name, std::vector<Variant> index = {}) {
    return control->Automation().Invoke(Id(name), InvokeKind::kPropertyGet, index);
  }
  InvokeResult Put(std::string_view name, const Variant& value, std::vector<Variant> index = {}) {
    return control->Automation().Invoke(Id(name), InvokeKind::kPropertyPut, index, &value);
  }
  std::string CallText(std::string_view name, std::vector<Variant> args = {}) {
    return platform::Utf16ToCp1252(Call(name, std::move(args)).value.string());
  }

  bool HostEntry(int window, std::string_view data) {
    return Call("HostEntry", {S(window), T(data)}).value.integer() != 0;
  }
  bool ScreenInput(int window, std::string_view data) {
    return Call("ScreenInput", {S(window), T(data)}).value.integer() != 0;
  }
  void Respond(std::string_view data) { Call("DataSourceResponse", {T(data)}); }

  // ---- What the windows show ----------------------------------------------------------------------
  const platform::TextEngine& Screen(int window) { return *control->View().windows.at(window - 1).engine; }
  std::string Text(int window) { return Screen(window).Text(); }
  std::string Line(int window, LONG line) {
    const platform::TextEngine& screen = Screen(window);
    const LONG start = screen.LineStart(line);
    return screen.TextRange(start, start + screen.LineLength(start));
  }
  HWND Hwnd(int window) { return control->View().windows.at(window - 1).hwnd; }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const auto& box : boxes->boxes()) out.push_back(box.text);
    return out;
  }

  // Each record of the error log as "message @ function".
  std::vector<std::string> Logged() {
    ErrorLogReader reader;
    std::vector<std::string> out;
    if (reader.Load(home.dir.str() + "/state/logfile.log") != ErrorLogReader::LoadResult::kOk) return out;
    for (const ErrorLogRecord& r : reader.Records().records) {
      const std::size_t func = r.text.find(" func=") + 6;
      out.push_back(r.text.substr(0, r.text.find("<location")) + " @ " +
                    r.text.substr(func, r.text.find(' ', func) - func));
    }
    return out;
  }

  // ---- Typing at the focus window ------------------------------------------------------------------
  void Press(UINT vk, platform::KeyModifiers modifiers = {}) { platform::PressKey(vk, modifiers); }
  void Type(std::string_view text) { platform::TypeText(text); }
  // One second later: window 1's clock timer runs.
  void RunClockTimer() {
    clock->SetTickCount(clock->TickCount() + 1000);
    platform::CurrentDesktop().RunTimers();
  }

  zv::testing::ScratchHome home;
  platform::MessageBoxRecorder* boxes = new platform::MessageBoxRecorder;
  platform::FixedSystemValues* system = new platform::FixedSystemValues;
  platform::ManualClock* clock = new platform::ManualClock;
  TestFonts* fonts = new TestFonts;
  platform::PrintDialogRecorder* print_dialogs = new platform::PrintDialogRecorder;

 private:
  platform::DesktopServices Services() {
    platform::DesktopServices services;
    services.message_boxes.reset(boxes);
    services.system_values.reset(system);
    services.clock.reset(clock);
    services.fonts.reset(fonts);
    services.print_dialogs.reset(print_dialogs);
    return services;
  }
  platform::Desktop desktop_;
  platform::DesktopScope scope_{desktop_};

 protected:
  platform::RegistryStore registry;
  platform::ObjectRegistry objects{&registry};
  platform::Window container;
  RecordingSite site;
  EventRecorder events;
  platform::ComPtr<IZVEmulControl> control;
};

}  // namespace zv::testing
