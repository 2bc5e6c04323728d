#include "apps/zvemul-script/driver.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "apps/zvemul-script/key_names.h"
#include "apps/zvemul-script/line_reader.h"
#include "apps/zvemul-script/surface_json.h"
#include "platform/code_page.h"
#include "platform/key_input.h"
#include "platform/mouse_input.h"
#include "platform/window.h"

namespace zv::script {
namespace {

using platform::InvokeKind;
using platform::Variant;

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// Deepest nesting of arrays and objects outside strings: checked before
// parsing so that no line builds a deep value.
int NestingDepth(std::string_view line) {
  int depth = 0;
  int deepest = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

std::string Dump(const Json& reply) { return reply.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string_view AnswerName(int answer) {
  switch (answer) {
    case IDOK: return "ok";
    case IDCANCEL: return "cancel";
    case IDYES: return "yes";
    case IDNO: return "no";
    default: return "other";
  }
}

std::string_view ButtonsName(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return "okcancel";
    case MB_YESNOCANCEL: return "yesnocancel";
    case MB_YESNO: return "yesno";
    default: return "ok";
  }
}

int FirstButton(UINT type) {
  const UINT buttons = type & MB_TYPEMASK;
  return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

HRESULT CreateControl(platform::ComPtr<IZVEmulControl>* control) {
  CLSID clsid{};
  if (HRESULT hr = platform::CLSIDFromProgID(kZVEmulProgId, &clsid); FAILED(hr)) return hr;
  return platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid,
                                    control->PutVoid());
}

Driver::Outcome Driver::Outcome::Fail(std::string description, std::optional<HRESULT> hresult) {
  Outcome outcome;
  outcome.ok = false;
  outcome.description = std::move(description);
  outcome.hresult = hresult;
  return outcome;
}

Driver::Driver(IZVEmulControl& control, HeadlessDesktop& desktop) : control_(control), desktop_(desktop) {}

Driver::~Driver() { Finish(); }

bool Driver::Start(int width, int height) {
  control_.Automation().Advise(this);
  listening_ = true;
  const RECT rect{0, 0, width, height};
  window_alive_ = control_.CreateControlWindow(nullptr, rect);
  if (window_alive_) {
    if (platform::Window* window = control_.ControlWindow()) platform::SetFocus(window->handle());
  }
  AnswerEntries();
  startup_ = {{"events", std::exchange(events_, Json::array())},
              {"messages", TakeMessages()},
              {"host", std::exchange(host_, Json::array())}};
  return window_alive_;
}

void Driver::SetAnswerer(EntryAnswerer* answerer, int session) {
  answerer_ = answerer;
  session_ = session;
  if (answerer_ == nullptr) entries_.clear();
}

void Driver::Finish() {
  if (window_alive_) {
    window_alive_ = false;
    control_.DestroyControlWindow();
  }
  if (listening_) {
    listening_ = false;
    control_.Automation().Unadvise(this);
  }
  entries_.clear();
}

void Driver::OnEvent(const platform::EventInfo& event, std::span<const Variant> args) {
  Json values = Json::array();
  for (const Variant& arg : args) values.push_back(JsonFromVariant(arg));
  events_.push_back({{"name", event.name}, {"args", std::move(values)}});
  // Answered once the call that fired the event has returned: the res window
  // is still inside its Enter handling here.
  if (answerer_ != nullptr && event.name == "DataSourceInput" && !args.empty()) {
    entries_.push_back(platform::Utf16ToCp1252(args[0].string()));
  }
}

std::string Driver::HandleLine(std::string_view line) {
  Json request;
  Outcome outcome;
  if (IsBlank(line)) {
    outcome = Outcome::Fail("empty request");
  } else if (NestingDepth(line) > kMaxNesting) {
    outcome = Outcome::Fail("invalid JSON: nested deeper than " + std::to_string(kMaxNesting) + " levels");
  } else {
    try {
      request = Json::parse(line);
    } catch (const Json::exception& e) {
      outcome = Outcome::Fail(std::string("invalid JSON: ") + e.what());
    }
  }
  if (!outcome.ok) return Dump(MakeReply(request, std::move(outcome)));
  return Dump(Handle(request));
}

Json Driver::Handle(const Json& request) {
  Outcome outcome;
  try {
    outcome = Dispatch(request);
    if (!holding_) AnswerEntries();
  } catch (const std::exception& e) {
    outcome = Outcome::Fail(std::string("internal error: ") + e.what());
  } catch (...) {
    outcome = Outcome::Fail("internal error");
  }
  return MakeReply(request, std::move(outcome));
}

std::string Driver::TooLongReply() {
  return Dump(MakeReply(Json(), Outcome::Fail("line longer than " + std::to_string(kMaxLineBytes) + " bytes")));
}

void Driver::Run(std::istream& in, std::ostream& out) {
  LineReader reader(in, kMaxLineBytes);
  std::string line;
  for (;;) {
    const LineReader::Status status = reader.Next(line);
    if (status == LineReader::Status::kEnd) break;
    if (status == LineReader::Status::kLine && IsBlank(line)) continue;
    out << (status == LineReader::Status::kTooLong ? TooLongReply() : HandleLine(line)) << '\n';
    out.flush();
    if (!out) break;
  }
  Finish();
}

Json Driver::MakeReply(const Json& request, Outcome outcome) {
  Json reply = {{"ok", outcome.ok}};
  if (request.is_object() && request.contains("id")) reply["id"] = request["id"];
  if (outcome.ok) {
    reply["result"] = std::move(outcome.result);
  } else {
    Json error = Json::object();
    if (outcome.hresult) error["hresult"] = FormatHresult(*outcome.hresult);
    error["description"] = std::move(outcome.description);
    reply["error"] = std::move(error);
  }
  reply["events"] = std::exchange(events_, Json::array());
  reply["messages"] = TakeMessages();
  Json dialogs = TakeDialogs();
  if (!dialogs.empty()) reply["dialogs"] = std::move(dialogs);
  if (!host_.empty()) reply["host"] = std::exchange(host_, Json::array());
  return reply;
}

Json Driver::TakeDialogs() {
  Json dialogs = Json::array();
  platform::PrintDialogRecorder& recorder = desktop_.print_dialogs();
  for (const platform::PrintDialogRecorder::Dialog& dialog : recorder.dialogs()) {
    dialogs.push_back({{"kind", dialog.setup ? "setup" : "print"},
                       {"printer", dialog.settings.printer},
                       {"selection", dialog.selection},
                       {"copies", dialog.settings.copies},
                       {"answer", AnswerName(dialog.answer)}});
  }
  recorder.Clear();
  return dialogs;
}

Json Driver::TakeMessages() {
  Json messages = Json::array();
  platform::MessageBoxRecorder& boxes = desktop_.boxes();
  for (const platform::MessageBoxRecorder::Box& box : boxes.boxes()) {
    messages.push_back({{"text", platform::Cp1252ToUtf8(box.text)},
                        {"caption", platform::Cp1252ToUtf8(box.caption)},
                        {"buttons", ButtonsName(box.type)},
                        {"answer", AnswerName(box_answer_.value_or(FirstButton(box.type)))}});
  }
  boxes.Clear();
  return messages;
}

namespace {

// A failure naming the first member of `request` that `allowed` (and "id")
// does not list.
std::optional<std::string> UnknownKey(const Json& request, std::initializer_list<std::string_view> allowed) {
  for (const auto& [key, value] : request.items()) {
    if (key == "id" || std::find(allowed.begin(), allowed.end(), key) != allowed.end()) continue;
    return "unknown key " + Quoted(key);
  }
  return std::nullopt;
}

}  // namespace

Driver::Outcome Driver::Dispatch(const Json& request) {
  if (!request.is_object()) return Outcome::Fail("a request must be a JSON object");
  const char* kind = nullptr;
  int kinds = 0;
  for (const char* k : {"call", "get", "put", "dispid", "agent"}) {
    if (request.contains(k)) {
      kind = k;
      ++kinds;
    }
  }
  if (kinds != 1) return Outcome::Fail("a request has exactly one of \"call\", \"get\", \"put\", \"dispid\", \"agent\"");
  const std::string_view k = kind;
  if (k == "call") return Invoke(request, InvokeKind::kMethod, kind);
  if (k == "get") return Invoke(request, InvokeKind::kPropertyGet, kind);
  if (k == "put") return Invoke(request, InvokeKind::kPropertyPut, kind);
  if (k == "dispid") return DispatchId(request);
  return Agent(request);
}

Driver::Outcome Driver::Invoke(const Json& request, InvokeKind kind, const char* key) {
  const bool put = kind == InvokeKind::kPropertyPut;
  if (auto unknown = put ? UnknownKey(request, {key, "args", "value"}) : UnknownKey(request, {key, "args"})) {
    return Outcome::Fail(*unknown);
  }
  const Json& name_json = request[key];
  if (!name_json.is_string()) return Outcome::Fail(Quoted(key) + " must be a member name (a string)");
  const std::string& name = name_json.get_ref<const std::string&>();
  platform::DispatchTable& table = control_.Automation();
  const std::optional<platform::DISPID> id = table.IdOfName(name);
  if (!id) return Outcome::Fail("unknown name " + Quoted(name), DISP_E_UNKNOWNNAME);
  const platform::MemberInfo& member = *table.Member(*id);
  if (member.is_property != (kind != InvokeKind::kMethod)) {
    return Outcome::Fail(member.name + (member.is_property ? " is a property: use get or put" : " is a method: use call"),
                         DISP_E_MEMBERNOTFOUND);
  }

  static const Json kNoArgs = Json::array();
  const Json& list = request.contains("args") ? request["args"] : kNoArgs;
  if (!list.is_array()) return Outcome::Fail("\"args\" must be an array");
  if (list.size() != member.params.size()) {
    return Outcome::Fail(member.name + " takes " + std::to_string(member.params.size()) + " argument" +
                             (member.params.size() == 1 ? "" : "s") + ", got " + std::to_string(list.size()),
                         DISP_E_BADPARAMCOUNT);
  }
  std::vector<Variant> args;
  for (std::size_t i = 0; i < list.size(); ++i) {
    Variant arg;
    std::string error;
    if (!VariantFromJson(list[i], arg, error)) {
      return Outcome::Fail("argument " + std::to_string(i + 1) + " (" + member.params[i].name + ") " + error);
    }
    args.push_back(std::move(arg));
  }
  Variant value;
  if (put) {
    if (!request.contains("value")) return Outcome::Fail("a put request needs a \"value\"");
    std::string error;
    if (!VariantFromJson(request["value"], value, error)) return Outcome::Fail("\"value\" " + error);
  }

  platform::InvokeResult result = table.Invoke(*id, kind, args, put ? &value : nullptr);
  if (!result.ok()) {
    std::string description = result.description.empty() ? std::string(DescribeHresult(result.hresult))
                                                          : platform::Cp1252ToUtf8(result.description);
    return Outcome::Fail(std::move(description), result.hresult);
  }
  Outcome outcome;
  if (!put) outcome.result = JsonFromVariant(result.value);
  return outcome;
}

Driver::Outcome Driver::DispatchId(const Json& request) {
  if (auto unknown = UnknownKey(request, {"dispid"})) return Outcome::Fail(*unknown);
  const Json& name = request["dispid"];
  if (!name.is_string()) return Outcome::Fail("\"dispid\" must be a member name (a string)");
  const std::optional<platform::DISPID> id = control_.Automation().IdOfName(name.get_ref<const std::string&>());
  if (!id) return Outcome::Fail("unknown name " + Quoted(name.get_ref<const std::string&>()), DISP_E_UNKNOWNNAME);
  Outcome outcome;
  outcome.result = *id;
  return outcome;
}

Driver::Outcome Driver::Agent(const Json& request) {
  const Json& action = request["agent"];
  const std::string_view name = action.is_string() ? std::string_view(action.get_ref<const std::string&>()) : "";
  if (name == "type") return Type(request);
  if (name == "key") return Key(request);
  if (name == "screen") return Screen(request);
  if (name == "tick") return Tick(request);
  if (name == "answer") return Answer(request);
  if (name == "click") return Click(request);
  if (name == "host") return Host(request);
  if (name == "printer") return Printer(request);
  if (name == "menu") return Menu(request);
  if (name == "clipboard") return Clipboard(request);
  if (name == "view") {
    if (auto unknown = UnknownKey(request, {"agent"})) return Outcome::Fail(*unknown);
    Outcome outcome;
    outcome.result = ViewToJson(control_.View());
    outcome.result["menu"] = OpenMenu();
    return outcome;
  }
  return Outcome::Fail(
      "\"agent\" must be one of \"type\", \"key\", \"click\", \"screen\", \"view\", \"tick\", \"answer\", "
      "\"host\", \"printer\", \"menu\", \"clipboard\"");
}

Driver::Outcome Driver::Type(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "text"})) return Outcome::Fail(*unknown);
  if (!request.contains("text") || !request["text"].is_string()) return Outcome::Fail("\"text\" must be a string");
  const std::string text = platform::Utf8ToCp1252(request["text"].get_ref<const std::string&>());
  platform::KeyInput& keys = desktop_.desktop().keys();
  // Letters are pressed without Shift (Shift+letter is a macro key); every
  // other character is typed with the keys the layout makes it with.
  std::size_t run = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsAsciiLetter(text[i])) continue;
    if (i > run) keys.Type(std::string_view(text).substr(run, i - run));
    if (i < text.size()) {
      const char upper = (text[i] >= 'a' && text[i] <= 'z') ? static_cast<char>(text[i] - 32) : text[i];
      keys.Press(static_cast<UINT>(upper));
    }
    run = i + 1;
  }
  return Outcome();
}

