// A window that records every message it gets, for the platform tests.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/window.h"

namespace zv::platform::testing {

struct Message {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  friend bool operator==(const Message&, const Message&) = default;
};

class RecordingWindow : public Window {
 public:
  // Messages also go to `shared_log` when given, to see the order across windows.
  explicit RecordingWindow(std::vector<Message>* shared_log = nullptr) : shared_log_(shared_log) {}
  ~RecordingWindow() override { Destroy(); }

  // Answers a message instead of default processing when it returns a value.
  std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> handler;
  // Answers PreTranslateMessage when set.
  std::function<bool(const MSG&)> pre_translate;
  std::vector<Message> messages;

  std::vector<UINT> MessageIds() const {
    std::vector<UINT> ids;
    for (const Message& m : messages) ids.push_back(m.message);
    return ids;
  }

  bool PreTranslateMessage(const MSG& msg) override { return pre_translate && pre_translate(msg); }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    const Message record{handle(), message, wparam, lparam};
    messages.push_back(record);
    if (shared_log_ != nullptr) shared_log_->push_back(record);
    if (handler) {
      if (std::optional<LRESULT> answer = handler(message, wparam, lparam)) return *answer;
    }
    return Window::WindowProc(message, wparam, lparam);
  }

 private:
  std::vector<Message>* shared_log_;
};

}  // namespace zv::platform::testing
