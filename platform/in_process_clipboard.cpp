#include "platform/in_process_clipboard.h"

namespace zv::platform {

bool InProcessClipboard::SetText(std::string_view text) {
  text_ = std::string(text);
  return true;
}

}  // namespace zv::platform
