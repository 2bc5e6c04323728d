#include "apps/zvemul-widget/qt_services.h"

#include <QAbstractPrintDialog>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "platform/code_page.h"
#include "platform/system_printers.h"

namespace zv::widget {
namespace {

QString FromCp1252(std::string_view text) { return QString::fromStdU16String(platform::Cp1252ToUtf16(text)); }

QWidget* DialogParent(const QPointer<QWidget>& owner) { return owner ? owner->window() : nullptr; }

QMessageBox::Icon IconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QPixmap Picture(const platform::Icon& icon) {
  QPixmap pixmap(std::max(1, icon.width), std::max(1, icon.height));
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  for (int y = 0; y < icon.height && y < static_cast<int>(icon.rows.size()); ++y) {
    const std::string& row = icon.rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < icon.width && x < static_cast<int>(row.size()); ++x) {
      if (row[static_cast<std::size_t>(x)] == '#') painter.fillRect(x, y, 1, 1, Qt::black);
    }
  }
  return pixmap;
}

void Fill(QMenu& shown, const platform::Menu& menu) {
  for (const platform::MenuItem& item : menu.items()) {
    // "&" would be taken for a mnemonic; the tab puts the key name at the right.
    const QString text = FromCp1252(item.text).replace(QLatin1Char('&'), QLatin1String("&&"));
    switch (item.kind) {
      case platform::MenuItem::Kind::kSeparator:
        shown.addSeparator();
        break;
      case platform::MenuItem::Kind::kSubmenu: {
        QMenu* submenu = shown.addMenu(text);
        submenu->setEnabled(!item.grayed);
        if (item.submenu) Fill(*submenu, *item.submenu);
        break;
      }
      case platform::MenuItem::Kind::kBitmap: {
        QAction* action = shown.addAction(QIcon(Picture(item.picture)), QString());
        action->setData(item.id);
        action->setEnabled(!item.grayed);
        break;
      }
      case platform::MenuItem::Kind::kCommand: {
        QAction* action = shown.addAction(text);
        action->setData(item.id);
        action->setEnabled(!item.grayed);
        break;
      }
    }
  }
}

}  // namespace

UINT QtMenus::Track(const platform::Menu& menu, UINT /*flags*/, POINT at, HWND /*owner*/) {
  QMenu shown(owner_);
  Fill(shown, menu);
  const QPoint where = owner_ ? owner_->mapToGlobal(QPoint(at.x, at.y)) : QPoint(at.x, at.y);
  const ModalCount::Scope modal(modal_);
  const QAction* chosen = shown.exec(where);
  return chosen != nullptr ? chosen->data().toUInt() : 0;
}

int QtMessageBoxes::Show(std::string_view text, std::string_view caption, UINT type) {
  QMessageBox box(IconOf(type), FromCp1252(caption), FromCp1252(text), QMessageBox::NoButton, DialogParent(owner_));
  struct Choice {
    QMessageBox::StandardButton button;
    int answer;
  };
  std::vector<Choice> choices;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNOCANCEL:
      choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO:
      choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
      break;
    default:
      choices = {{QMessageBox::Ok, IDOK}};
      break;
  }
  for (const Choice& choice : choices) box.addButton(choice.button);
  box.setDefaultButton(choices.front().button);
  // Escape answers as the desktop's box does: Cancel where there is one, else
  // the last button (No, or the lone OK).
  box.setEscapeButton(choices.back().button);
  const ModalCount::Scope modal(modal_);
  box.exec();
  const auto clicked = box.standardButton(box.clickedButton());
  for (const Choice& choice : choices) {
    if (choice.button == clicked) return choice.answer;
  }
  return choices.back().answer;
}

bool QtClipboard::HasText() { return !QGuiApplication::clipboard()->text().isEmpty(); }

std::optional<std::string> QtClipboard::GetText() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return std::nullopt;
  return platform::Utf16ToCp1252(text.toStdU16String());
}

bool QtClipboard::SetText(std::string_view text) {
  QGuiApplication::clipboard()->setText(FromCp1252(text));
  return true;
}

int QtPrintDialogs::Show(HWND /*owner*/, platform::PrintDialogData& data) {
  QPrinter printer(QPrinter::HighResolution);
  const bool pdf = data.settings.printer.empty() || data.settings.printer == platform::SystemPrinters::kPdfPrinter;
  if (pdf) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    // Shown for the agent's information: the PDF printer names its files.
    printer.setOutputFileName(QString::fromStdString(platform::SystemPrinters::PdfFolder().string()));
  } else {
    printer.setPrinterName(QString::fromStdString(data.settings.printer));
  }
  printer.setCopyCount(std::max<int>(1, data.settings.copies));

  QPrintDialog dialog(&printer, DialogParent(owner_));
  const bool setup = (data.flags & PD_PRINTSETUP) != 0;
  QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile;
  if (setup) {
    dialog.setWindowTitle(QObject::tr("Print Setup"));
  } else if ((data.flags & PD_NOSELECTION) == 0) {
    options |= QAbstractPrintDialog::PrintSelection;
    if ((data.flags & PD_SELECTION) != 0) printer.setPrintRange(QPrinter::Selection);
  }
  dialog.setOptions(options);

  const ModalCount::Scope modal(modal_);
  if (dialog.exec() != QDialog::Accepted) return IDCANCEL;
  data.settings.printer = printer.outputFormat() == QPrinter::PdfFormat ? platform::SystemPrinters::kPdfPrinter
                                                                        : printer.printerName().toStdString();
  data.settings.copies = static_cast<WORD>(std::clamp(printer.copyCount(), 1, 9999));
  if (!setup && printer.printRange() == QPrinter::Selection) {
    data.flags |= PD_SELECTION;
  } else {
    data.flags &= ~PD_SELECTION;
  }
  return IDOK;
}

}  // namespace zv::widget
