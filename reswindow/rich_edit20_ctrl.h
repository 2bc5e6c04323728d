// The rich-edit wrapper the res windows derive from: a rich-edit window with
// the two operations its users call on it.
#pragma once

#include "platform/rich_edit_window.h"

namespace zv {

class CRichEdit20Ctrl : public platform::RichEditWindow {
 public:
  // EM_AUTOURLDETECT with the flag.
  virtual void SetAutoUrlDetect(BOOL enable);
  // Creates the window with no text; FALSE when it cannot be created.
  virtual BOOL Create(DWORD style, const RECT& rect, platform::Window* parent, UINT id);
};

}  // namespace zv
