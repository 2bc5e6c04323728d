// The container's connection to a host. One interface, polled from the
// container's single-threaded loop: entries go out with Send, and Poll hands
// back the answers that have arrived, each with the session it belongs to.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/calendar.h"
#include "host/demo_host.h"
#include "platform/services.h"

namespace zv::host {

struct HostAnswer {
  int session = 0;
  std::string response;  // Windows-1252, starting with the two control characters
};

class HostLink {
 public:
  virtual ~HostLink() = default;

  // Hands one entry of a session to the host. Never blocks; an entry that
  // cannot reach the host is answered with `LinkDownResponse()`.
  virtual void Send(int session, std::string_view entry) = 0;

  // What the loop waits for before calling Poll: a descriptor (or -1) with the
  // poll(2) events of interest, and a timeout in milliseconds (-1: none).
  virtual int PollFd() const { return -1; }
  virtual short PollEvents() const { return 0; }
  virtual int PollTimeoutMs() = 0;

  // Does the pending work without blocking and returns the answers that are
  // ready, in the order they arrived.
  virtual std::vector<HostAnswer> Poll() = 0;

  // Short text for the status bar's communication part.
  virtual std::string StatusText() const = 0;
  virtual bool Alive() const = 0;
  virtual void Close() {}
};

// The answer given in place of the host's when the link cannot carry an entry.
std::string LinkDownResponse();

// The built-in demo host, answering each entry after a fixed latency measured
// on the given clock. With latency 0 the answer is ready at the next Poll.
class DemoLink final : public HostLink {
 public:
  DemoLink(platform::Clock& clock, int latency_ms, Date today = DemoHost::kDefaultToday);

  void Send(int session, std::string_view entry) override;
  int PollTimeoutMs() override;
  std::vector<HostAnswer> Poll() override;
  std::string StatusText() const override { return "DEMO"; }
  bool Alive() const override { return true; }

 private:
  struct Pending {
    DWORD due;
    int session;
    std::string entry;
  };

  platform::Clock& clock_;
  DWORD latency_ms_;
  DemoHost host_;
  std::deque<Pending> pending_;  // in order of sending, so also of due time
};

// A test host: every entry is answered at once with the same page, which
// names the session and repeats the entry on its second row.
class EchoLink final : public HostLink {
 public:
  void Send(int session, std::string_view entry) override;
  int PollTimeoutMs() override { return ready_.empty() ? -1 : 0; }
  std::vector<HostAnswer> Poll() override;
  std::string StatusText() const override { return "ECHO"; }
  bool Alive() const override { return true; }

 private:
  std::vector<HostAnswer> ready_;
};

std::string EchoPage(int session, std::string_view entry);

struct HostLinkOptions {
  enum class Kind { kDemo, kEcho, kCommand };
  Kind kind = Kind::kDemo;
  std::string command;  // for kCommand: run with /bin/sh -c
  int latency_ms = 300;  // for kDemo
  std::optional<Date> demo_today;  // for kDemo; none: the clock's date
  std::string stderr_path;  // for kCommand: where the child's standard error goes; empty: /dev/null
};

std::unique_ptr<HostLink> MakeHostLink(const HostLinkOptions& options, platform::Clock& clock);

// For drivers that want an answer before they go on: sends the entry and
// drives the link (waiting in real time, at most timeout_ms) until the answer
// for that session has come. Returns every answer that came meanwhile, in
// order; the session's answer is among them unless the time ran out.
std::vector<HostAnswer> ExchangeNow(HostLink& link, int session, std::string_view entry, int timeout_ms);

}  // namespace zv::host
