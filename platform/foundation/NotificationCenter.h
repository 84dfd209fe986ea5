#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Types.h"

namespace platform {

struct Notification {
  std::string name;
  std::shared_ptr<void> object;
  Dictionary userInfo;
};

class NotificationRegistry;  // the shared state of one center (NotificationCenter.cpp)

// Removes its observation when destroyed or reset. Outliving the center is harmless.
class ObserverToken {
 public:
  ObserverToken() = default;
  ObserverToken(ObserverToken&& other) noexcept;
  ObserverToken& operator=(ObserverToken&& other) noexcept;
  ObserverToken(const ObserverToken&) = delete;
  ObserverToken& operator=(const ObserverToken&) = delete;
  ~ObserverToken();

  void reset();
  bool isActive() const { return id_ != 0; }

 private:
  friend class NotificationCenter;
  ObserverToken(std::weak_ptr<NotificationRegistry> registry, std::uint64_t id);

  std::weak_ptr<NotificationRegistry> registry_;
  std::uint64_t id_ = 0;
};

// Synchronous, thread-safe delivery in order of registration. Handlers run on the posting thread
// outside any lock, so they may post, add and remove observers. Once a removal returns, the
// observer is not called again: a call in progress on another thread is waited for (a handler
// that removes itself does not wait for itself).
class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  NotificationCenter();
  ~NotificationCenter();
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  static NotificationCenter& defaultCenter();

  // name "" = any name; object nullptr = any object (compared with Notification::object.get()).
  [[nodiscard]] ObserverToken addObserver(std::string name, const void* object, Handler handler);
  // Registrations keyed by an owner, removed together by removeObserver(owner).
  void addObserver(const void* owner, std::string name, const void* object, Handler handler);
  void removeObserver(const void* owner);

  void post(const std::string& name, std::shared_ptr<void> object = nullptr,
            Dictionary userInfo = {});
  void post(const Notification& notification);

 private:
  std::shared_ptr<NotificationRegistry> registry_;
};

}  // namespace platform
