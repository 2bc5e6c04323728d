// The one caret of a desktop: a solid block owned by one window, shown only
// while its hide count is zero. Hiding is cumulative, as on the desktop API:
// a new caret starts hidden once, every Hide needs a Show to undo it, and a
// Show beyond that fails.
#pragma once

#include "platform/win_types.h"

namespace zv::platform {

class Caret {
 public:
  // Replaces any caret by a hidden one of the given size.
  void Create(HWND owner, int width, int height);
  // False when there is no caret.
  bool Destroy();
  // hwnd 0 means the owner; false when hwnd does not own the caret or, for
  // Show, when the caret is not hidden.
  bool Show(HWND hwnd);
  bool Hide(HWND hwnd);
  // False when there is no caret.
  bool SetPosition(POINT position);

  HWND owner() const { return owner_; }
  POINT position() const { return position_; }
  SIZE size() const { return size_; }
  int hide_count() const { return hide_count_; }
  bool visible() const { return owner_ != 0 && hide_count_ == 0; }

 private:
  bool Owns(HWND hwnd) const { return owner_ != 0 && (hwnd == 0 || hwnd == owner_); }

  HWND owner_ = 0;
  POINT position_;
  SIZE size_;
  int hide_count_ = 0;
};

}  // namespace zv::platform