Driver::Outcome Driver::Key(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "key", "mods"})) return Outcome::Fail(*unknown);
  if (!request.contains("key") || !request["key"].is_string()) return Outcome::Fail("\"key\" must be a key name");
  const std::string& name = request["key"].get_ref<const std::string&>();
  const std::optional<UINT> vk = VirtualKeyOfName(name);
  if (!vk) return Outcome::Fail("unknown key " + Quoted(name));
  platform::KeyModifiers modifiers;
  if (request.contains("mods")) {
    const Json& mods = request["mods"];
    if (!mods.is_array()) return Outcome::Fail("\"mods\" must be an array of \"shift\", \"ctrl\", \"alt\"");
    for (const Json& mod : mods) {
      if (!mod.is_string() || !AddModifier(mod.get_ref<const std::string&>(), modifiers)) {
        return Outcome::Fail("\"mods\" must be an array of \"shift\", \"ctrl\", \"alt\"");
      }
    }
  }
  desktop_.desktop().keys().Press(*vk, modifiers);
  return Outcome();
}

Driver::Outcome Driver::Click(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "x", "y", "button"})) return Outcome::Fail(*unknown);
  platform::MouseButton button = platform::MouseButton::kLeft;
  if (request.contains("button")) {
    const Json& name = request["button"];
    if (name == "right") {
      button = platform::MouseButton::kRight;
    } else if (name != "left") {
      return Outcome::Fail("\"button\" must be \"left\" or \"right\"");
    }
  }
  const auto coordinate = [&](const char* key) -> std::optional<LONG> {
    if (!request.contains(key) || !request[key].is_number_integer()) return std::nullopt;
    const std::int64_t v = request[key].get<std::int64_t>();
    if (v < 0 || v > kMaxCoordinate) return std::nullopt;
    return static_cast<LONG>(v);
  };
  const std::optional<LONG> x = coordinate("x");
  const std::optional<LONG> y = coordinate("y");
  if (!x || !y) return Outcome::Fail("\"x\" and \"y\" must be integers 0 to " + std::to_string(kMaxCoordinate));
  platform::Window* window = control_.ControlWindow();
  const HWND hit = window != nullptr ? platform::ClickAt(window->handle(), POINT{*x, *y}, button) : 0;
  Outcome outcome;
  outcome.result = {{"clicked", hit != 0}};
  return outcome;
}

