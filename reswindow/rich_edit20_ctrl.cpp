#include "reswindow/rich_edit20_ctrl.h"

namespace zv {

void CRichEdit20Ctrl::SetAutoUrlDetect(BOOL enable) { SendMessage(EM_AUTOURLDETECT, enable ? TRUE : FALSE, 0); }

BOOL CRichEdit20Ctrl::Create(DWORD style, const RECT& rect, platform::Window* parent, UINT id) {
  return Window::Create(style, rect, parent, id) ? TRUE : FALSE;
}

}  // namespace zv
