#include "control/request_queues.h"

#include <algorithm>

namespace zv {
namespace {

// A one-character number: its digit, or 0.
int DigitValue(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

// Windows and sessions are single digits in the mapping; "0" means 10.
int NumberOrTen(char c) {
  const int value = DigitValue(c);
  return value == 0 ? 10 : value;
}

}  // namespace

void CRequestQueues::CreateSessionQueue(short sessions, std::string_view mappings) {
  // A negative count is one queue for all windows too. The mapping is not
  // cleared: a later call changes only the windows it names.
  m_singleQueue = static_cast<WORD>(std::max<short>(sessions, 0));
  if (sessions <= 1 || mappings.empty()) return;
  m_windowSession[1] = DigitValue(mappings[0]);
  int session = 1;
  bool semicolon = false;
  bool colon = false;
  for (const char c : mappings.substr(1)) {
    if (c == ';') {
      semicolon = true;
      colon = false;
    } else if (c == ':') {
      colon = true;
      semicolon = false;
    } else if (semicolon) {
      session = NumberOrTen(c);
      semicolon = false;
    } else if (colon && c != ',') {
      m_windowSession[static_cast<std::size_t>(NumberOrTen(c))] = session;
    }
  }
}

int CRequestQueues::GetSessionOfWindow(short window) const {
  return window >= 1 && window <= kSessions ? m_windowSession[static_cast<std::size_t>(window)] : 0;
}

int CRequestQueues::QueueSessionOfWindow(short window) const {
  if (!SessionMode()) return 0;
  const int session = GetSessionOfWindow(window);
  return session >= 1 && session <= kSessions ? session : 0;
}

CRequestQueues::Offer CRequestQueues::OfferRequest(short window, const std::string& text) {
  Queue& queue = QueueOf(window);
  if (queue.count < 1) {
    ++queue.count;
    return Offer::kSendNow;
  }
  if (queue.count < kQueueLimit) {
    queue.waiting.Add(text);
    ++queue.count;
    return Offer::kQueued;
  }
  return Offer::kRefused;
}

std::optional<std::string> CRequestQueues::TakeNextAfterResponse(short window) {
  Queue& queue = QueueOf(window);
  if (queue.count <= 0) {
    queue.count = 0;
    return std::nullopt;
  }
  --queue.count;
  if (queue.count == 0) return std::nullopt;
  return queue.waiting.PopOldest();
}

int CRequestQueues::RequestsInFlight(short window) const { return QueueOf(window).count; }

void CRequestQueues::EmptyQueue(short window) {
  Queue& queue = QueueOf(window);
  while (queue.waiting.PopOldest()) {
  }
  queue.count = 0;
}

}  // namespace zv
