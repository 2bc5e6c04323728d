#include "apps/zvemul-script/surface_json.h"

#include <string>

#include "platform/code_page.h"

namespace zv::script {
namespace {

Json ParamsToJson(const std::vector<platform::ParamInfo>& params) {
  Json out = Json::array();
  for (const platform::ParamInfo& p : params) {
    out.push_back({{"name", p.name}, {"type", platform::AutoTypeName(p.type)}});
  }
  return out;
}

Json RectToJson(const RECT& r) { return Json::array({r.left, r.top, r.right, r.bottom}); }

int NumberOfWindow(const ControlView& view, HWND hwnd) {
  if (hwnd == 0) return 0;
  for (const ResWindowView& w : view.windows) {
    if (w.hwnd == hwnd) return w.number;
  }
  return 0;
}

Json IconToJson(const ButtonView& button) {
  if (!button.icon) return nullptr;
  return {{"width", button.icon->width}, {"height", button.icon->height}, {"rows", button.icon->rows}};
}

Json TabsToJson(const TabStripView& tabs) {
  Json captions = Json::array();
  for (const std::string& c : tabs.captions) captions.push_back(platform::Cp1252ToUtf8(c));
  Json highlighted = Json::array();
  for (bool h : tabs.highlighted) highlighted.push_back(h);
  Json items = Json::array();
  for (const TabItemView& item : tabs.items) {
    Json drawn = Json::array();
    for (const platform::DeviceContext::TextRun& run : item.drawn) {
      drawn.push_back({{"at", Json::array({run.at.x, run.at.y})},
                       {"text", platform::Cp1252ToUtf8(run.text)},
                       {"color", run.text_color},
                       {"background", run.opaque ? Json(run.back_color) : Json(nullptr)}});
    }
    items.push_back({{"rect", RectToJson(item.rect)}, {"drawn", std::move(drawn)}});
  }
  return {{"exists", tabs.exists},
          {"visible", tabs.visible},
          {"rect", RectToJson(tabs.rect)},
          {"captions", std::move(captions)},
          {"selected", tabs.selected},
          {"highlighted", std::move(highlighted)},
          {"tabs_rect", RectToJson(tabs.tabs_rect)},
          {"items", std::move(items)},
          {"button",
           {{"rect", RectToJson(tabs.button.rect)},
            {"text", platform::Cp1252ToUtf8(tabs.button.text)},
            {"icon_id", tabs.button.icon_id},
            {"icon", IconToJson(tabs.button)}}},
          {"ins_field",
           {{"rect", RectToJson(tabs.ins_field.rect)}, {"text", platform::Cp1252ToUtf8(tabs.ins_field.text)}}}};
}

}  // namespace

Json DescribeSurface(const platform::DispatchTable& table, const platform::TypeLibraryInfo& library) {
  Json properties = Json::array();
  Json methods = Json::array();
  for (const platform::MemberInfo* m : table.Members()) {
    Json member = {{"id", m->id}, {"name", m->name}};
    member[m->is_property ? "type" : "result"] = platform::AutoTypeName(m->type);
    member["params"] = ParamsToJson(m->params);
    if (m->is_property) {
      member["get"] = table.CanGet(m->id);
      member["put"] = table.CanPut(m->id);
    }
    member["typelib_id"] = m->typelib_id ? Json(*m->typelib_id) : Json(nullptr);
    (m->is_property ? properties : methods).push_back(std::move(member));
  }
  Json events = Json::array();
  for (const platform::EventInfo* e : table.Events()) {
    events.push_back({{"id", e->id}, {"name", e->name}, {"params", ParamsToJson(e->params)}});
  }
  const std::string version =
      std::to_string(library.major_version) + "." + std::to_string(library.minor_version);
  return {{"progid", kZVEmulProgId},
          {"type_library",
           {{"library", library.library},
            {"dispatch_interface", library.dispatch_interface},
            {"event_interface", library.event_interface},
            {"coclass", library.coclass},
            {"help_file", library.help_file},
            {"version", version},
            {"library_id", library.library_id},
            {"dispatch_id", library.dispatch_id},
            {"event_id", library.event_id},
            {"class_id", library.class_id}}},
          {"properties", std::move(properties)},
          {"methods", std::move(methods)},
          {"events", std::move(events)}};
}

Json ViewToJson(const ControlView& view) {
  Json windows = Json::array();
  int focus_window = 0;
  for (const ResWindowView& w : view.windows) {
    if (w.focused) focus_window = w.number;
    windows.push_back({{"number", w.number},
                       {"visible", w.visible},
                       {"enabled", w.enabled},
                       {"focused", w.focused},
                       {"hidden", w.hidden},
                       {"rect", RectToJson(w.rect)},
                       {"background", w.background}});
  }
  Json parts = Json::array();
  for (const std::string& p : view.status_bar.parts) parts.push_back(platform::Cp1252ToUtf8(p));
  return {{"client", RectToJson(view.client)},
          {"layout", view.layout},
          {"active_frame", view.active_frame},
          {"frame_windows", Json::array({view.frame_window[0], view.frame_window[1]})},
          {"current_window", view.current_window},
          {"focus_window", focus_window},
          {"windows", std::move(windows)},
          {"tabs",
           {{"frame1", TabsToJson(view.frame_tabs[0])},
            {"frame2", TabsToJson(view.frame_tabs[1])},
            {"all", TabsToJson(view.all_tabs)}}},
          {"status_bar",
           {{"exists", view.status_bar.exists},
            {"rect", RectToJson(view.status_bar.rect)},
            {"parts", std::move(parts)},
            {"right_edges", view.status_bar.right_edges}}},
          {"caret",
           {{"window", NumberOfWindow(view, view.caret.hwnd)},
            {"visible", view.caret.visible},
            {"width", view.caret.width},
            {"height", view.caret.height}}}};
}

// The formatted runs of the whole text, in order, as colours and underline
// only: neighbours that differ in nothing shown are one run. A character
// without a background of its own shows the window's.
Json RunsToJson(const platform::TextEngine& engine) {
  Json runs = Json::array();
  const platform::FormattedText text = engine.FormattedRange(0, engine.TextLength());
  std::size_t start = 0;
  for (const platform::FormatRun& run : text.runs) {
    const COLORREF back = run.format.auto_back_color ? engine.BackgroundColor() : run.format.back_color;
    if (!runs.empty()) {
      Json& last = runs.back();
      if (last["text_color"] == run.format.color && last["back_color"] == back &&
          last["underline"] == run.format.underline) {
        last["length"] = last["length"].get<std::size_t>() + run.length;
        start += run.length;
        continue;
      }
    }
    runs.push_back({{"start", start},
                    {"length", run.length},
                    {"text_color", run.format.color},
                    {"back_color", back},
                    {"underline", run.format.underline}});
    start += run.length;
  }
  return runs;
}

Json ScreenToJson(const ResWindowView& window) {
  const platform::TextEngine& engine = *window.engine;
  const CHARRANGE selection = engine.Selection();
  return {{"window", window.number},
          {"text", platform::Cp1252ToUtf8(engine.Text())},
          {"selection", Json::array({selection.cpMin, selection.cpMax})},
          {"runs", RunsToJson(engine)},
          {"first_visible_line", engine.FirstVisibleLine()},
          {"line_count", engine.LineCount()},
          {"visible_lines", engine.VisibleLineCount()}};
}

namespace {

Json MenuItemsToJson(const platform::Menu& menu) {
  Json items = Json::array();
  for (const platform::MenuItem& item : menu.items()) {
    using Kind = platform::MenuItem::Kind;
    items.push_back({{"id", item.id},
                     {"text", platform::Cp1252ToUtf8(item.text)},
                     {"grayed", item.grayed},
                     {"separator", item.kind == Kind::kSeparator},
                     {"submenu", item.kind == Kind::kSubmenu && item.submenu ? MenuItemsToJson(*item.submenu) : Json()},
                     {"bitmap", item.kind == Kind::kBitmap ? Json(item.bitmap) : Json()}});
  }
  return items;
}

// The control's context menu holds the submenus; a submenu shown alone
// (after a scroll) is told by its commands: the personal scroll items 101
// and 102 and the personal macros from 0x8007, the office ones after them.
std::string_view MenuShowing(const platform::Menu& menu) {
  constexpr UINT kPersonalScrollUp = 101;
  constexpr UINT kPersonalScrollDown = 102;
  constexpr UINT kFirstPersonalMacro = 0x8007;
  constexpr UINT kFirstOfficeMacro = 0x83EF;
  for (const platform::MenuItem& item : menu.items()) {
    if (item.kind == platform::MenuItem::Kind::kSubmenu) return "context";
  }
  for (const platform::MenuItem& item : menu.items()) {
    if (item.id == kPersonalScrollUp || item.id == kPersonalScrollDown ||
        (item.id >= kFirstPersonalMacro && item.id < kFirstOfficeMacro)) {
      return "personal";
    }
  }
  return "office";
}

}  // namespace

Json MenuToJson(const platform::Menu& menu) {
  return {{"items", MenuItemsToJson(menu)}, {"showing", MenuShowing(menu)}};
}

}  // namespace zv::script
