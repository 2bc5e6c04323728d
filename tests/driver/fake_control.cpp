#include "fake_control.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/keyboard_state.h"

namespace zv::script::testing {
namespace {

using platform::AutoType;
using platform::InvokeKind;
using platform::Variant;

constexpr platform::DISPID kHostResponse = 1;
constexpr platform::DISPID kInputReflect = 2;
constexpr platform::DISPID kDataSourceInput = 4;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%02X", value);
  return text;
}

Variant Text(std::string_view cp1252) { return Variant::String(platform::Cp1252ToUtf16(cp1252)); }

std::string Narrow(const Variant& v) { return platform::Utf16ToCp1252(v.string()); }

}  // namespace

FakeRecord& Record() {
  static FakeRecord record;
  return record;
}

void RegisterFakeControl() {
  Record() = FakeRecord();
  platform::ComPtr<platform::IClassFactory> factory = platform::MakeClassFactory(
      [](const IID& iid, void** object) { return platform::CreateComObject<FakeControl>(iid, object); });
  platform::CurrentObjectRegistry().RegisterClassObject(CLSID_ZVEmulCtrl, kZVEmulProgId, factory.Get());
}

void FakeScreen::Write(std::string_view text) {
  engine_.SetSelection(engine_.TextLength(), engine_.TextLength());
  engine_.ReplaceSelection(text);
}

LRESULT FakeScreen::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const platform::KeyboardState& state = platform::CurrentDesktop().keyboard_state();
  const bool shift = state.IsDown(VK_SHIFT);
  const bool ctrl = state.IsDown(VK_CONTROL);
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      std::string line = (message == WM_KEYDOWN ? "down " : "sysdown ") + Hex(static_cast<unsigned>(wparam));
      if (shift) line += " shift";
      if (ctrl) line += " ctrl";
      if (state.IsDown(VK_MENU)) line += " alt";
      Record().keys.push_back(line);
      if (wparam == VK_F1) {
        control_.Fire(kInputReflect, {Variant::Short(1), Variant::Short(2), Variant::Short(static_cast<std::int16_t>(wparam)),
                                      Variant::NullString(), Variant::Short(0)});
      } else if (wparam != VK_RETURN) {  // Enter sends the entry, on its character
        engine_.HandleKey(static_cast<UINT>(wparam), shift, ctrl);
      }
      return 0;
    }
    case WM_SYSCHAR:
      Record().keys.push_back("syschar " + Hex(static_cast<unsigned>(wparam)));
      return 0;
    case WM_CHAR: {
      Record().keys.push_back("char " + Hex(static_cast<unsigned>(wparam)));
      if (wparam == 0x0D) {
        const std::string text = engine_.Text();
        const std::size_t som = text.rfind('>');
        if (som != std::string::npos) {
          control_.QueueRequest(text.substr(som + 1));
          Write("<");
        }
      } else {
        engine_.HandleChar(static_cast<BYTE>(wparam));
      }
      return 0;
    }
    default:
      return platform::Window::WindowProc(message, wparam, lparam);
  }
}

LRESULT FakeControlWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETFOCUS:
      platform::SetFocus(control_.screen(1).handle());
      return 0;
    case WM_TIMER:
      control_.OnTimer();
      return 0;
    default:
      return platform::Window::WindowProc(message, wparam, lparam);
  }
}

FakeControl::FakeControl() {
  ++Record().controls_made;
  const char* home = std::getenv("HOME");
  home_ = home != nullptr ? home : "";
  Record().home_at_creation = home_;
  library_ = {"ZVEMULLib", "_DZVEmul", "_DZVEmulEvents", "ZVEmul", "ZVEmul.hlp", 1, 3,
              platform::FormatGuid(LIBID_ZVEMULLib), platform::FormatGuid(IID_DZVEmul),
              platform::FormatGuid(IID_DZVEmulEvents), platform::FormatGuid(CLSID_ZVEmulCtrl)};
  BuildTable();
}

