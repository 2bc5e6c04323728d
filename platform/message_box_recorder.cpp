#include "platform/message_box_recorder.h"

namespace zv::platform {

int MessageBoxRecorder::Show(std::string_view text, std::string_view caption, UINT type) {
  boxes_.push_back({std::string(text), std::string(caption), type});
  if (answer_) return *answer_;
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    default:
      return IDOK;
  }
}

}  // namespace zv::platform
