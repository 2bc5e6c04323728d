// The desktop services a widget gives its control, on Qt: message boxes as
// QMessageBox, popup menus as QMenu, the system clipboard, and Qt's print
// and print-setup dialogs (the pages themselves go to the platform's
// printers).
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/menus.h"
#include "platform/printing.h"
#include "platform/services.h"

namespace zv::widget {

// Counts the dialogs open, so that the widget keeps timers and calls away
// from the control while one of them runs its own event loop.
class ModalCount {
 public:
  class Scope {
   public:
    explicit Scope(ModalCount& count) : count_(count) { ++count_.open_; }
    ~Scope() { --count_.open_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    ModalCount& count_;
  };
  bool any() const { return open_ > 0; }

 private:
  int open_ = 0;
};

class QtMessageBoxes final : public platform::MessageBoxService {
 public:
  QtMessageBoxes(QWidget* owner, ModalCount& modal) : owner_(owner), modal_(modal) {}
  int Show(std::string_view text, std::string_view caption, UINT type) override;

 private:
  QPointer<QWidget> owner_;
  ModalCount& modal_;
};

// A popup menu shown modally at the point asked for (the owner widget's
// coordinates, which are the control's): commands with their key names,
// separators, submenus and the picture items (the macro menus' scroll
// arrows). Answers the command chosen, or 0.
class QtMenus final : public platform::MenuService {
 public:
  QtMenus(QWidget* owner, ModalCount& modal) : owner_(owner), modal_(modal) {}
  UINT Track(const platform::Menu& menu, UINT flags, POINT at, HWND owner) override;

 private:
  QPointer<QWidget> owner_;
  ModalCount& modal_;
};

// The system clipboard's text, in the control's Windows-1252; characters
// that code page lacks become "?".
class QtClipboard final : public platform::Clipboard {
 public:
  bool HasText() override;
  std::optional<std::string> GetText() override;
  bool SetText(std::string_view text) override;
};

// QPrintDialog for both dialogs. The platform's printers are the CUPS
// destinations Qt lists as well and "PDF", which is Qt's "print to file":
// that choice answers "PDF", whose files go where the PDF printer keeps them.
class QtPrintDialogs final : public platform::PrintDialogService {
 public:
  QtPrintDialogs(QWidget* owner, ModalCount& modal) : owner_(owner), modal_(modal) {}
  int Show(HWND owner, platform::PrintDialogData& data) override;

 private:
  QPointer<QWidget> owner_;
  ModalCount& modal_;
};

}  // namespace zv::widget
