#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/OperationQueue.h"
#include "platform/net/NetworkLoop.h"
#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using platform::NetworkLoop;
namespace URLError = platform::URLError;

// Notes, for every call, whether it ran as an operation of the delegate queue and whether the
// network thread ran it.
class ThreadNotingDelegate : public RecordingDelegate {
 public:
  std::shared_ptr<platform::OperationQueue> queue;
  std::atomic<int> calls{0};
  std::atomic<int> offQueue{0};
  std::atomic<int> onNetworkThread{0};

  void didReceiveResponse(platform::URLSession& session,
                          const std::shared_ptr<platform::URLSessionDataTask>& task,
                          const std::shared_ptr<const platform::URLResponse>& response,
                          ResponseHandler handler) override {
    note();
    RecordingDelegate::didReceiveResponse(session, task, response, std::move(handler));
  }
  void didReceiveData(platform::URLSession& session,
                      const std::shared_ptr<platform::URLSessionDataTask>& task,
                      const platform::Data& data) override {
    note();
    RecordingDelegate::didReceiveData(session, task, data);
  }
  void didCompleteWithError(platform::URLSession& session,
                            const std::shared_ptr<platform::URLSessionDataTask>& task,
                            const std::optional<platform::Error>& error) override {
    note();
    RecordingDelegate::didCompleteWithError(session, task, error);
  }

 private:
  void note() {
    ++calls;
    if (!queue || !queue->isCurrent()) ++offQueue;
    if (NetworkLoop::isNetworkThread()) ++onNetworkThread;
  }
};

class DeliveryTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    noting_ = std::make_shared<ThreadNotingDelegate>();
    delegate_ = noting_;
    for (int i = 0; i < kPaths; ++i) {
      // Several reads' worth each, so bytes arrive over more than one round.
      server_->serve("/big" + std::to_string(i), body(i));
    }
  }
  static std::string body(int i) { return std::string(150000 + i, static_cast<char>('a' + i)); }
  // Runs `count` concurrent loads, each task set to allow delivery on the network thread or not.
  std::vector<std::shared_ptr<platform::URLSessionDataTask>> loadAll(int count, bool allow) {
    // No URL cache: an answer from it would come from the caller's thread, not the network's.
    session_ = makeSession([](auto& configuration) { configuration.setURLCache(nullptr); });
    const std::size_t before = noting_->completionCount();
    noting_->queue = session_->delegateQueue();
    std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
    for (int i = 0; i < count; ++i) {
      tasks.push_back(session_->dataTaskWithRequest(request("/big" + std::to_string(i % kPaths))));
      tasks.back()->setDeliversOnNetworkThreadWhenIdle(allow);
      tasks.back()->resume();
    }
    // The delegate counts completions over every session of the test.
    EXPECT_TRUE(noting_->waitForCompletions(before + count, 60));
    return tasks;
  }
  void expectWholeAndInOrder(
      const std::vector<std::shared_ptr<platform::URLSessionDataTask>>& tasks) {
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      const TaskLog log = noting_->log(tasks[i]);
      EXPECT_EQ(log.errorCode(), 0);
      EXPECT_TRUE(log.body == body(static_cast<int>(i) % kPaths)) << i;  // no 150 KB dumps
      ASSERT_FALSE(log.order.empty());
      EXPECT_EQ(log.order.front(), "response");
      EXPECT_EQ(log.order.back(), "complete");
      EXPECT_EQ(log.completions.size(), 1u);
      EXPECT_EQ(tasks[i]->countOfBytesReceived(), static_cast<std::int64_t>(log.body.size()));
    }
    EXPECT_FALSE(noting_->overlapped());
    EXPECT_EQ(noting_->offQueue.load(), 0);  // always an operation of the delegate queue
  }

  static constexpr int kPaths = 4;
  std::shared_ptr<ThreadNotingDelegate> noting_;
};

// With nothing else on the delegate queue, every event of a task that allows it is delivered by
// the network thread itself, still as the queue's operation, one at a time and in order; a task
// that does not allow it never sees the network thread.
TEST_F(DeliveryTest, TheNetworkThreadDeliversOnlyForTasksThatAllowIt) {
  auto allowed = loadAll(12, true);
  expectWholeAndInOrder(allowed);
  EXPECT_GT(noting_->calls.load(), 0);
  EXPECT_EQ(noting_->onNetworkThread.load(), noting_->calls.load());

  noting_->calls = 0;
  noting_->onNetworkThread = 0;
  auto refused = loadAll(12, false);
  expectWholeAndInOrder(refused);
  EXPECT_GT(noting_->calls.load(), 0);
  EXPECT_EQ(noting_->onNetworkThread.load(), 0);
}

// Work the delegate queue already has goes first: an operation queued on it while the network
// thread would deliver keeps its place, and the events wait behind it.
TEST_F(DeliveryTest, ABusyDelegateQueueKeepsItsOrder) {
  session_ = makeSession();
  noting_->queue = session_->delegateQueue();
  std::promise<void> open;
  std::atomic<bool> blockerRan{false};
  session_->delegateQueue()->addOperation([&, opened = open.get_future().share()] {
    opened.wait();
    blockerRan = true;
  });
  auto task = session_->dataTaskWithRequest(request("/big0"));
  task->setDeliversOnNetworkThreadWhenIdle(true);
  std::atomic<bool> blockerFirst{false};
  noting_->onData = [&](const auto&) { blockerFirst = blockerRan.load(); };
  task->resume();
  ASSERT_TRUE(server_->waitForRequests(1, std::chrono::seconds(20)));
  open.set_value();
  ASSERT_TRUE(noting_->waitForCompletion(task));
  EXPECT_TRUE(blockerFirst);
  EXPECT_TRUE(noting_->log(task).body == body(0));
  EXPECT_EQ(noting_->offQueue.load(), 0);
}

// A delegate running on the network thread may cancel its own task: nothing follows but the one
// cancelled completion, and the loop goes on serving other tasks.
TEST_F(DeliveryTest, CancellingFromAnEventDeliveredByTheNetworkThread) {
  server_->serveStall("/stall", std::string(1000, 's'), 100000);
  session_ = makeSession();
  noting_->queue = session_->delegateQueue();
  noting_->onData = [](const std::shared_ptr<platform::URLSessionDataTask>& task) {
    task->cancel();
  };
  auto task = session_->dataTaskWithRequest(request("/stall"));
  task->setDeliversOnNetworkThreadWhenIdle(true);
  task->resume();
  ASSERT_TRUE(noting_->waitForCompletion(task));
  const TaskLog log = noting_->log(task);
  EXPECT_EQ(log.errorCode(), URLError::Cancelled);
  EXPECT_EQ(log.completions.size(), 1u);
  EXPECT_EQ(log.order.back(), "complete");
  EXPECT_EQ(std::count(log.order.begin(), log.order.end(), "data"), 1);

  noting_->onData = nullptr;
  auto after = session_->dataTaskWithRequest(request("/big1"));
  after->setDeliversOnNetworkThreadWhenIdle(true);
  after->resume();
  ASSERT_TRUE(noting_->waitForCompletion(after));
  EXPECT_TRUE(noting_->log(after).body == body(1));
}

}  // namespace
}  // namespace nettest
