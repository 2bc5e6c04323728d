// A window whose default processing is a rich-edit control over a
// TextEngine: the edit and rich-edit messages, RTF through replace-selection
// and streams, the engine's own key and character processing, the view
// height from the client size, and a redraw request after every change.
//
// Choices where the desktop's control leaves room: ES_UPPERCASE is ignored
// (the res windows upper-case typed characters themselves); no EN_*
// notifications are sent to the parent (nothing in the control listens);
// WM_SYSKEYDOWN and WM_SYSCHAR get no editing.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_engine.h"
#include "platform/window.h"

namespace zv::platform {

class RichEditWindow : public Window {
 public:
  // Upper bound of a stream read in, so a container or file cannot make the
  // control allocate without limit.
  static constexpr std::size_t kMaxStreamIn = 64u << 20;

  RichEditWindow();

  // What the window shows, for containers drawing it and for tests.
  const TextEngine& engine() const { return engine_; }

  // Direct forms of the messages, for text that may hold any byte.
  void ReplaceSel(std::string_view text);
  std::string GetSelText() const { return engine_.SelectedText(); }
  std::string StreamOutRtf(bool selection_only) const;
  // Replaces the whole text (or the selection) by an RTF document; false
  // when the input is not RTF.
  bool StreamInRtf(std::string_view rtf, bool selection_only);

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  TextEngine& mutable_engine() { return engine_; }

 private:
  LRESULT StreamIn(WPARAM format, EDITSTREAM* stream);
  LRESULT StreamOut(WPARAM format, EDITSTREAM* stream);
  LRESULT GetCharFormat(WPARAM scope, LPARAM record) const;
  LRESULT SetCharFormat(WPARAM scope, LPARAM record);

  TextEngine engine_;
  bool auto_url_detect_ = false;
};

}  // namespace zv::platform
