#include "host/screen_text.h"

#include <algorithm>
#include <utility>

namespace zv::host {
namespace {

std::string Compose(char command, char row, const std::vector<std::string>& rows) {
  std::string out{command, row};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) out.push_back('|');
    out += FitRow(rows[i]);
  }
  out += kSomRow;
  return out;
}

}  // namespace

std::string FitRow(std::string_view text) {
  std::string row(text.substr(0, kRowWidth));
  for (char& c : row) {
    if (c == '|' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return row;
}

std::string ScreenResponse(const std::vector<std::string>& rows) { return Compose(kCommandClear, kRowTop, rows); }

std::string AddedResponse(const std::vector<std::string>& rows) { return Compose(kCommandClear, kRowBelowEntry, rows); }

std::string Pad(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

Display::Display(std::string heading, std::vector<std::string> body)
    : heading_(std::move(heading)), body_(std::move(body)) {}

std::vector<std::string> Display::Page() const {
  std::vector<std::string> rows{heading_};
  const std::size_t end = std::min(body_.size(), first_ + kBodyRows);
  rows.insert(rows.end(), body_.begin() + static_cast<std::ptrdiff_t>(first_),
              body_.begin() + static_cast<std::ptrdiff_t>(end));
  return rows;
}

bool Display::Down() {
  if (first_ + kBodyRows >= body_.size()) return false;
  first_ += kBodyRows;
  return true;
}

bool Display::Up() {
  if (first_ == 0) return false;
  first_ = first_ > kBodyRows ? first_ - kBodyRows : 0;
  return true;
}

void Display::Top() { first_ = 0; }

// The last page is a full one, so it may overlap the page before it.
void Display::Bottom() { first_ = body_.size() > kBodyRows ? body_.size() - kBodyRows : 0; }

}  // namespace zv::host