Driver::Outcome Driver::Screen(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "window"})) return Outcome::Fail(*unknown);
  int number = 0;
  if (request.contains("window")) {
    const Json& window = request["window"];
    if (!window.is_number_integer() || window.get<std::int64_t>() < 0 || window.get<std::int64_t>() > 10) {
      return Outcome::Fail("\"window\" must be a window number 0 to 10");
    }
    number = window.get<int>();
  }
  const ControlView view = control_.View();
  if (number == 0) number = view.current_window;
  for (const ResWindowView& window : view.windows) {
    if (window.number == number && window.engine != nullptr) {
      Outcome outcome;
      outcome.result = ScreenToJson(window);
      return outcome;
    }
  }
  return Outcome::Fail("window " + std::to_string(number) + " has no text");
}

Driver::Outcome Driver::Tick(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "ms"})) return Outcome::Fail(*unknown);
  const Json* ms_json = request.contains("ms") ? &request["ms"] : nullptr;
  if (ms_json == nullptr || !ms_json->is_number_integer() || ms_json->get<std::int64_t>() < 0 ||
      ms_json->get<std::int64_t>() > kMaxTickMs) {
    return Outcome::Fail("\"ms\" must be an integer 0 to " + std::to_string(kMaxTickMs));
  }
  platform::Desktop& desktop = desktop_.desktop();
  platform::ManualClock& clock = desktop_.clock();
  // Each timer runs as it falls due, as a loop waiting in real time would
  // run it.
  std::int64_t left = ms_json->get<std::int64_t>();
  desktop.RunTimers();
  for (int runs = 0; left > 0; ++runs) {
    std::int64_t step = left;
    if (const std::optional<DWORD> next = desktop.TimeToNextTimer(); next && runs < kMaxTimerRuns) {
      step = std::clamp<std::int64_t>(*next, 1, left);
    }
    clock.Advance(static_cast<DWORD>(step));
    left -= step;
    desktop.RunTimers();
  }
  Outcome outcome;
  outcome.result = {{"tick_count", clock.TickCount()}};
  return outcome;
}

