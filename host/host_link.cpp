#include "host/host_link.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "host/screen_text.h"
#include "host/subprocess_link.h"

namespace zv::host {

std::string LinkDownResponse() { return AddedResponse({"HOST LINK DOWN - ENTRY NOT PROCESSED"}); }

DemoLink::DemoLink(platform::Clock& clock, int latency_ms, Date today)
    : clock_(clock), latency_ms_(static_cast<DWORD>(std::max(0, latency_ms))), host_(today) {}

void DemoLink::Send(int session, std::string_view entry) {
  pending_.push_back({clock_.TickCount() + latency_ms_, session, std::string(entry)});
}

int DemoLink::PollTimeoutMs() {
  if (pending_.empty()) return -1;
  // Tick counts wrap at 2^32; the signed difference stays right across the wrap.
  const auto remaining = static_cast<std::int32_t>(pending_.front().due - clock_.TickCount());
  return std::max<std::int32_t>(0, remaining);
}

std::vector<HostAnswer> DemoLink::Poll() {
  std::vector<HostAnswer> answers;
  const DWORD now = clock_.TickCount();
  while (!pending_.empty() && static_cast<std::int32_t>(pending_.front().due - now) <= 0) {
    Pending& next = pending_.front();
    answers.push_back({next.session, host_.Answer(next.session, next.entry)});
    pending_.pop_front();
  }
  return answers;
}

std::string EchoPage(int session, std::string_view entry) {
  std::vector<std::string> rows = {"ECHO HOST - SESSION " + std::to_string(session), std::string(entry)};
  for (std::size_t row = rows.size() + 1; row <= kPageRows; ++row) {
    char text[16];
    std::snprintf(text, sizeof text, "ROW %02zu", row);
    rows.emplace_back(text);
  }
  return ScreenResponse(rows);
}

void EchoLink::Send(int session, std::string_view entry) { ready_.push_back({session, EchoPage(session, entry)}); }

std::vector<HostAnswer> EchoLink::Poll() { return std::exchange(ready_, {}); }

std::unique_ptr<HostLink> MakeHostLink(const HostLinkOptions& options, platform::Clock& clock) {
  switch (options.kind) {
    case HostLinkOptions::Kind::kEcho:
      return std::make_unique<EchoLink>();
    case HostLinkOptions::Kind::kCommand:
      return std::make_unique<SubprocessLink>(SubprocessOptions{options.command, options.stderr_path});
    case HostLinkOptions::Kind::kDemo:
      break;
  }
  Date today = DemoHost::kDefaultToday;
  if (options.demo_today) {
    today = *options.demo_today;
  } else {
    const platform::LocalTime now = clock.Now();
    const Date clock_date{now.year, now.month, now.day};
    if (IsValidDate(clock_date)) today = clock_date;
  }
  return std::make_unique<DemoLink>(clock, options.latency_ms, today);
}

std::vector<HostAnswer> ExchangeNow(HostLink& link, int session, std::string_view entry, int timeout_ms) {
  using Steady = std::chrono::steady_clock;
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(std::max(0, timeout_ms));
  link.Send(session, entry);
  std::vector<HostAnswer> answers;
  for (;;) {
    bool answered = false;
    for (HostAnswer& answer : link.Poll()) {
      answered = answered || answer.session == session;
      answers.push_back(std::move(answer));
    }
    if (answered) return answers;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
    if (left <= 0) return answers;
    const int link_timeout = link.PollTimeoutMs();
    const int wait = link_timeout < 0 ? static_cast<int>(left) : std::min(link_timeout, static_cast<int>(left));
    pollfd fd{link.PollFd(), link.PollEvents(), 0};
    ::poll(&fd, fd.fd < 0 ? 0 : 1, wait);
  }
}

}  // namespace zv::host
