#include "platform/ui/Application.h"

#include <utility>
#include <vector>

#include "platform/foundation/NotificationCenter.h"

namespace platform {

Application& Application::shared() {
  static auto* application = new Application;  // leaked: used until the process ends
  return *application;
}

BackgroundTaskIdentifier Application::beginBackgroundTask(std::function<void()> expirationHandler) {
  std::lock_guard lock(mutex_);
  const BackgroundTaskIdentifier identifier = nextTask_++;
  tasks_.emplace(identifier, std::move(expirationHandler));
  return identifier;
}

void Application::endBackgroundTask(BackgroundTaskIdentifier identifier) {
  std::function<void()> released;  // destroyed outside the lock
  std::lock_guard lock(mutex_);
  auto it = tasks_.find(identifier);
  if (it == tasks_.end()) return;
  released = std::move(it->second);
  tasks_.erase(it);
}

std::size_t Application::backgroundTaskCount() const {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

void Application::expireBackgroundTasks() {
  BackgroundTaskIdentifier last = 0;
  {
    std::lock_guard lock(mutex_);
    last = nextTask_ - 1;
  }
  // Take one handler at a time, so a task ended by an earlier handler is not expired.
  for (BackgroundTaskIdentifier next = 1; next <= last;) {
    std::function<void()> handler;
    {
      std::lock_guard lock(mutex_);
      auto it = tasks_.lower_bound(next);
      if (it == tasks_.end() || it->first > last) break;
      next = it->first + 1;
      handler = std::exchange(it->second, nullptr);
    }
    if (handler) handler();
  }
}

ApplicationState Application::applicationState() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void Application::setState(ApplicationState state) {
  std::lock_guard lock(mutex_);
  state_ = state;
}

void Application::simulateMemoryWarning() {
  NotificationCenter::defaultCenter().post(kApplicationDidReceiveMemoryWarningNotification);
}

void Application::simulateWillTerminate() {
  NotificationCenter::defaultCenter().post(kApplicationWillTerminateNotification);
}

void Application::simulateDidEnterBackground() {
  setState(ApplicationState::Background);
  NotificationCenter::defaultCenter().post(kApplicationDidEnterBackgroundNotification);
}

void Application::simulateWillEnterForeground() {
  setState(ApplicationState::Inactive);
  NotificationCenter::defaultCenter().post(kApplicationWillEnterForegroundNotification);
}

void Application::simulateDidBecomeActive() {
  setState(ApplicationState::Active);
  NotificationCenter::defaultCenter().post(kApplicationDidBecomeActiveNotification);
}

}  // namespace platform