Driver::Outcome Driver::Answer(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "with"})) return Outcome::Fail(*unknown);
  const Json* with = request.contains("with") ? &request["with"] : nullptr;
  const std::string_view answer = with != nullptr && with->is_string() ? std::string_view(with->get_ref<const std::string&>()) : "";
  platform::MessageBoxRecorder& boxes = desktop_.boxes();
  platform::PrintDialogRecorder& dialogs = desktop_.print_dialogs();
  if (answer == "default") {
    box_answer_.reset();
    boxes.ClearAnswer();
    dialogs.ClearAnswer();
    return Outcome();
  }
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    if (answer == AnswerName(id)) {
      box_answer_ = id;
      boxes.SetAnswer(id);
      // A print dialog has only OK and Cancel.
      dialogs.SetAnswer(id == IDCANCEL || id == IDNO ? IDCANCEL : IDOK);
      return Outcome();
    }
  }
  return Outcome::Fail("\"with\" must be one of \"ok\", \"cancel\", \"yes\", \"no\", \"default\"");
}

Driver::Outcome Driver::Printer(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "name"})) return Outcome::Fail(*unknown);
  if (request.contains("name")) {
    const Json& name = request["name"];
    if (!name.is_string()) return Outcome::Fail("\"name\" must be a string");
    desktop_.print_dialogs().ChoosePrinter(name.get<std::string>());
  }
  platform::PrinterService& printers = desktop_.desktop().printers();
  Outcome outcome;
  outcome.result = {{"printers", printers.PrinterNames()}, {"default", printers.DefaultPrinter()}};
  return outcome;
}

