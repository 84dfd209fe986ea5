#include "platform/foundation/ObserverList.h"

namespace platform {

detail::ObserverListCore::~ObserverListCore() = default;

Subscription::Subscription(Subscription&& other) noexcept
    : core_(std::move(other.core_)), id_(std::exchange(other.id_, 0)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    core_ = std::move(other.core_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Subscription::~Subscription() { reset(); }

void Subscription::reset() {
  // Cleared before unsubscribing: the observer's destructor may reach this token again.
  auto core = std::exchange(core_, {}).lock();
  const std::uint64_t id = std::exchange(id_, 0);
  if (core) core->unsubscribe(id);
}

bool Subscription::isActive() const {
  auto core = core_.lock();
  return core && core->contains(id_);
}

}  // namespace platform
