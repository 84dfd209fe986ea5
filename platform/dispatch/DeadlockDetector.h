#pragma once

#include <vector>

namespace platform {

class DispatchQueue;

// Catches the silent deadlock of the main thread blocked in sync() on a queue while a task of
// that queue waits synchronously for the main thread. Each side records what it waits for under
// one lock before blocking, so whichever comes second sees the other; that side logs both queues
// and aborts. Only active where MainThread.h's thread checks are (debug and sanitizer builds).
class DeadlockDetector {
 public:
  // The main thread is about to wait until `queue` lets it in (its turn has not come yet), and
  // the end of that wait. The end is told by whoever lets it in, before any later task of the
  // queue can start, so no task takes main for blocked once it is not.
  static void mainBlocks(const DispatchQueue* queue);
  static void mainUnblocked();

  // A thread running tasks of `held` (the queues it is inside) waits for the main thread, until
  // end(): main calls it once it has served the wait, before waking the thread.
  class WaitingOnMainScope {
   public:
    explicit WaitingOnMainScope(const std::vector<const DispatchQueue*>& held);
    ~WaitingOnMainScope() { end(); }
    WaitingOnMainScope(const WaitingOnMainScope&) = delete;
    WaitingOnMainScope& operator=(const WaitingOnMainScope&) = delete;
    void end();

   private:
    bool active_;
    std::vector<const DispatchQueue*> held_;
  };
};

}  // namespace platform
