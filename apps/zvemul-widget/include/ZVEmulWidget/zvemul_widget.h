// ZVEmulWidget: the ZVEmul reservation-terminal control inside a Qt
// application. The widget creates one control, draws everything it shows
// (tab strips, res windows, status bar) in the control's font, hands it the
// keyboard and the mouse, and gives it the desktop's services: message boxes,
// the system clipboard, Qt's print dialogs.
//
// The control's automation surface is the widget's: its events are signals
// and its methods slots, named as the control names them. An application
// carries each DataSourceInput entry to its host and hands the answer back
// with DataSourceResponse, from its event loop.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QWidget>
#include <memory>

#if defined(ZVEMULWIDGET_LIBRARY)
#define ZVEMULWIDGET_EXPORT Q_DECL_EXPORT
#else
#define ZVEMULWIDGET_EXPORT Q_DECL_IMPORT
#endif

class ZVEmulWidgetPrivate;

class ZVEMULWIDGET_EXPORT ZVEmulWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ZVEmulWidget(QWidget* parent = nullptr);
  // Destroys the control's window: the control writes its settings then.
  ~ZVEmulWidget() override;

  // False when the control could not be created (it is then drawn as a
  // notice and every call answers its failure value).
  bool isReady() const;

  // Any member of the automation surface by name: a method with its
  // arguments, or a property (with its index arguments). Strings are
  // QStrings, numbers ints, BOOLs bools; a void method answers an invalid
  // QVariant. lastError() is empty after a call that succeeded, else the
  // reason it failed.
  QVariant invoke(const QString& name, const QVariantList& args = {});
  QVariant controlProperty(const QString& name, const QVariantList& index = {});
  bool setControlProperty(const QString& name, const QVariant& value, const QVariantList& index = {});
  QString lastError() const;

  // The host session whose queue takes the entries of a window (1..10; 0 the
  // current one): the session CreateSessionQueue gave it, or 1 for the
  // single queue.
  int sessionOfWindow(int window = 0) const;

  // The text a window (1..10; 0 the current one) holds, as shown: its lines
  // joined by "\n", wrapped rows as they stand.
  QString windowText(int window = 0) const;

  // The text of the status bar's part 0..6 as shown; empty without a status
  // bar (TWA) or for another part.
  QString statusText(int part) const;

  // True while one of the control's dialogs (a message box, a print dialog)
  // is open; the control takes no call then, so a container keeps its host
  // answers until it closes.
  bool inModalDialog() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 public slots:
  bool HostEntry(int window, const QString& data);
  void ClearScreen(int window);
  bool ScreenInput(int window, const QString& data);
  bool SendKey(int window, int key, int flags, int repeat);
  int DataSourceResponse(const QString& data);
  void Resize(int frame);
  void PrintSetUp();
  QString ReadScreen();
  void HideWindow(int window, bool clearData, bool minimize);
  void SetCommText(const QString& text);
  void SetScriptText(const QString& text);
  int OpenWindow(int window);
  void SetScriptStatusText(const QString& text);
  bool LoadKeyboardMapping(const QString& path);
  void CreateSessionQueue(int sessions, const QString& mappings);
  void RenameWindow(int window, const QString& name);
  void AboutBox();

 signals:
  void HostResponse(int window, int type, const QString& data);
  void InputReflect(int window, int type, int character, const QString& data, int flags);
  void DriveMacro(const QString& macroFile);
  void DataSourceInput(const QString& data);
  void USMGRequest();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  friend class ZVEmulWidgetPrivate;
  std::unique_ptr<ZVEmulWidgetPrivate> d_;
};
