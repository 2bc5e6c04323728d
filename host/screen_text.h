// The host's response format: two control characters (command, row), then
// rows of at most 64 characters separated by "|", 15 rows to a page, and a
// last row holding only the start-of-message mark, as a reservation host
// ends every answer: the caret stands after it, so the agent's next entry
// (or a function key's) is typed there and sent alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zv::host {

inline constexpr std::size_t kRowWidth = 64;
inline constexpr std::size_t kPageRows = 15;

// First control character: 0x11 clears the screen unless the row is 12; "*"
// marks a response the control does not display.
inline constexpr char kCommandClear = 0x11;
inline constexpr char kCommandNoDisplay = '*';
// Second control character: the row to write at; 12 adds one empty line
// below the entry instead of clearing.
inline constexpr char kRowTop = 0x02;
inline constexpr char kRowBelowEntry = 0x0C;
// What ends every answer: a line break and the start-of-message mark.
inline constexpr std::string_view kSomRow = "|>";

// A row cut to 64 characters, with "|" and control characters made blanks so
// that echoed input can never break the layout.
std::string FitRow(std::string_view text);

// A response that clears the screen and writes the rows from the top.
std::string ScreenResponse(const std::vector<std::string>& rows);

// A response written below the entry after one empty line; the screen is kept.
std::string AddedResponse(const std::vector<std::string>& rows);

// Text padded with blanks (or cut) to exactly `width` characters.
std::string Pad(std::string_view text, std::size_t width);

// A multi-page display: a heading row repeated on every page and body rows
// paged 14 at a time.
class Display {
 public:
  static constexpr std::size_t kBodyRows = kPageRows - 1;

  Display(std::string heading, std::vector<std::string> body);

  // The current page: the heading and up to 14 body rows.
  std::vector<std::string> Page() const;
  // Each answers false, leaving the page as it was, when there is no further page.
  bool Down();
  bool Up();
  void Top();
  void Bottom();

 private:
  std::string heading_;
  std::vector<std::string> body_;
  std::size_t first_ = 0;
};

}  // namespace zv::host
