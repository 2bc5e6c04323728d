// Local commands: entries that start with the mark 0xDF are answered by the
// res window itself and never go to the host.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "reswindow/res_rich.h"
#include "reswindow/res_window_host.h"

namespace zv {
namespace {

constexpr char kLocalCommandMark = '\xDF';
constexpr char kVersionText[] = "ZVEmul ActiveX Control Module\r\nversion: 1, 0, 1, 2";
constexpr char kFontCaption[] = "Current Emulator Font";
constexpr char kHelpText[] =
    "Commands:\r\n\t"
    "VER\tReturns version information.\r\n\t"
    "COLON [ON][OFF]\tModify or view colon translation status\r\n\t"
    "FONT [FontName]\tModify or view Emulator font"
    "FONTSIZE [FontSize]\tModify or view Emulator fontsize";
// The faces of FONT 1 to 9; any other non-zero number is the fallback.
constexpr std::string_view kNumberedFaces[] = {
    "ZELVANTA Default", "Courier New", "Comic Sans MS", "Times New Roman", "Arial",
    "Lucida ConAlt",    "Lucida Console", "MS LineDraw", "ZelvantaTest Right Slash",
};
constexpr std::string_view kFallbackFace = "Courier New";

// The decimal value at the start of `text` (blanks skipped, as atoi reads);
// 0 when there is none. Not range-checked beyond the int it becomes.
int NumberAfter(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

// The text after FONT names a face unless it is blank or a number: FONT 0,
// like FONT alone, shows the current face.
bool IsFaceName(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const char c = text[first];
  return !((c >= '0' && c <= '9') || c == '-' || c == '+');
}

}  // namespace

std::string CResRichEdit::GetFontName() const {
  CHARFORMAT2A format;
  engine().GetSelectionCharFormat(format);
  return std::string(format.szFaceName, strnlen(format.szFaceName, sizeof format.szFaceName));
}

BOOL CResRichEdit::LocalCommand(const std::string& entry) {
  return platform::CatchAll(FALSE, [&]() -> BOOL {
    if (entry.empty() || entry.front() != kLocalCommandMark) return FALSE;
    // The caret row keeps only its first character.
    const LONG caret = GetSel().cpMin;
    const LONG row_start = LineStartOf(caret);
    SetSel(row_start + 1, row_start + engine().LineLength(row_start));
    mutable_engine().DeleteSelection();

    const std::string words = entry.substr(1);
    const auto after = [&](std::string_view word) { return words.substr(words.find(word) + word.size()); };
    const auto has = [&](std::string_view word) { return words.find(word) != std::string::npos; };
    const auto box = [&](const std::string& text, const char* caption) {
      platform::MessageBox(handle(), text, caption, MB_OK);
    };
    // The first word found decides, in this order: FONT VERDANA is VER.
    if (has("VER")) {
      box(kVersionText, "");
    } else if (has("COLON ON")) {
      m_bColon = 1;
      box("STATUS: COLON ON", "");
    } else if (has("COLON OFF")) {
      m_bColon = 0;
      box("STATUS: COLON OFF", "");
    } else if (has("COLON")) {
      box(m_bColon ? "STATUS: COLON ON" : "STATUS: COLON OFF", "");
    } else if (has("FONTSIZE")) {
      const int size = NumberAfter(after("FONTSIZE"));
      if (size != 0) {
        m_pCtrl->SetFonts(GetFontName(), size);
      } else {
        box("Current Emulator Font size: " + std::to_string(GetFontSize()), kFontCaption);
      }
    } else if (has("FONT")) {
      const int size = GetFontSize();
      const std::string rest = after("FONT");
      const int number = NumberAfter(rest);
      if (number != 0) {
        const bool listed = number >= 1 && number <= static_cast<int>(std::size(kNumberedFaces));
        m_pCtrl->SetFonts(std::string(listed ? kNumberedFaces[number - 1] : kFallbackFace), size);
      } else if (IsFaceName(rest)) {
        // A face name as typed, a leading blank included.
        m_pCtrl->SetFonts(rest, size);
      } else {
        box(GetFontName(), kFontCaption);
      }
    } else if (has("HELP") || has("?")) {
      box(kHelpText, "");
    }
    platform::SetFocus(handle());
    return TRUE;
  });
}

}  // namespace zv
