// The scripting driver: a container that drives one control with JSON
// lines. Each request line gets one reply line with the result and the
// events fired and message boxes shown while it was handled. Requests:
//   {"call": NAME, "args": [...]}           method, found by name look-up
//   {"get": NAME, "args": [...]}            property get
//   {"put": NAME, "args": [...], "value": V}  property put
//   {"dispid": NAME}                        the id name look-up answers
//   {"agent": "type", "text": S}            keys typed into the focus window
//   {"agent": "key", "key": K, "mods": [...]}  one key press
//   {"agent": "click", "x": X, "y": Y, "button": "left" | "right"}  a click in the control
//   {"agent": "screen", "window": N}        a window's text (0: current)
//   {"agent": "view"}                       what a person sees, the open menu included
//   {"agent": "menu", "choose": C, "close": B}  the open popup menu (null: none); C an
//                                           item's id or text chooses it, B true closes it
//   {"agent": "clipboard", "set": T}        the clipboard's text (null: none); T puts text on it
//   {"agent": "tick", "ms": N}              the clock moves, timers run
//   {"agent": "answer", "with": A}          answer of the boxes and print dialogs that follow
//   {"agent": "printer", "name": NAME}      the printers; NAME is what the next print dialog returns
//   {"agent": "host", "hold": B, "answer": N}  a slow host: entries wait; N answered now
// An "id" member of a request is echoed in its reply.
#pragma once

#include <cstddef>
#include <deque>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "apps/zvemul-script/automation_json.h"
#include "apps/zvemul-script/entry_answerer.h"
#include "apps/zvemul-script/headless_desktop.h"
#include "control/zvemul_surface.h"

namespace zv::script {

// Creates the control by its ProgID through the process's object registry.
HRESULT CreateControl(platform::ComPtr<IZVEmulControl>* control);

class Driver final : private platform::EventSink {
 public:
  static constexpr std::size_t kMaxLineBytes = 1 << 20;
  // Host answers given per request; entries still waiting are answered
  // after the next request.
  static constexpr int kMaxAnswersPerRequest = 64;
  // Timer runs per tick request; after that the clock jumps to the end.
  static constexpr int kMaxTimerRuns = 100000;
  // A tick moves the clock by at most a day.
  static constexpr std::int64_t kMaxTickMs = 24 * 60 * 60 * 1000;
  static constexpr int kMaxNesting = 32;
  // Click coordinates: the largest client size a control can have.
  static constexpr std::int64_t kMaxCoordinate = 32767;

  Driver(IZVEmulControl& control, HeadlessDesktop& desktop);
  ~Driver() override;
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // Listens to the control's events, creates its window as a top-level
  // window of width x height and gives it the focus, as a container
  // activating the control does. False when the window could not be made.
  bool Start(int width, int height);
  // Events fired and boxes shown while starting: {"events", "messages"}.
  const Json& startup() const { return startup_; }

  // With an answerer, each entry handed out with DataSourceInput is answered
  // with DataSourceResponse once the call that fired the event has returned
  // (as a container's loop hands a host answer back), within the same
  // request. Without one, the script answers with DataSourceResponse itself.
  void SetAnswerer(EntryAnswerer* answerer, int session = 1);

  // One request line to one reply line (no line end). Never throws.
  std::string HandleLine(std::string_view line);
  Json Handle(const Json& request);
  // The reply to a line longer than kMaxLineBytes.
  std::string TooLongReply();

  // Answers every line until the end of input or a failed write, then
  // Finish(). Blank lines get no reply.
  void Run(std::istream& in, std::ostream& out);
  // Destroys the control's window (the control writes its settings then)
  // and stops listening. Idempotent.
  void Finish();

 private:
  struct Outcome {
    bool ok = true;
    Json result;
    std::optional<HRESULT> hresult;
    std::string description;
    static Outcome Fail(std::string description, std::optional<HRESULT> hresult = std::nullopt);
  };

  void OnEvent(const platform::EventInfo& event, std::span<const platform::Variant> args) override;

  Outcome Dispatch(const Json& request);
  Outcome Invoke(const Json& request, platform::InvokeKind kind, const char* key);
  Outcome DispatchId(const Json& request);
  Outcome Agent(const Json& request);
  Outcome Type(const Json& request);
  Outcome Key(const Json& request);
  Outcome Click(const Json& request);
  Outcome Screen(const Json& request);
  Outcome Tick(const Json& request);
  Outcome Answer(const Json& request);
  Outcome Printer(const Json& request);
  Outcome Host(const Json& request);
  Outcome Menu(const Json& request);
  Outcome Clipboard(const Json& request);
  // The open menu as JSON; null when none is open.
  Json OpenMenu();
  // Answers up to `limit` waiting entries, oldest first.
  void AnswerEntries(int limit = kMaxAnswersPerRequest);
  // Takes the events, boxes and host exchanges gathered since the last call.
  Json TakeMessages();
  Json TakeDialogs();
  Json MakeReply(const Json& request, Outcome outcome);

  IZVEmulControl& control_;
  HeadlessDesktop& desktop_;
  bool listening_ = false;
  bool window_alive_ = false;
  Json startup_;
  Json events_ = Json::array();
  Json host_ = Json::array();
  EntryAnswerer* answerer_ = nullptr;
  int session_ = 1;
  bool holding_ = false;  // entries wait until the script releases them
  std::deque<std::string> entries_;  // Windows-1252, waiting for an answer
  std::optional<int> box_answer_;    // none: each box's first button
};

}  // namespace zv::script
