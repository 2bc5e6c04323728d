#include "apps/zvemul-desk/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>

#include "platform/win_types.h"

namespace zv::qtdesk {
namespace {

// The keys the help shows, as the agent uses them.
constexpr const char* kKeys[][2] = {
    {"Enter", "sends the entry after the last &gt;"},
    {"Esc", "a fresh &gt; line; twice: drops the entries waiting for the host"},
    {"F12, F11", "next and previous page (MD, MU); with Ctrl the last and first"},
    {"F2, F3, F10", "cancel the itinerary (XI), the next day (0A), end the transaction (E)"},
    {"F5, F6", "the entries sent before; today's date"},
    {"F7, Shift+F7", "the next and the previous window"},
    {"F8, F9", "the other frame; clear the screen"},
    {"Alt+1 ... Alt+0", "sends the entry to window 1 ... 10"},
    {"Shift+letter, Ctrl+Shift+letter", "the personal and the office macro keys"},
    {"Insert", "insert or overtype"},
    {"Ctrl+C, Ctrl+X, Ctrl+V", "copy, cut, paste through the system clipboard"},
    {"Ctrl+P", "prints the window (or the selected lines)"},
    {"Right button", "the menu of the screen"},
};

}  // namespace

MainWindow::MainWindow(const desk::DeskOptions& options) : options_(options), widget_(new ZVEmulWidget(this)) {
  setWindowTitle(tr("ZVEmul"));
  setCentralWidget(widget_);
  BuildMenus();
  // The desk runs no macros: the status bar names the file the control asked for.
  connect(widget_, &ZVEmulWidget::DriveMacro, this, [this](const QString& file) {
    const QString name = file.section(QLatin1Char('/'), -1);
    widget_->SetScriptStatusText(name == QLatin1String(".zvm") ? tr("No macro") : tr("Macro %1").arg(name));
  });
  widget_->setFocus();
}

bool MainWindow::Start(std::string& error) {
  if (!widget_->isReady()) {
    error = widget_->lastError().toStdString();
    return false;
  }
  if (options_.sessions > 1) {
    widget_->CreateSessionQueue(options_.sessions, QString::fromStdString(options_.session_map));
  }
  if (!options_.keyboard_mapping.empty() &&
      !widget_->LoadKeyboardMapping(QString::fromStdString(options_.keyboard_mapping))) {
    error = "the keyboard mapping " + options_.keyboard_mapping +
            " was not loaded (a file the keyboard mapper refuses, or no keyboard mapper registered: "
            "run zvemul-register)";
    return false;
  }
  host_ = std::make_unique<HostConnection>(*widget_, desk::HostLinkOptionsOf(options_));
  return true;
}

void MainWindow::BuildMenus() {
  QMenu* session = menuBar()->addMenu(tr("&Session"));
  session->addAction(tr("&Print the Window..."), this, [this] { PressInControl(Qt::Key_P, Qt::ControlModifier); });
  session->addAction(tr("Print &Setup..."), widget_, &ZVEmulWidget::PrintSetUp);
  session->addSeparator();
  session->addAction(tr("&Quit"), this, &QWidget::close);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(tr("&One or Two Frames"), this, [this] { widget_->Resize(0); });
  view->addAction(tr("&Next Window"), this, [this] { widget_->SendKey(0, VK_F7, 0, 1); });
  view->addAction(tr("&Previous Window"), this, [this] { widget_->SendKey(0, VK_F7, 2, 1); });
  view->addAction(tr("The Other &Frame"), this, [this] { widget_->SendKey(0, VK_F8, 0, 1); });
  view->addAction(tr("&Clear the Screen"), this, [this] { widget_->ClearScreen(0); });

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(tr("&Keys"), this, &MainWindow::ShowKeys);
  help->addAction(tr("&About ZVEmul"), widget_, &ZVEmulWidget::AboutBox);
}

void MainWindow::PressInControl(int key, Qt::KeyboardModifiers modifiers) {
  widget_->setFocus();
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QCoreApplication::sendEvent(widget_, &press);
}

void MainWindow::ShowKeys() {
  QString text = QStringLiteral("<table>");
  for (const auto& [key, does] : kKeys) {
    text += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                .arg(QLatin1String(key), QLatin1String(does));
  }
  text += QStringLiteral("</table>");
  QMessageBox::information(this, tr("ZVEmul keys"), text);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (host_ && host_->entries_out() > 0 &&
      QMessageBox::question(this, tr("ZVEmul"),
                            tr("Entries are still with the host; their answers will be lost.\nLeave the desk?")) !=
          QMessageBox::Yes) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace zv::qtdesk
