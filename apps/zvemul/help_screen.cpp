#include "apps/zvemul/help_screen.h"

#include <algorithm>
#include <array>
#include <string>

#include "apps/zvemul/view_painter.h"

namespace zv::desk {
namespace {

constexpr std::string_view kTitle = " ZVEmul desk: the keys ";
// The keys that work in the desk, and only those; each line fits an 80 x 24
// terminal with the box around it.
constexpr std::array<std::string_view, 20> kHelp{
    "Enter             send the entry after the \">\"",
    "Esc               a fresh \">\" line; twice: drop the entries waiting",
    "F12, F11          next, previous page (MD, MU); with Ctrl: last, first",
    "F2, F3, F10       cancel itinerary (XI), next day (0A), end (E)",
    "F5, F6            the entries sent before, one by one; today's date",
    "F7, Shift+F7      next, previous window",
    "F8, F9            the other frame; clear the screen",
    "PageUp, PageDown  back through the screen, and forward again",
    "Alt+1 .. Alt+0    send the entry to window 1 .. 10",
    "Alt+Enter         a new line inside the entry",
    "Insert            insert or overtype",
    "\xDF                 the mark of a local command: \xDF" "VER, \xDF" "HELP",
    "Shift+arrows      select (or drag with the mouse)",
    "Ctrl+C, X, V      copy, cut, paste; the terminal's clipboard too",
    "Shift+F10         the menu: cut, copy, paste, macros (or a right click)",
    "Ctrl+P            print; the printer PDF writes ~/zvemul-prints/*.pdf",
    "Mouse             a tab opens its window, [=] one or two frames,",
    "                  a click in a screen puts the caret there",
    "Ctrl+\\, Ctrl+Q    leave the desk (asks while entries are with the host)",
    "Letters show as capitals: type them without Shift. Any key closes this.",
};

}  // namespace

std::span<const std::string_view> HelpLines() { return kHelp; }

void PaintHelp(CellGrid& grid) {
  std::size_t widest = kTitle.size();
  for (const std::string_view line : kHelp) widest = std::max(widest, line.size());
  const int width = std::min(static_cast<int>(widest) + 4, grid.columns());
  const int height = std::min(static_cast<int>(kHelp.size()) + 4, grid.rows());
  const int top = std::max(0, (grid.rows() - height) / 2);
  const int left = std::max(0, (grid.columns() - width) / 2);
  grid.Box(top, left, height, width, kBarStyle);
  Style title = kBarStyle;
  title.attributes |= kBold;
  grid.Put(top, left + 2, kTitle, title, width - 4);
  for (std::size_t i = 0; i < kHelp.size() && static_cast<int>(i) + 3 < height; ++i) {
    grid.Put(top + 2 + static_cast<int>(i), left + 2, kHelp[i], kBarStyle, width - 4);
  }
}

}  // namespace zv::desk
