// The desk's clipboard: the text lives in the process, as the control's
// own clipboard, and what the control copies or cuts also goes to the
// terminal's clipboard. Text pasted into the terminal is kept without
// being sent back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "apps/zvemul/terminal.h"
#include "platform/services.h"

namespace zv::desk {

class TerminalClipboard final : public platform::Clipboard {
 public:
  explicit TerminalClipboard(Terminal& terminal) : terminal_(terminal) {}

  bool HasText() override { return text_.has_value(); }
  std::optional<std::string> GetText() override { return text_; }
  bool SetText(std::string_view text) override {
    text_ = std::string(text);
    terminal_.SetClipboard(text);
    return true;
  }
  // Text that came from the terminal.
  void Keep(std::string text) { text_ = std::move(text); }

 private:
  Terminal& terminal_;
  std::optional<std::string> text_;
};

}  // namespace zv::desk
