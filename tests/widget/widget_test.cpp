// The desktop desk as an agent uses it, on Qt's offscreen platform: keys and
// clicks go to the widget as Qt delivers them, what it shows is read from its
// rendered image, the clipboard is the system's and prints go to the PDF
// printer.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "apps/zvemul-desk/main_window.h"
#include "tests/support/scratch_home.h"

namespace zv::qtdesk {
namespace {

constexpr int kWaitMs = 5000;

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_widget";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: Qt's own globals go before the statics of a test program.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

bool Near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

// Pixels near a colour on the rows of a res window (those whose right end,
// beyond the 64 columns, shows the window's background), between two
// fractions of the image's height.
int PixelsNear(const QImage& image, QColor color, QColor background, double from, double to) {
  int count = 0;
  for (int y = static_cast<int>(image.height() * from); y < static_cast<int>(image.height() * to); ++y) {
    if (!Near(image.pixelColor(image.width() - 30, y), background)) continue;
    for (int x = 0; x < image.width(); ++x) count += Near(image.pixelColor(x, y), color) ? 1 : 0;
  }
  return count;
}

QColor WindowColor(ZVEmulWidget& widget, int window, int attribute) {
  const unsigned ref = widget.controlProperty("Color", {window, attribute}).toUInt();
  return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    desk::DeskOptions options;
    options.latency_ms = 0;
    window_ = std::make_unique<MainWindow>(options);
    std::string error;
    ASSERT_TRUE(window_->Start(error)) << error;
    window_->resize(700, 640);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    widget().setFocus();
  }

  ZVEmulWidget& widget() { return window_->widget(); }
  QString Screen() { return widget().windowText(); }

  // Types an entry, sends it and waits for the demo host's answer.
  void Book(const char* entry, const QString& answer) {
    QTest::keyClicks(&widget(), entry);
    QTest::keyClick(&widget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Screen().contains(answer); }, kWaitMs)) << Screen().toStdString();
  }

  zv::testing::ScratchHome home_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(WidgetTest, TheHostsAnswerIsDrawnInTheResponseColourInTheFrameOfTheEntry) {
  const QColor entry = WindowColor(widget(), 1, 2);
  const QColor response = WindowColor(widget(), 1, 3);
  const QColor background = WindowColor(widget(), 1, 1);
  ASSERT_NE(entry, response);
  QTest::keyClicks(&widget(), "a10junlonpar");
  QImage typed = widget().grab().toImage();
  EXPECT_GT(PixelsNear(typed, entry, background, 0.0, 0.1), 20);
  EXPECT_EQ(PixelsNear(typed, response, background, 0.0, 1.0), 0);

  QTest::keyClick(&widget(), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Screen().contains("AVAILABILITY"); }, kWaitMs));
  const QImage answered = widget().grab().toImage();
  // The answer fills the upper frame's window; the lower one stays empty.
  const int shown = PixelsNear(answered, response, background, 0.05, 0.45);
  EXPECT_GT(shown, 500);
  EXPECT_EQ(PixelsNear(answered, response, background, 0.55, 1.0), 0);

  // A notch of the wheel down scrolls three of the answer's lines away.
  QWheelEvent wheel(QPointF(40, 60), widget().mapToGlobal(QPointF(40, 60)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget(), &wheel);
  const int scrolled = PixelsNear(widget().grab().toImage(), response, background, 0.05, 0.45);
  EXPECT_LT(scrolled, shown * 17 / 20);
  EXPECT_GT(scrolled, shown / 2);
}

TEST_F(WidgetTest, ShiftMakesMacroKeysWhileCapsLockOnlyMakesCapitals) {
  QSignalSpy macros(&widget(), &ZVEmulWidget::DriveMacro);
  struct Case {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers;
    QString folder;  // the macro's folder, or empty when the key types
  };
  const QString personal = widget().invoke("GetPersonalDir").toString();
  const QString office = widget().invoke("GetOfficeDir").toString();
  const Case cases[] = {
      {Qt::Key_P, "P", Qt::ShiftModifier, personal},  // Shift
      {Qt::Key_Q, "Q", Qt::NoModifier, {}},           // Caps Lock: a capital typed
      {Qt::Key_R, "r", Qt::ShiftModifier, personal},  // Shift with Caps Lock
      {Qt::Key_S, "\x13", Qt::ControlModifier | Qt::ShiftModifier, office},
      {Qt::Key_T, "t", Qt::NoModifier, {}},
  };
  for (const Case& c : cases) {
    macros.clear();
    const QString before = Screen();
    QTest::sendKeyEvent(QTest::Click, &widget(), c.key, c.text, c.modifiers);
    if (c.folder.isEmpty()) {
      EXPECT_EQ(macros.count(), 0) << c.text.toStdString();
      EXPECT_TRUE(Screen().trimmed().endsWith(QChar(c.key))) << Screen().toStdString();
    } else {
      ASSERT_EQ(macros.count(), 1) << c.text.toStdString();
      EXPECT_TRUE(macros.at(0).at(0).toString().startsWith(c.folder)) << macros.at(0).at(0).toString().toStdString();
      EXPECT_EQ(Screen(), before);
    }
  }
}

