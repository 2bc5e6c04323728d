#include "apps/zvemul-desk/host_connection.h"

#include <poll.h>

#include <algorithm>

#include "platform/clocks.h"
#include "platform/code_page.h"

namespace zv::qtdesk {
namespace {

// How long answers wait before another try while a dialog is open.
constexpr int kModalRetryMs = 200;

QString FromCp1252(std::string_view text) { return QString::fromStdU16String(platform::Cp1252ToUtf16(text)); }

}  // namespace

HostConnection::HostConnection(ZVEmulWidget& widget, const host::HostLinkOptions& options, QObject* parent)
    : QObject(parent), widget_(widget), clock_(std::make_unique<platform::SystemClock>()) {
  link_ = host::MakeHostLink(options, *clock_);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &HostConnection::Poll);
  connect(&widget_, &ZVEmulWidget::DataSourceInput, this, &HostConnection::Send);
  ShowState();
  Rearm();
}

HostConnection::~HostConnection() { link_->Close(); }

void HostConnection::Send(const QString& entry) {
  ++entries_out_;
  link_->Send(widget_.sessionOfWindow(0), platform::Utf16ToCp1252(entry.toStdU16String()));
  // Answers go back from the loop, never from inside the event that sent
  // the entry.
  timer_.start(0);
}

void HostConnection::Poll() {
  if (widget_.inModalDialog()) {
    timer_.start(kModalRetryMs);
    return;
  }
  for (const host::HostAnswer& answer : link_->Poll()) {
    entries_out_ = std::max(0, entries_out_ - 1);
    widget_.DataSourceResponse(FromCp1252(answer.response));
  }
  ShowState();
  Rearm();
}

void HostConnection::Rearm() {
  const int fd = link_->PollFd();
  const short events = link_->PollEvents();
  if (fd != watched_fd_ || events != watched_events_) {
    read_.reset();
    write_.reset();
    watched_fd_ = fd;
    watched_events_ = events;
    if (fd >= 0 && (events & POLLIN) != 0) {
      read_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
      connect(read_.get(), &QSocketNotifier::activated, this, &HostConnection::Poll);
    }
    if (fd >= 0 && (events & POLLOUT) != 0) {
      write_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
      connect(write_.get(), &QSocketNotifier::activated, this, &HostConnection::Poll);
    }
  }
  if (const int timeout = link_->PollTimeoutMs(); timeout >= 0) timer_.start(timeout);
}

void HostConnection::ShowState() {
  const std::string state = link_->StatusText();
  if (state == state_) return;
  state_ = state;
  widget_.SetCommText(FromCp1252(state));
}

}  // namespace zv::qtdesk
