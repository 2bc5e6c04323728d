// The control's public surface: everything a container may use. A container
// creates the control by its ProgID through the platform's object creation,
// gives it a window, drives it through the automation table (members and
// events by name and id), delivers the agent's keys to the focused window
// with the platform's key helper, runs the desktop's timers, and draws what
// View() reports. Nothing else of the control is reachable from outside.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"
#include "platform/device_context.h"
#include "platform/object_registry.h"
#include "platform/resources.h"
#include "platform/text_engine.h"
#include "platform/window.h"

namespace zv {

inline constexpr char kZVEmulProgId[] = "ZVEMUL.ZVEmulCtrl.1";
inline constexpr char kZVEmulPropPageProgId[] = "ZVEMUL.ZVEmulPropPage.1";
// Fixed between builds; containers may bind to them.
inline constexpr CLSID CLSID_ZVEmulCtrl = {0x5436D95A, 0x3783, 0x46E4, {0xB7, 0x8B, 0xE3, 0x91, 0x1A, 0xE2, 0x97, 0xA2}};
inline constexpr CLSID CLSID_ZVEmulPropPage = {
    0x687B9280, 0x56D0, 0x44D8, {0x87, 0x5D, 0xBF, 0x18, 0xBF, 0x32, 0xF4, 0x1A}};
inline constexpr IID IID_DZVEmul = {0xDB5D9FCB, 0xFB5E, 0x4A9C, {0xAB, 0x48, 0x9D, 0xB7, 0x3F, 0xB8, 0xEB, 0x00}};
inline constexpr IID IID_DZVEmulEvents = {
    0x1FD51147, 0xFB82, 0x45FD, {0x86, 0x01, 0x7C, 0x38, 0x1A, 0xB5, 0xC4, 0x38}};
inline constexpr GUID LIBID_ZVEMULLib = {0xF33C7B47, 0x8CE5, 0x49B5, {0xAA, 0x37, 0xF2, 0x34, 0x94, 0x8E, 0xB8, 0x1E}};
inline constexpr IID IID_IZVEmulControl = {
    0x415A2D52, 0xC38E, 0x4A3F, {0x92, 0x5E, 0xCD, 0x5A, 0x04, 0x08, 0x14, 0x7A}};

// One res window as a person sees it.
struct ResWindowView {
  int number = 0;  // 1..10
  HWND hwnd = 0;
  RECT rect;  // in the control's client coordinates
  bool visible = false;
  bool enabled = false;
  bool focused = false;
  COLORREF background = 0;
  // The window's text, selection, formats and scroll position; valid until
  // the control changes it.
  const platform::TextEngine* engine = nullptr;
  // Hidden by the agent (HideWindow): its tab stays, the window set passes
  // it by when another is hidden.
  bool hidden = false;
  // The session whose request queue takes the window's entries
  // (CreateSessionQueue); 0 when it uses the single queue.
  int session = 0;
};

// One tab of a strip: its rectangle and the texts the strip drew on it, in
// order (a later text covers an earlier one at the same place).
struct TabItemView {
  RECT rect;
  std::vector<platform::DeviceContext::TextRun> drawn;
};

struct ButtonView {
  RECT rect;
  std::string text;
  UINT icon_id = 0;
  std::optional<platform::Icon> icon;  // none: the icon could not be loaded
};

struct FieldView {
  RECT rect;
  std::string text;
};

// A tab strip. Rectangles and text positions are in the control's client
// coordinates.
struct TabStripView {
  bool exists = false;
  bool visible = false;
  RECT rect;
  std::vector<std::string> captions;
  int selected = -1;
  std::vector<bool> highlighted;
  RECT tabs_rect;  // the tabs' area
  std::vector<TabItemView> items;
  ButtonView button;  // ReSize: toggles the layout
  FieldView ins_field;
};

struct StatusBarView {
  bool exists = false;
  RECT rect;
  std::vector<std::string> parts;  // seven texts
  std::vector<int> right_edges;    // -1 reaches the right edge
};

struct CaretView {
  HWND hwnd = 0;  // 0: no caret
  bool visible = false;
  int width = 0;
  int height = 0;
};

struct ControlView {
  RECT client;
  int layout = 2;        // 1 one frame, 2 two frames
  int active_frame = 1;  // 1 or 2
  int frame_window[2] = {1, 2};  // window number current in each frame
  int current_window = 1;
  HWND focus = 0;
  std::vector<ResWindowView> windows;  // ten, window 1 first
  TabStripView frame_tabs[2];
  TabStripView all_tabs;
  StatusBarView status_bar;
  CaretView caret;
};

// The container's persistent properties as named values ("TWA",
// "InsertMode", "WindowCount").
using PropertyBag = std::map<std::string, platform::Variant>;

// Optional notifications from the control to its container.
class ContainerSite {
 public:
  virtual ~ContainerSite() = default;
  // The persistent state changed (the framework's modified flag).
  virtual void OnModified() {}
  // The control asks to be activated in its container (a click inside it).
  virtual void OnActivate() {}
  // The control's keyboard information changed.
  virtual void OnControlInfoChanged() {}
  // A key the control leaves to the container (F4, F8, F9, Ctrl+Insert),
  // as a key-down message for the control's window; true when the
  // container acted on it.
  virtual bool TranslateAccelerator(const MSG& /*msg*/, DWORD /*modifiers*/) { return false; }
};

class IZVEmulControl : public platform::IUnknown {
 public:
  static constexpr IID kIid = IID_IZVEmulControl;

