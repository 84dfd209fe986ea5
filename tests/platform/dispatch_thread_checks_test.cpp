// The main-thread rules and the main/queue deadlock check abort with a clear message in debug and
// sanitizer builds; these death tests run only there.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/animation/Layer.h"
#include "platform/animation/Transaction.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/layout/LayoutEngine.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Responder.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

class ThreadChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kThreadChecks) GTEST_SKIP() << "thread checks are compiled out of release builds";
    // Worker threads exist already; the child re-runs the binary up to this test.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
  void TearDown() override { RunLoop::main().runPending(); }
};

void onWorker(const std::function<void()>& fn) { std::thread(fn).join(); }

TEST_F(ThreadChecks, ViewAndLayerChangesOffMainAbortNamingTheRule) {
  auto view = View::create(makeRect(0, 0, 10, 10));
  auto child = View::create(makeRect(0, 0, 5, 5));
  EXPECT_DEATH(onWorker([&] { view->setNeedsLayout(); }),
               "View::setNeedsLayout must run on the main thread");
  EXPECT_DEATH(onWorker([&] { view->setNeedsDisplay(); }), "View::setNeedsDisplay");
  EXPECT_DEATH(onWorker([&] { view->addSubview(child); }), "View::insertSubview");
  view->addSubview(child);
  EXPECT_DEATH(onWorker([&] { child->removeFromSuperview(); }), "View::removeFromSuperview");
  EXPECT_DEATH(onWorker([&] {
                 child.reset();
                 view.reset();
               }),
               "View destruction");
  auto layer = Layer::create();
  EXPECT_DEATH(onWorker([&] { layer->setOpacity(0.5); }), "Layer property change");
  EXPECT_DEATH(onWorker([&] { layer->addSublayer(Layer::create()); }), "Layer::insertSublayer");
  EXPECT_DEATH(onWorker([] { Transaction::begin(); }), "Transaction must run on the main thread");
  // On the main thread every one of them is fine.
  view->setNeedsLayout();
  layer->setOpacity(0.5);
  child->removeFromSuperview();
}

// A recognizer whose state the test moves itself, as a subclass recognising a gesture would.
class Recognizer : public GestureRecognizer {
  using GestureRecognizer::GestureRecognizer;

 public:
  void begin() { setState(State::Began); }
};

TEST_F(ThreadChecks, MainOnlyRecordsBesideTheViewTreeAbortOffMain) {
  auto recognizer = Object::make<Recognizer>();
  EXPECT_DEATH(onWorker([&] { recognizer->begin(); }),
               "GestureRecognizer arbitration must run on the main thread");
  auto root = View::create(makeRect(0, 0, 10, 10));
  EXPECT_DEATH(onWorker([&] { LayoutEngine::noteContentSizeChange(*root); }),
               "LayoutEngine registry must run on the main thread");
  EXPECT_DEATH(onWorker([] { Responder::currentFirstResponder(); }),
               "Responder's last first responder must run on the main thread");
  EXPECT_DEATH(onWorker([] { View::animateWithDuration(0.25, [] {}); }),
               "View animation block stack must run on the main thread");
  // On the main thread the same calls go through.
  recognizer->begin();
  EXPECT_EQ(recognizer->state(), GestureRecognizer::State::Began);
  LayoutEngine::noteContentSizeChange(*root);
  EXPECT_EQ(Responder::currentFirstResponder(), nullptr);
  View::animateWithDuration(0.25, [] {});
}

// A serial queue whose task waits synchronously for main, while main waits in sync() for that
// very queue: without the check both threads would sleep for ever.
void deadlockMainAndQueue(bool workerWaitsFirst) {
  auto queue = DispatchQueue::createSerial("test.deadlock");
  std::atomic<bool> mainAboutToBlock{false};
  queue->async([&] {
    if (!workerWaitsFirst) {
      while (!mainAboutToBlock.load()) std::this_thread::yield();
    }
    DispatchQueue::main()->sync([] {});
  });
  if (workerWaitsFirst) {
    while (RunLoop::main().pendingTaskCount() == 0) std::this_thread::yield();
  }
  mainAboutToBlock = true;
  queue->sync([] {});
}

TEST_F(ThreadChecks, MainBlockedOnAQueueWhoseTaskWaitsForMainAborts) {
  EXPECT_DEATH(deadlockMainAndQueue(true),
               "deadlock: the main thread is blocked in sync\\(\\) "
               "on queue \"test.deadlock\"");
  EXPECT_DEATH(deadlockMainAndQueue(false), "queue \"test.deadlock\" while a task of that queue");
}

TEST_F(ThreadChecks, WaitsThatCannotDeadlockPass) {
  // A task of one queue waits for main while main syncs onto another queue.
  auto waiting = DispatchQueue::createSerial("test.waiting");
  auto other = DispatchQueue::createSerial("test.other");
  std::atomic<bool> served{false};
  waiting->async([&] { DispatchQueue::main()->sync([&] { served = true; }); });
  while (RunLoop::main().pendingTaskCount() == 0) std::this_thread::yield();
  int ran = 0;
  other->sync([&] { ++ran; });
  // A plain sync onto a concurrent queue is let in beside a task of it that waits for main.
  auto concurrent = DispatchQueue::createConcurrent("test.concurrent");
  std::atomic<bool> servedConcurrent{false};
  concurrent->async([&] { DispatchQueue::main()->sync([&] { servedConcurrent = true; }); });
  while (RunLoop::main().pendingTaskCount() < 2) std::this_thread::yield();
  concurrent->sync([&] { ++ran; });
  EXPECT_EQ(ran, 2);
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return served && servedConcurrent; }, 20));
  waiting->sync([] {});
  concurrent->barrierSync([] {});
}

}  // namespace
}  // namespace platform
