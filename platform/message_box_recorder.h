// The headless message box: keeps every box shown, in order, and answers
// at once without showing anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace zv::platform {

class MessageBoxRecorder : public MessageBoxService {
 public:
  struct Box {
    std::string text;
    std::string caption;
    UINT type = MB_OK;
  };

  // The answer is the one set, or else the first button of the box's type:
  // IDOK for MB_OK and MB_OKCANCEL, IDYES for MB_YESNO and MB_YESNOCANCEL.
  int Show(std::string_view text, std::string_view caption, UINT type) override;

  void SetAnswer(int answer) { answer_ = answer; }
  void ClearAnswer() { answer_.reset(); }

  const std::vector<Box>& boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  std::vector<Box> boxes_;
  std::optional<int> answer_;
};

}  // namespace zv::platform
