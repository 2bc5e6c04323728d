// A booking window with the ZVEmul terminal in it. Every entry the agent
// sends is answered by a tiny host of our own: it shows the entry back and
// counts the entries, in the status line beside the screens.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <ZVEmulWidget/zvemul_widget.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Bookings");
  auto* layout = new QVBoxLayout(&window);
  auto* terminal = new ZVEmulWidget;
  auto* status = new QLabel("No entries yet");
  layout->addWidget(terminal);
  layout->addWidget(status);
  if (!terminal->isReady()) {
    status->setText("The terminal is not available: " + terminal->lastError());
  }

  int entries = 0;
  // The control hands each entry out with DataSourceInput; the answer goes
  // back with DataSourceResponse from the event loop, never from inside the
  // signal. An answer starts with two control characters, the command and
  // the row (0x11 0x0C: below the entry, the screen kept); "|" breaks its
  // lines and a last "|>" gives the agent a fresh start-of-message mark.
  QObject::connect(terminal, &ZVEmulWidget::DataSourceInput, terminal, [&](const QString& entry) {
    ++entries;
    status->setText(QString("%1 entries sent").arg(entries));
    QTimer::singleShot(0, terminal, [terminal, entry] {
      terminal->DataSourceResponse(QString("\x11\x0C") + "YOU SENT: " + entry + "|>");
    });
  });
  // Macro keys (Shift+letter) ask the application to run a macro file.
  QObject::connect(terminal, &ZVEmulWidget::DriveMacro, status,
                   [status](const QString& file) { status->setText("Macro asked for: " + file); });

  terminal->SetCommText("LOCAL");
  window.show();
  terminal->setFocus();
  return app.exec();
}
