#include "apps/zvemul/message_dialog.h"

#include <algorithm>

#include "apps/zvemul/view_painter.h"

namespace zv::desk {
namespace {

constexpr int kMaxTextWidth = 60;
constexpr std::size_t kTabWidth = 8;

// Breaks a paragraph into lines of at most `width`, at blanks where it can.
void Wrap(std::string_view paragraph, int width, std::vector<std::string>& lines) {
  const auto w = static_cast<std::size_t>(std::max(width, 1));
  do {
    if (paragraph.size() <= w) {
      lines.emplace_back(paragraph);
      return;
    }
    std::size_t cut = paragraph.rfind(' ', w);
    const bool at_blank = cut != std::string_view::npos && cut > 0;
    if (!at_blank) cut = w;
    lines.emplace_back(paragraph.substr(0, cut));
    paragraph.remove_prefix(at_blank ? cut + 1 : cut);
  } while (!paragraph.empty());
}

}  // namespace

std::string ButtonLabel(int answer) {
  switch (answer) {
    case IDCANCEL:
      return "Cancel";
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
    default:
      return "OK";
  }
}

void PaintDialogBox(CellGrid& grid, int top, int left, int width, int height, std::string_view caption) {
  const Style box = kBarStyle;
  grid.Box(top, left, height, width, box);
  if (!caption.empty()) {
    Style title = box;
    title.attributes |= kBold;
    grid.Put(top, left + 2, " " + std::string(caption) + " ", title, width - 4);
  }
}

MessageDialog::MessageDialog(std::string text, std::string caption, UINT type)
    : text_(std::move(text)), caption_(std::move(caption)) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      buttons_ = {IDOK, IDCANCEL};
      break;
    case MB_YESNOCANCEL:
      buttons_ = {IDYES, IDNO, IDCANCEL};
      break;
    case MB_YESNO:
      buttons_ = {IDYES, IDNO};
      break;
    default:
      buttons_ = {IDOK};
      break;
  }
}

int MessageDialog::DismissAnswer() const {
  if (std::find(buttons_.begin(), buttons_.end(), IDCANCEL) != buttons_.end()) return IDCANCEL;
  if (std::find(buttons_.begin(), buttons_.end(), IDNO) != buttons_.end()) return IDNO;
  return IDOK;
}

std::optional<int> MessageDialog::Handle(const DeskAction& action) {
  const int count = static_cast<int>(buttons_.size());
  if (action.kind == DeskAction::Kind::kType && action.text == " ") return buttons_[static_cast<std::size_t>(focused_)];
  if (action.kind != DeskAction::Kind::kPress) return std::nullopt;
  switch (action.vk) {
    case VK_LEFT:
    case VK_UP:
      focused_ = (focused_ + count - 1) % count;
      return std::nullopt;
    case VK_RIGHT:
    case VK_DOWN:
      focused_ = (focused_ + 1) % count;
      return std::nullopt;
    case VK_TAB:
      focused_ = (focused_ + (action.modifiers.shift ? count - 1 : 1)) % count;
      return std::nullopt;
    case VK_RETURN:
      return buttons_[static_cast<std::size_t>(focused_)];
    case VK_ESCAPE:
      if (buttons_.size() == 1 || DismissAnswer() == IDCANCEL) return DismissAnswer();
      return std::nullopt;
    default:
      break;
  }
  for (const int answer : buttons_) {
    if (action.vk == static_cast<UINT>(ButtonLabel(answer)[0])) return answer;
  }
  return std::nullopt;
}

std::vector<std::string> MessageDialog::Lines(int width) const {
  std::vector<std::string> lines;
  std::string_view rest = text_;
  while (true) {
    const std::size_t end = rest.find('\n');
    std::string_view paragraph = rest.substr(0, end);
    while (!paragraph.empty() && (paragraph.back() == '\r' || paragraph.back() == ' ')) paragraph.remove_suffix(1);
    // Tabs line up at every eighth column, as in a desktop's message box.
    std::string expanded;
    for (const char c : paragraph) {
      if (c == '\t') {
        expanded.append(kTabWidth - expanded.size() % kTabWidth, ' ');
      } else {
        expanded += c;
      }
    }
    Wrap(expanded, width, lines);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return lines;
}

void MessageDialog::Paint(CellGrid& grid) {
  zones_.clear();
  int buttons_width = 0;
  for (const int answer : buttons_) buttons_width += static_cast<int>(ButtonLabel(answer).size()) + 5;
  const int max_inner = std::min(kMaxTextWidth, grid.columns() - 8);
  int inner = 0;
  for (const std::string& line : Lines(max_inner)) inner = std::max(inner, static_cast<int>(line.size()));
  inner = std::clamp(std::max({inner, buttons_width, static_cast<int>(caption_.size()) + 2}), 16, max_inner);
  const std::vector<std::string> lines = Lines(inner);
  const int width = inner + 4;
  const int height = std::min(static_cast<int>(lines.size()) + 5, grid.rows());
  const int top = std::max(0, (grid.rows() - height) / 2);
  const int left = std::max(0, (grid.columns() - width) / 2);

  const Style box = kBarStyle;
  PaintDialogBox(grid, top, left, width, height, caption_);
  for (std::size_t i = 0; i < lines.size() && top + 2 + static_cast<int>(i) < top + height - 3; ++i) {
    grid.Put(top + 2 + static_cast<int>(i), left + 2, lines[i], box, inner);
  }

  const int button_row = top + height - 2;
  int column = left + (width - buttons_width) / 2;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const std::string label = "[ " + ButtonLabel(buttons_[i]) + " ]";
    const Style style = static_cast<int>(i) == focused_ ? kSelectedTabStyle : box;
    grid.Put(button_row, column, label, style);
    zones_.push_back(ButtonZone{button_row, column, column + static_cast<int>(label.size()), buttons_[i]});
    column += static_cast<int>(label.size()) + 1;
  }
}

std::optional<int> MessageDialog::Click(int row, int column) const {
  for (const ButtonZone& zone : zones_) {
    if (row == zone.row && column >= zone.first_column && column < zone.end_column) return zone.answer;
  }
  return std::nullopt;
}

}  // namespace zv::desk