namespace {

// The first enabled command item, at any depth, whose text or label (the
// text before a tab) is `text`.
const platform::MenuItem* FindEnabledByText(const platform::Menu& menu, std::string_view text) {
  for (const platform::MenuItem& item : menu.items()) {
    if (item.grayed || item.kind == platform::MenuItem::Kind::kSeparator) continue;
    if (item.kind == platform::MenuItem::Kind::kSubmenu) {
      if (!item.submenu) continue;
      if (const platform::MenuItem* found = FindEnabledByText(*item.submenu, text)) return found;
    } else if (!item.text.empty() && (item.text == text || item.Label() == text)) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

Json Driver::OpenMenu() {
  const std::optional<platform::Menu>& open = desktop_.menus().open();
  return open ? MenuToJson(*open) : Json();
}

Driver::Outcome Driver::Menu(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "choose", "close"})) return Outcome::Fail(*unknown);
  platform::HeldMenu& menus = desktop_.menus();
  if (request.contains("close")) {
    if (!request["close"].is_boolean()) return Outcome::Fail("\"close\" must be true or false");
    if (request["close"].get<bool>()) menus.Close();
  }
  if (request.contains("choose")) {
    const Json& choice = request["choose"];
    if (!menus.open()) return Outcome::Fail("no menu is open");
    UINT id = 0;
    if (choice.is_number_integer() && choice.get<std::int64_t>() > 0 && choice.get<std::int64_t>() <= 0xFFFF) {
      id = choice.get<UINT>();
    } else if (choice.is_string()) {
      const std::string text = platform::Utf8ToCp1252(choice.get_ref<const std::string&>());
      if (const platform::MenuItem* item = FindEnabledByText(*menus.open(), text)) id = item->id;
      if (id == 0) return Outcome::Fail("the menu has no enabled item " + Quoted(choice.get_ref<const std::string&>()));
    } else {
      return Outcome::Fail("\"choose\" must be a command id 1 to 65535 or an item's text");
    }
    if (!menus.Choose(id)) return Outcome::Fail("the menu has no enabled item with id " + std::to_string(id));
  }
  Outcome outcome;
  outcome.result = OpenMenu();
  return outcome;
}

