#include "platform/foundation/Clock.h"

#include <chrono>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct ClockRegistry {
  RealClock realClock;
  std::atomic<Clock*> current{&realClock};
  std::atomic<bool> isVirtual{false};
  std::mutex mutex;
  std::vector<std::shared_ptr<Clock>> retained;
};

// Never destroyed: timers and worker threads may read the clock while the process exits.
ClockRegistry& registry() {
  static ClockRegistry* const instance = new ClockRegistry;
  return *instance;
}

}  // namespace

Clock::~Clock() = default;

Clock& Clock::current() { return *registry().current.load(std::memory_order_acquire); }

void Clock::setCurrent(std::shared_ptr<Clock> clock) {
  ClockRegistry& r = registry();
  std::lock_guard lock(r.mutex);
  Clock* raw = clock ? clock.get() : &r.realClock;
  if (clock) {
    bool known = false;
    for (const auto& kept : r.retained) known = known || kept == clock;
    if (!known) r.retained.push_back(std::move(clock));
  }
  r.isVirtual.store(dynamic_cast<VirtualClock*>(raw) != nullptr, std::memory_order_release);
  r.current.store(raw, std::memory_order_release);
}

bool Clock::isVirtual() { return registry().isVirtual.load(std::memory_order_acquire); }

TimeInterval RealClock::now() const {
  using namespace std::chrono;
  static const auto anchor = [] {
    return std::pair{steady_clock::now(), system_clock::now().time_since_epoch()};
  }();
  return duration<double>(anchor.second + (steady_clock::now() - anchor.first)).count();
}

VirtualClock::VirtualClock(TimeInterval start) : now_(start) {}

TimeInterval VirtualClock::now() const { return now_.load(std::memory_order_acquire); }

void VirtualClock::advance(TimeInterval dt) {
  TimeInterval expected = now_.load();
  while (!now_.compare_exchange_weak(expected, expected + dt)) {
  }
}

void VirtualClock::set(TimeInterval time) { now_.store(time, std::memory_order_release); }

TimeInterval dateNow() {
  if (Clock::isVirtual()) return Clock::current().now();
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace platform
