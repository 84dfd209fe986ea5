#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace platform {

inline constexpr char kApplicationDidReceiveMemoryWarningNotification[] =
    "UIApplicationDidReceiveMemoryWarningNotification";
inline constexpr char kApplicationWillTerminateNotification[] =
    "UIApplicationWillTerminateNotification";
inline constexpr char kApplicationDidEnterBackgroundNotification[] =
    "UIApplicationDidEnterBackgroundNotification";
inline constexpr char kApplicationWillEnterForegroundNotification[] =
    "UIApplicationWillEnterForegroundNotification";
inline constexpr char kApplicationDidBecomeActiveNotification[] =
    "UIApplicationDidBecomeActiveNotification";

using BackgroundTaskIdentifier = std::uint64_t;
constexpr BackgroundTaskIdentifier kInvalidBackgroundTask = 0;

enum class ApplicationState { Active = 0, Inactive = 1, Background = 2 };

// The process's application object: life-cycle notifications and background tasks. The simulate
// calls stand in for the system and post synchronously on the calling thread with no object.
class Application {
 public:
  static Application& shared();

  BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler);
  void endBackgroundTask(BackgroundTaskIdentifier identifier);  // unknown ids are ignored
  std::size_t backgroundTaskCount() const;
  // Runs the expiration handler of every task begun before the call, once each; a handler may
  // end its task (or any other). Tasks stay counted until they are ended.
  void expireBackgroundTasks();

  ApplicationState applicationState() const;

  void simulateMemoryWarning();
  void simulateWillTerminate();
  void simulateDidEnterBackground();
  void simulateWillEnterForeground();
  void simulateDidBecomeActive();

 private:
  Application() = default;
  void setState(ApplicationState state);

  mutable std::mutex mutex_;
  BackgroundTaskIdentifier nextTask_ = 1;
  // Pending tasks; a task whose handler has run keeps an empty handler until it is ended.
  std::map<BackgroundTaskIdentifier, std::function<void()>> tasks_;
  ApplicationState state_ = ApplicationState::Active;
};

}  // namespace platform
