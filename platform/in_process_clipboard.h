// A clipboard that lives in this process only.
#pragma once

#include <optional>
#include <string>

#include "platform/services.h"

namespace zv::platform {

class InProcessClipboard : public Clipboard {
 public:
  bool HasText() override { return text_.has_value(); }
  std::optional<std::string> GetText() override { return text_; }
  bool SetText(std::string_view text) override;
  void Clear() { text_.reset(); }

 private:
  std::optional<std::string> text_;
};

}  // namespace zv::platform
