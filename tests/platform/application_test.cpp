#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"

using namespace platform;

TEST(ApplicationTest, BackgroundTasksExpireOnceAndEndByIdentifier) {
  Application& app = Application::shared();
  const std::size_t before = app.backgroundTaskCount();
  std::vector<std::string> expired;
  BackgroundTaskIdentifier first = kInvalidBackgroundTask;
  BackgroundTaskIdentifier third = kInvalidBackgroundTask;
  first = app.beginBackgroundTask([&] {
    expired.push_back("first");
    app.endBackgroundTask(first);
    app.endBackgroundTask(third);      // ending another pending task skips its expiration
    app.beginBackgroundTask(nullptr);  // begun during expiry: not expired in this pass
  });
  const BackgroundTaskIdentifier second =
      app.beginBackgroundTask([&] { expired.push_back("second"); });
  third = app.beginBackgroundTask([&] { expired.push_back("third"); });
  EXPECT_NE(first, kInvalidBackgroundTask);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_EQ(app.backgroundTaskCount(), before + 3);

  app.endBackgroundTask(kInvalidBackgroundTask);
  app.endBackgroundTask(third + 1000);  // unknown: ignored
  app.expireBackgroundTasks();
  EXPECT_EQ(expired, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(app.backgroundTaskCount(), before + 2);  // "second" and the one begun in "first"
  app.expireBackgroundTasks();
  EXPECT_EQ(expired.size(), 2u);  // each handler runs once
  app.endBackgroundTask(second);
  app.endBackgroundTask(second);
  EXPECT_EQ(app.backgroundTaskCount(), before + 1);
  app.endBackgroundTask(third + 1);
  EXPECT_EQ(app.backgroundTaskCount(), before);
}

TEST(ApplicationTest, SimulatedEventsPostSynchronouslyWithoutObject) {
  std::vector<std::string> seen;
  auto token =
      NotificationCenter::defaultCenter().addObserver("", nullptr, [&](const Notification& n) {
        if (n.name.starts_with("UIApplication"))
          seen.push_back(n.name + (n.object ? "+object" : ""));
      });
  Application& app = Application::shared();
  app.simulateMemoryWarning();
  app.simulateDidEnterBackground();
  EXPECT_EQ(app.applicationState(), ApplicationState::Background);
  app.simulateWillEnterForeground();
  app.simulateDidBecomeActive();
  EXPECT_EQ(app.applicationState(), ApplicationState::Active);
  app.simulateWillTerminate();
  EXPECT_EQ(seen, (std::vector<std::string>{kApplicationDidReceiveMemoryWarningNotification,
                                            kApplicationDidEnterBackgroundNotification,
                                            kApplicationWillEnterForegroundNotification,
                                            kApplicationDidBecomeActiveNotification,
                                            kApplicationWillTerminateNotification}));
}