void FakeControl::BuildTable() {
  table_.AddProperty({1, "PersistDir", true, AutoType::kBstr, {}, 1},
                     [this](InvokeKind, std::span<const Variant>) { return Text(home_ + "/Application Data/ZELVANTA/"); },
                     true, false);
  table_.AddProperty({7, "WindowCount", true, AutoType::kShort, {}, 7}, [this](InvokeKind kind, std::span<const Variant> a) {
    if (kind == InvokeKind::kPropertyPut) window_count_ = static_cast<std::int16_t>(a[0].integer());
    return Variant::Short(window_count_);
  });
  table_.AddProperty({34, "Color", true, AutoType::kColor, {{"Window", AutoType::kShort}, {"Attribute", AutoType::kShort}}, 34},
                     [this](InvokeKind kind, std::span<const Variant> a) {
                       if (a[0].integer() < 0 || a[0].integer() > 10 || a[1].integer() < 1 || a[1].integer() > 4) {
                         throw platform::AutomationError{CTL_E_INVALIDPROPERTYVALUE, "Parameter out of range."};
                       }
                       if (kind == InvokeKind::kPropertyPut) color_ = static_cast<platform::OLE_COLOR>(a[2].integer());
                       return Variant::Color(color_);
                     });
  table_.AddMethod({9, "HostEntry", false, AutoType::kBool, {{"Window", AutoType::kShort}, {"Data", AutoType::kBstr}}, 9},
                   [this](InvokeKind, std::span<const Variant> a) {
                     const int window = a[0].integer() == 0 ? 1 : a[0].integer();
                     if (window < 1 || window > 2) return Variant::Bool(FALSE);
                     const std::string data = Narrow(a[1]);
                     if (data.empty()) {
                       platform::MessageBox(0, "SOM not found", "ZVEmul", MB_OK);
                       Fire(kHostResponse, {Variant::Short(static_cast<std::int16_t>(window)), Variant::Short(1), Text("")});
                       return Variant::Bool(FALSE);
                     }
                     screen(window).Write(">" + data);
                     QueueRequest(data);
                     screen(window).Write("<");
                     return Variant::Bool(TRUE);
                   });
  table_.AddMethod({10, "ClearScreen", false, AutoType::kVoid, {{"Window", AutoType::kShort}}, 10},
                   [this](InvokeKind, std::span<const Variant> a) {
                     if (platform::MessageBox(0, "Clear the screen?", "ZVEmul", MB_YESNO) == IDYES) {
                       platform::TextEngine& engine = screen(a[0].integer()).engine();
                       engine.SetSelection(0, -1);
                       engine.ReplaceSelection(">");
                     }
                     return Variant();
                   });
  // A TRUE other than 1, which the driver passes on as given.
  table_.AddMethod({11, "ScreenInput", false, AutoType::kBool, {{"Window", AutoType::kShort}, {"Data", AutoType::kBstr}}, 11},
                   [this](InvokeKind, std::span<const Variant> a) {
                     screen(a[0].integer()).Write(Narrow(a[1]));
                     return Variant::Bool(-1);
                   });
  table_.AddMethod({15, "DataSourceResponse", false, AutoType::kShort, {{"Data", AutoType::kBstr}}, 15},
                   [this](InvokeKind, std::span<const Variant> a) { return DataSourceResponse(a[0].string()); });
  table_.AddMethod({18, "ReadScreen", false, AutoType::kBstr, {}, 18},
                   [this](InvokeKind, std::span<const Variant>) { return Text(screen(1).engine().Text()); });
  table_.AddMethod({32, "CreateSessionQueue", false, AutoType::kVoid,
                    {{"nSessions", AutoType::kShort}, {"szSessionMappings", AutoType::kBstr}}, 40},
                   [](InvokeKind, std::span<const Variant>) { return Variant(); });
  table_.AddEvent({1, "HostResponse", {{"Window", AutoType::kShort}, {"Type", AutoType::kShort}, {"Data", AutoType::kBstr}}});
  table_.AddEvent({2, "InputReflect",
                   {{"Window", AutoType::kShort}, {"Type", AutoType::kShort}, {"Char", AutoType::kShort},
                    {"Data", AutoType::kBstr}, {"Flags", AutoType::kShort}}});
  table_.AddEvent({3, "DriveMacro", {{"MacroFile", AutoType::kBstr}}});
  table_.AddEvent({4, "DataSourceInput", {{"Data", AutoType::kBstr}}});
  table_.AddEvent({5, "USMGRequest", {}});
}

