#include "apps/zvemul/help_screen.h"

#include <algorithm>
#include <array>
#include <string>

#include "apps/zvemul/view_painter.h"

namespace zv::desk {
namespace {

// Windows-1252, as the grid takes it ("\xDF" is the sharp s).
constexpr std::array<std::string_view, 21> kHelp{
    "ZVEmul desk: the keys",
    "",
    "Enter            send the entry after the \">\"",
    "Esc              a fresh \">\" line; Esc twice drops the queued entries",
    "F12, F11         next, previous page (MD, MU); with Ctrl: last, first",
    "F7, Shift+F7     next, previous window",
    "F2, F3, F10      cancel itinerary (XI), next day (0A), end (E)",
    "F5               the entries sent before, one by one",
    "Alt+1 .. Alt+0   send the entry to window 1 .. 10",
    "Alt+Enter        a new line inside the entry",
    "Insert           insert or overtype",
    "Ctrl+P           print; the printer PDF writes ~/zvemul-prints/*.pdf",
    "\xDF                the mark of a local command (\xDF" "VER)",
    "Alt+Shift+letter the macro key Shift+letter",
    "Alt+Ctrl+letter  the macro key Ctrl+Shift+letter",
    "Mouse            a tab opens its window; [=] one or two frames",
    "",
    "Letters show as capitals: type them without Shift.",
    "Ctrl+]  this help                  Ctrl+\\ or Ctrl+C  leave the desk",
    "",
    "Any key closes this help.",
};

}  // namespace

std::span<const std::string_view> HelpLines() { return kHelp; }

void PaintHelp(CellGrid& grid) {
  std::size_t widest = 0;
  for (const std::string_view line : kHelp) widest = std::max(widest, line.size());
  const int width = std::min(static_cast<int>(widest) + 4, grid.columns());
  const int height = std::min(static_cast<int>(kHelp.size()) + 2, grid.rows());
  const int top = std::max(0, (grid.rows() - height) / 2);
  const int left = std::max(0, (grid.columns() - width) / 2);
  for (int r = 0; r < height; ++r) grid.Fill(top + r, left, width, kBarStyle);
  for (std::size_t i = 0; i < kHelp.size() && static_cast<int>(i) + 1 < height; ++i) {
    Style style = kBarStyle;
    if (i == 0) style.attributes |= kBold;
    grid.Put(top + 1 + static_cast<int>(i), left + 2, kHelp[i], style, width - 4);
  }
}

}  // namespace zv::desk