Driver::Outcome Driver::Clipboard(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "set"})) return Outcome::Fail(*unknown);
  platform::InProcessClipboard& clipboard = desktop_.clipboard();
  if (request.contains("set")) {
    const Json& text = request["set"];
    if (text.is_null()) {
      clipboard.Clear();
    } else if (text.is_string()) {
      clipboard.SetText(platform::Utf8ToCp1252(text.get_ref<const std::string&>()));
    } else {
      return Outcome::Fail("\"set\" must be a text or null");
    }
  }
  Outcome outcome;
  const std::optional<std::string> text = clipboard.GetText();
  outcome.result = text ? Json(platform::Cp1252ToUtf8(*text)) : Json();
  return outcome;
}

Driver::Outcome Driver::Host(const Json& request) {
  if (auto unknown = UnknownKey(request, {"agent", "hold", "answer"})) return Outcome::Fail(*unknown);
  if (answerer_ == nullptr) return Outcome::Fail("no host answers entries: start the driver with --host");
  const Json* hold = request.contains("hold") ? &request["hold"] : nullptr;
  const Json* answer = request.contains("answer") ? &request["answer"] : nullptr;
  if (hold != nullptr && !hold->is_boolean()) return Outcome::Fail("\"hold\" must be true or false");
  if (answer != nullptr && (!answer->is_number_integer() || answer->get<std::int64_t>() < 0 ||
                            answer->get<std::int64_t>() > kMaxAnswersPerRequest)) {
    return Outcome::Fail("\"answer\" must be an integer 0 to " + std::to_string(kMaxAnswersPerRequest));
  }
  if (hold != nullptr) holding_ = hold->get<bool>();
  if (answer != nullptr) AnswerEntries(answer->get<int>());
  if (!holding_) AnswerEntries();
  Outcome outcome;
  outcome.result = {{"holding", holding_}, {"waiting", entries_.size()}};
  return outcome;
}

void Driver::AnswerEntries(int limit) {
  if (answerer_ == nullptr) return;
  platform::DispatchTable& table = control_.Automation();
  for (int answered = 0; !entries_.empty() && answered < limit; ++answered) {
    const std::string entry = std::move(entries_.front());
    entries_.pop_front();
    const std::string response = answerer_->Answer(session_, entry);
    host_.push_back({{"session", session_},
                     {"entry", platform::Cp1252ToUtf8(entry)},
                     {"response", platform::Cp1252ToUtf8(response)}});
    const std::size_t index = host_.size() - 1;
    const std::optional<platform::DISPID> id = table.IdOfName("DataSourceResponse");
    if (!id) {
      host_[index]["error"] = "the control has no DataSourceResponse";
      continue;
    }
    const std::vector<Variant> args{Variant::String(platform::Cp1252ToUtf16(response))};
    const platform::InvokeResult result = table.Invoke(*id, InvokeKind::kMethod, args);
    if (!result.ok()) host_[index]["error"] = FormatHresult(result.hresult);
  }
}

}  // namespace zv::script
