#include "platform/caret.h"

namespace zv::platform {

void Caret::Create(HWND owner, int width, int height) {
  owner_ = owner;
  size_ = {width, height};
  hide_count_ = 1;
}

bool Caret::Destroy() {
  if (owner_ == 0) return false;
  owner_ = 0;
  size_ = {};
  hide_count_ = 0;
  return true;
}

bool Caret::Show(HWND hwnd) {
  if (!Owns(hwnd) || hide_count_ == 0) return false;
  --hide_count_;
  return true;
}

bool Caret::Hide(HWND hwnd) {
  if (!Owns(hwnd)) return false;
  ++hide_count_;
  return true;
}

bool Caret::SetPosition(POINT position) {
  if (owner_ == 0) return false;
  position_ = position;
  return true;
}

}  // namespace zv::platform
