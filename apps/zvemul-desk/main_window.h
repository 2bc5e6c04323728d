// The desktop desk's window: the widget under a menu bar (session, view,
// help), talking to the host the command line names.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "ZVEmulWidget/zvemul_widget.h"
#include "apps/zvemul-desk/host_connection.h"
#include "apps/zvemul/desk_options.h"

namespace zv::qtdesk {

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(const desk::DeskOptions& options);

  // Connects the host and applies the sessions and the keyboard mapping.
  // False, with the reason, when the control or the mapping cannot be had.
  bool Start(std::string& error);

  ZVEmulWidget& widget() { return *widget_; }

 protected:
  // Asks first while entries are still with the host.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  // Presses a key in the control as the agent would.
  void PressInControl(int key, Qt::KeyboardModifiers modifiers);
  void ShowKeys();

  desk::DeskOptions options_;
  ZVEmulWidget* widget_;
  std::unique_ptr<HostConnection> host_;
};

}  // namespace zv::qtdesk