TEST_F(WidgetTest, CopyAndPasteGoThroughTheSystemClipboard) {
  QGuiApplication::clipboard()->setText(QStringLiteral("RT QX7PLM"));
  QTest::keyClick(&widget(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(Screen().contains(">RT QX7PLM")) << Screen().toStdString();

  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&widget(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&widget(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(QGuiApplication::clipboard()->text().contains("RT QX7PLM"))
      << QGuiApplication::clipboard()->text().toStdString();
}

TEST_F(WidgetTest, ClicksOpenWindowsByTheirTabsAndTheButtonSwitchesTheLayout) {
  // The windows the top strip's clicks open, from left to right, as they
  // change from the current one.
  const auto tabs = [&] {
    std::vector<int> opened;
    int last = widget().controlProperty("CurrentWindow").toInt();
    for (int x = 30; x < widget().width(); x += 10) {
      QTest::mouseClick(&widget(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 8));
      const int current = widget().controlProperty("CurrentWindow").toInt();
      if (current != last) opened.push_back(current);
      last = current;
    }
    return opened;
  };
  EXPECT_EQ(tabs(), (std::vector<int>{3, 5, 7, 9}));
  // A click in the lower frame's text makes its window current.
  QTest::mouseClick(&widget(), Qt::LeftButton, Qt::NoModifier, QPoint(40, widget().height() * 3 / 4));
  EXPECT_EQ(widget().controlProperty("CurrentWindow").toInt(), 2);
  // The button at the strip's left: one frame, under a strip of all ten.
  QTest::mouseClick(&widget(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
  EXPECT_EQ(tabs(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

// Chooses an item of the popup menu now open, along a path of item texts
// (a submenu's, then an item of it), with the keys an agent would use.
void ChooseFromMenu(const QStringList& path, QStringList* seen = nullptr) {
  for (const QString& text : path) {
    if (!QTest::qWaitFor([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; }, kWaitMs)) {
      return;
    }
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      const bool picture = action->text().isEmpty() && !action->icon().isNull();
      if (seen != nullptr) seen->append(picture ? QStringLiteral("[picture]") : action->text());
      if (action->text().section('\t', 0, 0) == text) chosen = action;
    }
    if (chosen == nullptr) return;
    menu->setActiveAction(chosen);
    QTest::keyClick(menu, chosen->menu() != nullptr ? Qt::Key_Right : Qt::Key_Return);
  }
}

TEST_F(WidgetTest, TheRightButtonOpensTheMenuWithTheClipboardAndTheMacros) {
  const std::filesystem::path personal = widget().invoke("GetPersonalDir").toString().toStdString();
  std::filesystem::create_directories(personal);
  for (int i = 1; i <= 30; ++i) std::ofstream(personal / QString("M%1.zvm").arg(i, 2, 10, QChar('0')).toStdString());
  QSignalSpy macros(&widget(), &ZVEmulWidget::DriveMacro);
  const QPoint text(40, 30);

  QStringList seen;
  QTimer::singleShot(0, [&] { ChooseFromMenu({"Personal Macros", "M03"}, &seen); });
  QTest::mouseClick(&widget(), Qt::RightButton, Qt::NoModifier, text);
  ASSERT_EQ(macros.count(), 1) << seen.join(", ").toStdString();
  EXPECT_TRUE(macros.at(0).at(0).toString().endsWith("M03.zvm")) << macros.at(0).at(0).toString().toStdString();
  EXPECT_EQ(widget().statusText(0), "Macro M03.zvm");
  // The submenu's first page of macros ends in the picture that scrolls on.
  EXPECT_TRUE(seen.contains("Copy\tCtrl+C")) << seen.join(", ").toStdString();
  EXPECT_TRUE(seen.contains("M26") && !seen.contains("M27") && seen.endsWith("[picture]"))
      << seen.join(", ").toStdString();

  QGuiApplication::clipboard()->setText(QStringLiteral("RT QX7PLM"));
  QTimer::singleShot(0, [&] { ChooseFromMenu({"Paste"}); });
  QTest::mouseClick(&widget(), Qt::RightButton, Qt::NoModifier, text);
  EXPECT_TRUE(Screen().contains("RT QX7PLM")) << Screen().toStdString();
}

TEST_F(WidgetTest, ALocalCommandAnswersInAQMessageBoxWhileTheControlWaits) {
  QString shown;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, kWaitMs)) return;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    shown = box->text();
    modal = widget().inModalDialog();
    box->accept();
  });
  QTest::keyClicks(&widget(), "\u00dfver");
  QTest::keyClick(&widget(), Qt::Key_Return);
  EXPECT_TRUE(shown.contains("version")) << shown.toStdString();
  EXPECT_TRUE(modal);
  EXPECT_FALSE(widget().inModalDialog());
}

TEST_F(WidgetTest, CtrlPPrintsTheScreenThroughQtsDialogToThePdfPrinter) {
  const std::filesystem::path prints = home_.root() + "/prints";
  qputenv("ZVEMUL_PRINT_DIR", QByteArray::fromStdString(prints.native()));
  Book("a10junlonpar", "AVAILABILITY");
  bool dialog_seen = false;
  QTimer::singleShot(0, [&] {
    if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, kWaitMs)) return;
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    dialog_seen = dialog != nullptr;
    if (dialog != nullptr) dialog->accept();
  });
  QTest::keyClick(&widget(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(dialog_seen);
  ASSERT_TRUE(std::filesystem::is_directory(prints));
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(prints), {}), 1);
  const std::filesystem::path pdf = std::filesystem::directory_iterator(prints)->path();
  std::string text;
  if (FILE* pipe = ::popen(("pdftotext -layout '" + pdf.native() + "' - 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    ::pclose(pipe);
  }
  EXPECT_NE(text.find("AVAILABILITY"), std::string::npos) << text;
  EXPECT_NE(text.find("LONPAR"), std::string::npos) << text;
}

}  // namespace
}  // namespace zv::qtdesk