  // Members, events, name look-up and invocation; events reach the sinks
  // advised here.
  virtual platform::DispatchTable& Automation() = 0;
  virtual const platform::TypeLibraryInfo& TypeLibrary() = 0;

  // The control's window: a child of parent (or top-level for null) in the
  // parent's client coordinates. Creation runs the control's start-up; false
  // when the window could not be created.
  virtual bool CreateControlWindow(platform::Window* parent, const RECT& rect) = 0;
  // Destroys the window; the control writes its settings then.
  virtual void DestroyControlWindow() = 0;
  virtual platform::Window* ControlWindow() = 0;

  virtual void SetSite(ContainerSite* site) = 0;
  // Properties loaded before the window is created, saved at any time.
  virtual void LoadProperties(const PropertyBag& bag) = 0;
  virtual PropertyBag SaveProperties() = 0;
  virtual bool IsModified() = 0;

  virtual ControlView View() = 0;

 protected:
  ~IZVEmulControl() = default;
};

// Registers the control's class factories in this process's object registry
// (the in-process form of registration), so creation by ProgID works without
// the registry store. Idempotent.
void RegisterZVEmulClassObjects();

// The type library as published: the members it lists, with the ids it
// gives them (CreateSessionQueue 40, RenameWindow 41, no
// GetCurrentKeyboardCode), made from the control's automation table.
struct TypeLibraryDescription {
  platform::TypeLibraryInfo library;
  std::vector<platform::MemberInfo> properties;  // unindexed properties
  std::vector<platform::MemberInfo> methods;     // methods and indexed properties, in table order
  std::vector<platform::EventInfo> events;
};
TypeLibraryDescription DescribeTypeLibrary(IZVEmulControl& control);
// The description as type-library source text (ODL).
std::string RenderTypeLibrary(const TypeLibraryDescription& description);

// Registration in the registry store (the current one): the control's class
// with its ProgID, miscellaneous status, type library and the component
// categories "Controls that are safely scriptable" and "Controls safely
// initializable from persistent data"; the property page class; the type
// library and its two interfaces. `library` is the shared library recorded
// as the classes' server (empty: the library holding the control).
HRESULT ZVEmulRegisterServer(std::string_view library = {});
// Removes what registration wrote, except the category descriptions, which
// other classes may share.
HRESULT ZVEmulUnregisterServer();

}  // namespace zv
