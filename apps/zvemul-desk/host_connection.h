// Carries a widget's entries to a host link and its answers back, from the
// Qt event loop: DataSourceInput goes out at once, in the session of the
// window current when the event fires; answers come back through
// DataSourceResponse once the call that sent the entry has returned, and
// wait while a dialog of the control is open.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>

#include "ZVEmulWidget/zvemul_widget.h"
#include "host/host_link.h"
#include "platform/services.h"

namespace zv::qtdesk {

class HostConnection final : public QObject {
  Q_OBJECT

 public:
  HostConnection(ZVEmulWidget& widget, const host::HostLinkOptions& options, QObject* parent = nullptr);
  ~HostConnection() override;

  // Entries handed to the host and not answered yet.
  int entries_out() const { return entries_out_; }

 private:
  void Send(const QString& entry);
  void Poll();
  // Waits for the link's descriptor and its next due time.
  void Rearm();
  void ShowState();

  ZVEmulWidget& widget_;
  std::unique_ptr<platform::Clock> clock_;
  std::unique_ptr<host::HostLink> link_;
  std::unique_ptr<QSocketNotifier> read_;
  std::unique_ptr<QSocketNotifier> write_;
  int watched_fd_ = -1;
  short watched_events_ = 0;
  QTimer timer_;
  int entries_out_ = 0;
  std::string state_;
};

}  // namespace zv::qtdesk
