#include "apps/zvemul/print_dialog.h"

#include <algorithm>

#include "apps/zvemul/message_dialog.h"
#include "apps/zvemul/modal_loop.h"
#include "apps/zvemul/view_painter.h"
#include "platform/desktop.h"

namespace zv::desk {
namespace {

constexpr int kInnerWidth = 44;
constexpr int kMaxPrinterRows = 8;

}  // namespace

PrintDialog::PrintDialog(platform::PrintDialogData data, std::vector<std::string> printers)
    : data_(std::move(data)), printers_(std::move(printers)) {
  auto it = std::find(printers_.begin(), printers_.end(), data_.settings.printer);
  if (it == printers_.end() && !data_.settings.printer.empty()) it = printers_.insert(printers_.end(), data_.settings.printer);
  chosen_ = it == printers_.end() ? 0 : static_cast<int>(it - printers_.begin());
  if (!printers_.empty()) data_.settings.printer = printers_[static_cast<std::size_t>(chosen_)];
  data_.settings.copies = std::clamp<WORD>(data_.settings.copies, 1, kMaxCopies);
}

bool PrintDialog::offers_selection() const {
  return (data_.flags & (PD_PRINTSETUP | PD_NOSELECTION)) == 0;
}

void PrintDialog::ChoosePrinter(int index) {
  if (printers_.empty()) return;
  chosen_ = std::clamp(index, 0, static_cast<int>(printers_.size()) - 1);
  data_.settings.printer = printers_[static_cast<std::size_t>(chosen_)];
}

std::optional<int> PrintDialog::Handle(const DeskAction& action) {
  if (action.kind == DeskAction::Kind::kType) {
    const char c = action.text.empty() ? '\0' : action.text[0];
    if (c == '+' && data_.settings.copies < kMaxCopies) ++data_.settings.copies;
    if (c == '-' && data_.settings.copies > 1) --data_.settings.copies;
    return std::nullopt;
  }
  if (action.kind != DeskAction::Kind::kPress) return std::nullopt;
  switch (action.vk) {
    case VK_UP:
      ChoosePrinter(chosen_ - 1);
      break;
    case VK_DOWN:
      ChoosePrinter(chosen_ + 1);
      break;
    case 'A':
      if (offers_selection()) data_.flags &= ~PD_SELECTION;
      break;
    case 'S':
      if (offers_selection()) data_.flags |= PD_SELECTION;
      break;
    case VK_RETURN:
      return IDOK;
    case VK_ESCAPE:
      return IDCANCEL;
    default:
      break;
  }
  return std::nullopt;
}

int PrintDialog::ShownPrinters() const { return std::min(static_cast<int>(printers_.size()), kMaxPrinterRows); }

int PrintDialog::FirstShown() const {
  // The chosen printer stays in view.
  const int shown = ShownPrinters();
  return std::clamp(chosen_ - shown + 1, 0, std::max(0, static_cast<int>(printers_.size()) - shown));
}

std::vector<std::string> PrintDialog::Lines() const {
  std::vector<std::string> lines{"Printer:"};
  const int first = FirstShown();
  for (int i = first; i < first + ShownPrinters(); ++i) {
    lines.push_back((i == chosen_ ? " > " : "   ") + printers_[static_cast<std::size_t>(i)]);
  }
  lines.emplace_back();
  if (offers_selection()) {
    const bool selection = (data_.flags & PD_SELECTION) != 0;
    lines.push_back(std::string("Print:  (") + (selection ? ' ' : '*') + ") All  (" + (selection ? '*' : ' ') +
                    ") Selection    A, S");
  }
  lines.push_back("Copies: " + std::to_string(data_.settings.copies) + "    + and -");
  return lines;
}

void PrintDialog::Paint(CellGrid& grid) {
  zones_.clear();
  const std::vector<std::string> lines = Lines();
  const int inner = std::min(kInnerWidth, grid.columns() - 4);
  const int width = inner + 4;
  const int height = std::min(static_cast<int>(lines.size()) + 5, grid.rows());
  const int top = std::max(0, (grid.rows() - height) / 2);
  const int left = std::max(0, (grid.columns() - width) / 2);
  const bool setup = (data_.flags & PD_PRINTSETUP) != 0;
  PaintDialogBox(grid, top, left, width, height, setup ? "Print Setup" : "Print");

  const int shown = ShownPrinters();
  const int first = FirstShown();
  for (std::size_t i = 0; i < lines.size() && static_cast<int>(i) + 2 < height - 2; ++i) {
    const int row = top + 2 + static_cast<int>(i);
    const bool printer_row = i >= 1 && static_cast<int>(i) <= shown;
    const bool chosen = printer_row && first + static_cast<int>(i) - 1 == chosen_;
    grid.Put(row, left + 2, lines[i], chosen ? kSelectedTabStyle : kBarStyle, inner);
    if (printer_row) zones_.push_back(Zone{row, left + 2, left + 2 + inner, first + static_cast<int>(i) - 1, 0});
  }
  const int button_row = top + height - 2;
  int column = left + (width - 17) / 2;
  for (const int answer : {IDOK, IDCANCEL}) {
    const std::string label = "[ " + ButtonLabel(answer) + " ]";
    grid.Put(button_row, column, label, kBarStyle);
    zones_.push_back(Zone{button_row, column, column + static_cast<int>(label.size()), -1, answer});
    column += static_cast<int>(label.size()) + 1;
  }
}

std::optional<int> PrintDialog::Click(int row, int column) {
  for (const Zone& zone : zones_) {
    if (row != zone.row || column < zone.first_column || column >= zone.end_column) continue;
    if (zone.printer < 0) return zone.answer;
    ChoosePrinter(zone.printer);
  }
  return std::nullopt;
}

int CursesPrintDialogs::Show(HWND /*owner*/, platform::PrintDialogData& data) {
  PrintDialog dialog(data, platform::CurrentDesktop().printers().PrinterNames());
  const int answer = RunModal(terminal_, dialog, quit_requested_);
  if (answer == IDOK) data = dialog.data();
  return answer;
}

}  // namespace zv::desk
