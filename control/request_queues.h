// CRequestQueues: the request queues of host traffic and the session
// mapping that picks one for a window. In single-queue mode one queue serves
// every window; in session mode each session 1..10 has its own, and a
// window that no mapping names shares the single queue. Each queue counts
// the entry handed to the container plus those waiting, at most kQueueLimit.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"
#include "reswindow/input_recall.h"

namespace zv {

class CRequestQueues {
 public:
  static constexpr int kQueueLimit = 5;
  static constexpr int kSessions = 10;

  // The CreateSessionQueue method: more than one session switches to
  // session mode and reads the mapping ("1:1,3,5;2:2,4,6", one character
  // per number, "0" for 10) over the windows it names; one or fewer goes
  // back to one queue for all windows.
  void CreateSessionQueue(short sessions, std::string_view mappings);
  // The session of window 1..10 by the mapping; 0 when none names it.
  int GetSessionOfWindow(short window) const;
  // The session whose queue window 1..10 uses: 0 for the single queue.
  int QueueSessionOfWindow(short window) const;
  bool SessionMode() const { return m_singleQueue > 1; }

  enum class Offer { kSendNow, kQueued, kRefused };
  // Counts an entry of `window` in its queue: to be sent at once, waiting,
  // or refused because the queue is full.
  Offer OfferRequest(short window, const std::string& text);
  // A response came for `window`'s queue: the next waiting entry, to be
  // sent now, if any.
  std::optional<std::string> TakeNextAfterResponse(short window);
  // Entries in flight (handed out plus waiting) in `window`'s queue.
  int RequestsInFlight(short window) const;
  // Escape twice: the queue emptied and its count 0.
  void EmptyQueue(short window);

 private:
  struct Queue {
    int count = 0;
    CInputRecall waiting{kQueueLimit};
  };
  Queue& QueueOf(short window) { return m_queues[static_cast<std::size_t>(QueueSessionOfWindow(window))]; }
  const Queue& QueueOf(short window) const {
    return m_queues[static_cast<std::size_t>(QueueSessionOfWindow(window))];
  }

  // The session count: 1 or less is single-queue mode.
  WORD m_singleQueue = 1;
  std::array<Queue, kSessions + 1> m_queues;           // 0: the single queue, 1..10: by session
  std::array<int, kSessions + 1> m_windowSession = {};  // by window 1..10
};

}  // namespace zv