Variant FakeControl::DataSourceResponse(const std::u16string& data) {
  std::string text = platform::Utf16ToCp1252(data);
  text.erase(0, std::min<std::size_t>(2, text.size()));
  for (char& c : text) {
    if (c == '|') c = '\r';
  }
  screen(1).Write(text + "\r>");
  Fire(kHostResponse, {Variant::Short(1), Variant::Short(1), Variant::String(data)});
  if (in_flight_ > 0 && --in_flight_ > 0 && !queue_.empty()) {
    const std::string next = queue_.front();
    queue_.pop_front();
    Fire(kDataSourceInput, {Text(next)});
  }
  return Variant::Short(0);
}

void FakeControl::QueueRequest(const std::string& entry) {
  if (in_flight_ == 0) {
    ++in_flight_;
    Fire(kDataSourceInput, {Text(entry)});
  } else if (in_flight_ < 5) {
    ++in_flight_;
    queue_.push_back(entry);
  } else {
    platform::MessageBox(0, "No more than 5 requests can be queued. \nPlease press ESC twice to clear the queue",
                         "ZVEmul", MB_OK);
  }
}

bool FakeControl::CreateControlWindow(platform::Window* parent, const RECT& rect) {
  if (!window_.Create(WS_VISIBLE, rect, parent, 0)) return false;
  const RECT half{0, 0, rect.right, rect.bottom / 2};
  const RECT lower{0, rect.bottom / 2, rect.right, rect.bottom};
  screen1_.Create(WS_CHILD | WS_VISIBLE, half, &window_, 100);
  screen2_.Create(WS_CHILD | WS_VISIBLE, lower, &window_, 101);
  for (FakeScreen* s : {&screen1_, &screen2_}) {
    s->engine().SetClientHeight(rect.bottom / 2);
    s->Write(">");
  }
  platform::SetTimer(window_.handle(), 1, 1000);
  ++Record().windows_created;
  Record().window_rect = rect;
  return true;
}

void FakeControl::DestroyControlWindow() {
  // The settings a real control writes here, reduced to one value.
  std::ofstream(home_ + "/fake-settings.txt") << "WindowCount=" << window_count_ << '\n';
  window_.Destroy();
  ++Record().windows_destroyed;
}

void FakeControl::OnTimer() {
  ++Record().timer_runs;
  status_[0] = "CLOCK " + std::to_string(platform::GetTickCount());
}

ControlView FakeControl::View() {
  ControlView view;
  view.client = window_.client_rect();
  view.focus = platform::GetFocus();
  for (FakeScreen* s : {&screen1_, &screen2_}) {
    ResWindowView w;
    w.number = s->number();
    w.hwnd = s->handle();
    w.rect = s->rect();
    w.visible = s->is_visible();
    w.enabled = s->is_enabled();
    w.focused = view.focus != 0 && view.focus == s->handle();
    w.background = color_;
    w.engine = &s->engine();
    view.windows.push_back(w);
  }
  const auto strip = [](std::vector<std::string> captions) {
    TabStripView tabs;
    tabs.exists = tabs.visible = true;
    tabs.captions = std::move(captions);
    tabs.selected = 0;
    tabs.highlighted = std::vector<bool>(5);
    return tabs;
  };
  view.frame_tabs[0] = strip({"1", "3", "5", "7", "9"});
  view.frame_tabs[1] = strip({"2", "4", "6", "8", "\xC9T\xC9"});
  view.status_bar = {true, {}, status_, {674, 741, 774, 901, 926, 969, -1}};
  view.caret = {screen1_.handle(), true, 7, 15};
  return view;
}

}  // namespace zv::script::testing
