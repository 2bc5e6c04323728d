// Fonts and colours of the res windows.
#include <algorithm>
#include <cstring>

#include "control/settings_record.h"
#include "control/zvemul_ctl.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"

namespace zv {
namespace {

using platform::CatchAll;

constexpr char kFallbackFace[] = "Courier New";

}  // namespace

void CZVEmulCtrl::SetFonts(const std::string& name, int size) {
  CatchAll([&] {
    m_fontName = name;
    platform::FontCatalog& fonts = platform::CurrentDesktop().fonts();
    std::optional<platform::FontFace> found = fonts.Find(m_fontName);
    if (!found) {
      m_fontName = kFallbackFace;
      found = fonts.Find(m_fontName);
      if (!found) {
        ShowMessage(
            "No fonts are available for the res windows.\nPlease contact the ZELVANTA Technical Support Center.");
      }
    }
    if (found) {
      m_logFont = LOGFONT{};
      const std::size_t length = std::min(found->face.size(), LF_FACESIZE - 1);
      std::memcpy(m_logFont.lfFaceName, found->face.data(), length);
      m_logFont.lfCharSet = found->charset;
      m_logFont.lfPitchAndFamily = found->pitch_and_family;
    }
    for (auto& window : m_resWindows) {
      // Windows not created yet take the font when they are.
      if (window->handle() == 0) continue;
      CHARFORMATA format;
      format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD;
      format.dwEffects = 0;
      format.yHeight = size * 20;
      format.bCharSet = m_logFont.lfCharSet;
      format.bPitchAndFamily = m_logFont.lfPitchAndFamily;
      std::memcpy(format.szFaceName, m_logFont.lfFaceName, sizeof format.szFaceName);
      m_fontSize = static_cast<WORD>(size);
      const auto apply = [&] {
        return window->SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)) != 0;
      };
      if (!apply()) ShowMessage("Set Default Font failed");
      window->SetSel(0, -1);
      if (!apply()) ShowMessage("Set Font failed");
      window->SetCaretToEnd();
      window->SendMessage(WM_SETREDRAW, TRUE, 0);
      platform::ShowCaret(window->handle());
      window->Invalidate();
      if (m_highlightingOn) {
        CHARFORMAT2A current;
        window->SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&current));
        m_brimlux.SetDefaultRTF(true, current);
        m_brimlux.SetDefaultRTF(false, current);
      }
    }
    m_fontSize = static_cast<WORD>(size);
  });
}

void CZVEmulCtrl::SetDefaultFont(const std::string& name) {
  CatchAll([&] {
    SetFonts(name, m_fontSize);
    SetModifiedFlag();
  });
}

void CZVEmulCtrl::SetDefaultFontSize(short size) {
  CatchAll([&] {
    SetFonts(m_fontName, size);
    SetModifiedFlag();
  });
}

platform::OLE_COLOR CZVEmulCtrl::GetColor(short window, short attribute) const {
  if (window < 1 || window > kWindowCount || attribute < 1 || attribute > kColorAttributes) return 0;
  return m_colors[static_cast<std::size_t>(window - 1)].attribute[static_cast<std::size_t>(attribute - 1)];
}

void CZVEmulCtrl::SetColor(short window, short attribute, platform::OLE_COLOR color) {
  if (attribute == 1 && color == platform::GetSysColor(COLOR_HIGHLIGHT)) color = AwayFromSelectionColor(color);
  if (!m_ready) return;
  if (window < 1 || window > kWindowCount || attribute < 1 || attribute > kColorAttributes) {
    throw platform::AutomationError{CTL_E_INVALIDPROPERTYVALUE, "Parameter out of range."};
  }
  CatchAll([&] {
    m_colors[static_cast<std::size_t>(window - 1)].attribute[static_cast<std::size_t>(attribute - 1)] = color;
    SetModifiedFlag();
    CResRichEdit& target = *m_resWindows[static_cast<std::size_t>(window - 1)];
    switch (attribute) {
      case 1:
        target.SetBackColor(FALSE, color);
        break;
      case 2:
        target.SetInputColor(color);
        break;
      case 3:
        target.SetResponseColor(color);
        break;
      default:
        break;  // attribute 4 is kept and saved only
    }
  });
}

}  // namespace zv
