// CHiddenRichEditCtrl: a hidden rich-edit window in which the highlighting
// engine formats one text and from which it reads the text back as RTF.
#pragma once

#include <memory>
#include <string>

#include "diagnostics/error_log.h"
#include "platform/rich_edit_window.h"

namespace zv {

class CHiddenRichEditCtrl {
 public:
  static constexpr DWORD kStyle = 0x40B100CC;  // child, border, scroll bars, multi-line; never visible
  static constexpr UINT kControlId = 2500;
  static constexpr LONG kLeft = 200;
  static constexpr LONG kRight = 800;

  // Creates the window as a child of `parent` between `top` and `bottom`.
  // When it cannot be created the object stays, acting on no window.
  CHiddenRichEditCtrl(platform::Window* parent, LONG top, LONG bottom);
  virtual ~CHiddenRichEditCtrl();
  CHiddenRichEditCtrl(const CHiddenRichEditCtrl&) = delete;
  CHiddenRichEditCtrl& operator=(const CHiddenRichEditCtrl&) = delete;

  // Each returns 0, or E_FAIL when something inside threw.
  // [start, end) gets the attributes of the format's mask; (0, -1) is all
  // text and what is written later.
  HRESULT SetFormat(LONG start, LONG end, const CHARFORMAT2A& format);
  HRESULT Clear();
  HRESULT Write(const std::string& text);
  // The whole content as an RTF document without its final paragraph mark.
  HRESULT GetFormattedText(std::string& out);

  // What the window holds, for the engine to find its lines.
  const platform::TextEngine& engine() const { return m_richEdit->engine(); }

 private:
  std::unique_ptr<platform::RichEditWindow> m_richEdit;
  CErrorLog m_errorLog;
};

}  // namespace zv
