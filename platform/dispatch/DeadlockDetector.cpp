#include "platform/dispatch/DeadlockDetector.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/MainThread.h"
#include "platform/foundation/Log.h"

namespace platform {
namespace {

struct Registry {
  std::mutex mutex;
  const DispatchQueue* mainBlockedOn = nullptr;
  // One entry per waiting thread: the queues it holds while it waits for main.
  std::vector<const std::vector<const DispatchQueue*>*> waiters;
};

Registry& registry() {
  static Registry* const instance = new Registry;  // used by worker threads during exit
  return *instance;
}

bool holds(const std::vector<const DispatchQueue*>& held, const DispatchQueue* queue) {
  return std::find(held.begin(), held.end(), queue) != held.end();
}

[[noreturn]] void deadlock(const DispatchQueue* queue) {
  log(LogLevel::Error, "DispatchQueue",
      "deadlock: the main thread is blocked in sync() on queue \"" + queue->label() +
          "\" while a task of that queue waits synchronously for the main thread");
  std::abort();
}

}  // namespace

void DeadlockDetector::mainBlocks(const DispatchQueue* queue) {
  if (!kThreadChecks) return;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  for (const auto* held : r.waiters) {
    if (holds(*held, queue)) deadlock(queue);
  }
  r.mainBlockedOn = queue;
}

void DeadlockDetector::mainUnblocked() {
  if (!kThreadChecks) return;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.mainBlockedOn = nullptr;
}

DeadlockDetector::WaitingOnMainScope::WaitingOnMainScope(
    const std::vector<const DispatchQueue*>& held)
    : active_(kThreadChecks && !held.empty()) {
  if (!active_) return;
  held_ = held;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  if (r.mainBlockedOn && holds(held_, r.mainBlockedOn)) deadlock(r.mainBlockedOn);
  r.waiters.push_back(&held_);
}

void DeadlockDetector::WaitingOnMainScope::end() {
  if (!active_) return;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.waiters.erase(std::find(r.waiters.begin(), r.waiters.end(), &held_));
  active_ = false;
}

}  // namespace platform
