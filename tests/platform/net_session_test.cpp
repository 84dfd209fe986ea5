// Loads through a session and its delegate: what is sent and received, cancelling, timeouts,
// transport failures, and which thread delivers the events.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cstdio>
#include <future>
#include <thread>

#include "platform/dispatch/OperationQueue.h"
#include "platform/foundation/Error.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/NetworkLoop.h"
#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"

namespace nettest {
namespace {

using platform::HTTPURLResponse;
using platform::URLRequest;
using platform::URLSessionTaskState;
namespace URLError = platform::URLError;

std::shared_ptr<const HTTPURLResponse> httpResponse(const TaskLog& log) {
  return log.responses.empty()
             ? nullptr
             : std::dynamic_pointer_cast<const HTTPURLResponse>(log.responses.back());
}

TEST_F(SessionTest, SendsExactlyTheGivenHeadersAndReportsTheResponse) {
  server_->serve("/pic", std::string(3000, 'p'), "image/png", {{"X-Served", "yes"}});
  session_ = makeSession();
  URLRequest withAccept = request("/pic");
  withAccept.setValue("image/*;q=0.8", "Accept");
  withAccept.setValue("1", "X-Sprout");
  auto task = session_->dataTaskWithRequest(withAccept);
  EXPECT_EQ(task->state(), URLSessionTaskState::Suspended);
  EXPECT_EQ(server_->requestCount(), 0u);  // nothing happens before resume
  task->resume();
  ASSERT_TRUE(delegate_->waitForCompletion(task));

  const auto sent = server_->lastRequest("/pic");
  ASSERT_TRUE(sent);
  auto names = sent->headerNames();
  std::sort(names.begin(), names.end());
  // libcurl adds neither its own Accept nor a User-Agent; Accept-Encoding is how it offers to
  // decode, and Host is HTTP/1.1 itself.
  EXPECT_EQ(names, (std::vector<std::string>{"accept", "accept-encoding", "host", "x-sprout"}));
  EXPECT_EQ(sent->header("Accept"), "image/*;q=0.8");

  const TaskLog log = delegate_->log(task);
  ASSERT_EQ(log.completions.size(), 1u);
  EXPECT_FALSE(log.completions[0]);
  EXPECT_EQ(log.order.front(), "response");
  EXPECT_EQ(log.order.back(), "complete");
  auto response = httpResponse(log);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->statusCode(), 200);
  EXPECT_EQ(response->expectedContentLength(), 3000);
  EXPECT_EQ(response->MIMEType(), "image/png");
  EXPECT_EQ(response->valueForHTTPHeaderField("x-served"), "yes");
  EXPECT_EQ(log.body, std::string(3000, 'p'));
  EXPECT_EQ(task->state(), URLSessionTaskState::Completed);
  EXPECT_EQ(task->countOfBytesReceived(), 3000);
  EXPECT_EQ(task->response(), log.responses.back());

  auto plain = load(*session_, request("/pic"));
  EXPECT_FALSE(server_->lastRequest("/pic")->header("Accept"));
  EXPECT_FALSE(delegate_->overlapped());
}

TEST_F(SessionTest, BodiesWithoutALengthAreUnknownButComplete) {
  server_->serveChunked("/chunked", {"alpha-", "beta-", "gamma"});
  server_->serveUntilClose("/close", std::string(5000, 'c'));
  server_->serve("/missing", "nope", "text/plain", {}, 404);
  session_ = makeSession();

  const TaskLog chunked = delegate_->log(load(*session_, request("/chunked")));
  ASSERT_TRUE(httpResponse(chunked));
  EXPECT_EQ(httpResponse(chunked)->expectedContentLength(), -1);
  EXPECT_EQ(chunked.body, "alpha-beta-gamma");
  EXPECT_EQ(chunked.errorCode(), 0);

  const TaskLog closed = delegate_->log(load(*session_, request("/close")));
  EXPECT_EQ(httpResponse(closed)->expectedContentLength(), -1);
  EXPECT_EQ(closed.body.size(), 5000u);
  EXPECT_EQ(closed.errorCode(), 0);

  // Text is compressed by the server (it was offered every coding libcurl decodes) and arrives
  // decoded, its length unknown since the announced one counts coded bytes.
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + "\n";
  server_->serve("/text", text, "text/plain");
  const TaskLog coded = delegate_->log(load(*session_, request("/text")));
  EXPECT_TRUE(httpResponse(coded)->valueForHTTPHeaderField("Content-Encoding"));
  EXPECT_EQ(httpResponse(coded)->expectedContentLength(), -1);
  EXPECT_EQ(coded.body, text);

  // An error status is a response like any other, not a failure of the load.
  const TaskLog missing = delegate_->log(load(*session_, request("/missing")));
  EXPECT_EQ(missing.status(), 404);
  EXPECT_EQ(missing.body, "nope");
  EXPECT_EQ(missing.errorCode(), 0);
}

TEST_F(SessionTest, CancelCompletesExactlyOnceWithCancelled) {
  server_->serveStall("/stall", std::string(1000, 's'), 100000);
  server_->serve("/after", "after");
  session_ = makeSession();

  auto task = session_->dataTaskWithRequest(request("/stall"));
  task->resume();
  ASSERT_TRUE(delegate_->waitForEvent(task, "data"));
  // Racing cancels from several threads still give one completion.
  std::vector<std::thread> cancellers;
  for (int i = 0; i < 4; ++i) cancellers.emplace_back([task] { task->cancel(); });
  task->cancel();
  for (auto& thread : cancellers) thread.join();
  ASSERT_TRUE(delegate_->waitForCompletion(task));
  // A later task's completion comes after anything the cancelled one could still have sent.
  load(*session_, request("/after"));
  const TaskLog log = delegate_->log(task);
  ASSERT_EQ(log.completions.size(), 1u);
  EXPECT_EQ(log.errorCode(), URLError::Cancelled);
  EXPECT_EQ(log.completions[0]->domain, platform::kURLErrorDomain);
  EXPECT_EQ(log.order.back(), "complete");
  EXPECT_EQ(task->state(), URLSessionTaskState::Completed);

  // Cancelled before it ever ran: the completion still comes, and no request is made.
  auto never = session_->dataTaskWithRequest(request("/never"));
  never->cancel();
  ASSERT_TRUE(delegate_->waitForCompletion(never));
  never->resume();
  load(*session_, request("/after"));
  EXPECT_EQ(delegate_->log(never).errorCode(), URLError::Cancelled);
  EXPECT_EQ(delegate_->log(never).completions.size(), 1u);
  EXPECT_EQ(server_->requestCount("/never"), 0u);
}

TEST_F(SessionTest, TheTimeoutIsForSilenceNotForTheWholeLoad) {
  // Six chunks a quarter second apart take longer than the one-second timeout in all, but no
  // gap comes near it.
  std::vector<std::string> chunks(6, std::string(100, 'd'));
  server_->serveSlowDrip("/drip", chunks, std::chrono::milliseconds(250));
  server_->serveStall("/stall", "head", 1000);
  session_ = makeSession();

  URLRequest drip = request("/drip");
  drip.setTimeoutInterval(1.0);
  const TaskLog dripped = delegate_->log(load(*session_, drip));
  EXPECT_EQ(dripped.errorCode(), 0);
  EXPECT_EQ(dripped.body.size(), 600u);

  URLRequest stall = request("/stall");
  stall.setTimeoutInterval(0.4);
  const TaskLog stalled = delegate_->log(load(*session_, stall));
  EXPECT_EQ(stalled.errorCode(), URLError::TimedOut);
  EXPECT_EQ(stalled.body, "head");
  EXPECT_EQ(stalled.completions.size(), 1u);
}

TEST_F(SessionTest, RedirectsAreFollowedUpToTheCap) {
  server_->serveRedirect("/first", "/second");
  server_->serveRedirect("/second", "/final");
  server_->serve("/final", "landed");
  server_->serveRedirect("/loop", "/loop");
  session_ = makeSession([](platform::URLSessionConfiguration& c) { c.setMaximumRedirects(4); });

  const TaskLog followed = delegate_->log(load(*session_, request("/first")));
  EXPECT_EQ(followed.body, "landed");
  ASSERT_EQ(followed.responses.size(), 1u);  // the hops are not reported
  EXPECT_EQ(followed.responses[0]->url().absoluteString(), server_->url("/final"));

  const TaskLog looped = delegate_->log(load(*session_, request("/loop")));
  EXPECT_EQ(looped.errorCode(), URLError::HTTPTooManyRedirects);
  EXPECT_TRUE(looped.responses.empty());
  EXPECT_EQ(server_->requestCount("/loop"), 5u);  // the first request and four redirects
}

TEST_F(SessionTest, TransportFailuresBecomeTheirURLErrors) {
  server_->serveReset("/reset", std::string(2000, 'r'), 50000);
  server_->serveTruncated("/short", std::string(2000, 't'), 50000);
  int closedPort = 0;
  {
    auto gone = TestHTTPServer::start();
    closedPort = gone->port();
  }
  TemporaryFolder files;
  const std::string existing = files.path() + "/photo.png";
  {
    FILE* file = std::fopen(existing.c_str(), "wb");
    std::fputs("not really a png", file);
    std::fclose(file);
  }
  session_ = makeSession();
  auto codeFor = [&](const std::string& url) {
    return delegate_->log(load(*session_, URLRequest(urlOf(url)))).errorCode();
  };
  EXPECT_EQ(codeFor(server_->url("/reset")), URLError::NetworkConnectionLost);
  EXPECT_EQ(codeFor(server_->url("/short")), URLError::NetworkConnectionLost);
  EXPECT_EQ(codeFor("http://127.0.0.1:" + std::to_string(closedPort) + "/"),
            URLError::CannotConnectToHost);
  EXPECT_EQ(codeFor("ftp://127.0.0.1/file"), URLError::UnsupportedURL);
  EXPECT_EQ(codeFor("file://" + files.path() + "/absent.png"), URLError::FileDoesNotExist);

  const TaskLog file =
      delegate_->log(load(*session_, URLRequest(platform::URL::fileURL(existing))));
  EXPECT_EQ(file.errorCode(), 0);
  EXPECT_EQ(file.body, "not really a png");
  ASSERT_EQ(file.responses.size(), 1u);
  EXPECT_FALSE(httpResponse(file));  // not an HTTP response
  EXPECT_EQ(file.responses[0]->MIMEType(), "image/png");
  EXPECT_EQ(file.responses[0]->expectedContentLength(), 16);

  // The .invalid domain never resolves (RFC 6761); skip where a resolver claims otherwise.
  const long unknownHost = codeFor("http://nonexistent.invalid/");
  if (unknownHost != 0) {
    EXPECT_EQ(unknownHost, URLError::CannotFindHost);
  }
}

TEST_F(SessionTest, TheDelegateMayRefuseAResponse) {
  server_->serve("/refused", std::string(10000, 'x'));
  session_ = makeSession();
  delegate_->responseDecision = [](const platform::URLResponse&) {
    return platform::URLSessionResponseDisposition::Cancel;
  };
  const TaskLog log = delegate_->log(load(*session_, request("/refused")));
  EXPECT_EQ(log.errorCode(), URLError::Cancelled);
  EXPECT_TRUE(log.body.empty());
  EXPECT_EQ(log.completions.size(), 1u);
}

TEST_F(SessionTest, ACompletionHandlerGetsTheWholeBody) {
  server_->serveChunked("/whole", {"one ", "two ", "three"});
  session_ = makeSession();
  core_test::Waiter waiter;
  std::optional<platform::Data> body;
  std::optional<platform::Error> failure;
  bool finished = false;
  auto task = session_->dataTaskWithRequest(
      request("/whole"), [&](std::optional<platform::Data> data, auto, auto error) {
        waiter.update([&] { body = std::move(data), failure = std::move(error), finished = true; });
      });
  task->resume();
  ASSERT_TRUE(waiter.waitFor([&] { return finished; }));
  ASSERT_TRUE(body);
  EXPECT_EQ(std::string(body->begin(), body->end()), "one two three");
  EXPECT_FALSE(failure);
  EXPECT_TRUE(delegate_->log(task).order.empty());  // the delegate hears none of it
}

// A body is written once: into a chunk with room for what the response announced, which the
// delegate may keep as its own buffer. What is announced is believed only as far as the cap, and
// a length that lies never makes the task read past it or hold more.
TEST_F(SessionTest, BodiesGoIntoRoomForTheAnnouncedLengthWithinTheCap) {
  std::string picture(300000, '\0');
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 7 + i / 251);
  server_->serve("/pic", picture, "image/jpeg");
  server_->serveTruncated("/short", std::string(2000, 's'), 50000);  // fewer bytes than said
  server_->serveTruncated("/long", std::string(5000, 'l'), 1000);    // more bytes than said
  server_->serveStall("/huge", std::string(1000, 'h'), std::size_t{200} << 20);
  server_->serveChunked("/unsaid", {std::string(7000, 'u'), std::string(9000, 'v')});
  session_ = makeSession();

  const TaskLog whole = delegate_->log(load(*session_, request("/pic")));
  EXPECT_EQ(whole.errorCode(), 0);
  EXPECT_TRUE(whole.body == picture);
  ASSERT_FALSE(whole.chunkRoom.empty());
  EXPECT_EQ(whole.chunkRoom.front(), picture.size());  // one allocation, never regrown

  const TaskLog shorter = delegate_->log(load(*session_, request("/short")));
  EXPECT_NE(shorter.errorCode(), 0);
  EXPECT_LE(shorter.body.size(), 2000u);
  for (std::size_t room : shorter.chunkRoom) EXPECT_LE(room, 50000u);

  const TaskLog unsaid = delegate_->log(load(*session_, request("/unsaid")));
  EXPECT_EQ(unsaid.body, std::string(7000, 'u') + std::string(9000, 'v'));

  // 200 MB announced (within the session's limit), 1000 bytes sent: the room stops at the cap.
  delegate_->onData = [](const std::shared_ptr<platform::URLSessionDataTask>& task) {
    task->cancel();
  };
  const TaskLog huge = delegate_->log(load(*session_, request("/huge")));
  delegate_->onData = nullptr;
  server_->releaseStalled();
  ASSERT_FALSE(huge.chunkRoom.empty());
  EXPECT_GE(huge.chunkRoom.front(), huge.body.size());
  EXPECT_LE(huge.chunkRoom.front(), platform::URLSessionDataTask::kMaxBodyReservation);
  EXPECT_EQ(huge.errorCode(), URLError::Cancelled);

  // Last: the bytes past the announced end are left on that connection, where a later request
  // sent over it would read them as its answer.
  const TaskLog longer = delegate_->log(load(*session_, request("/long")));
  EXPECT_EQ(longer.body, std::string(1000, 'l'));
  for (std::size_t room : longer.chunkRoom) EXPECT_LE(room, 1000u);
}

// resume() and cancel() from two threads at once: each task completes once, ends Completed, and
// the session is not left believing one still runs (it would never report its invalidation).
TEST_F(SessionTest, ResumeRacingCancelLeavesNothingRunning) {
  session_ = makeSession();
  constexpr int kTasks = 300;
  std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
  for (int i = 0; i < kTasks; ++i) {
    // An unsupported scheme completes inside resume(), so the race needs no server.
    tasks.push_back(session_->dataTaskWithURL(urlOf("ftp://example.invalid/" + std::to_string(i))));
  }
  std::barrier sync(2);
  std::thread canceller([&] {
    for (auto& task : tasks) {
      sync.arrive_and_wait();
      task->cancel();
    }
  });
  for (auto& task : tasks) {
    sync.arrive_and_wait();
    task->resume();
  }
  canceller.join();
  ASSERT_TRUE(delegate_->waitForCompletions(kTasks));
  session_->finishTasksAndInvalidate();
  EXPECT_TRUE(delegate_->waitForInvalidation());
  for (auto& task : tasks) {
    EXPECT_EQ(delegate_->log(task).completions.size(), 1u);
    EXPECT_EQ(task->state(), URLSessionTaskState::Completed);
  }
  EXPECT_EQ(delegate_->completionCount(), static_cast<std::size_t>(kTasks));
}

class DeliveryTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    // Notes, for every call, whether it ran as an operation of the delegate queue and whether the
    // network thread ran it.
    delegate_->onCall = [this] {
      ++calls_;
      if (!queue_ || !queue_->isCurrent()) ++offQueue_;
      if (platform::NetworkLoop::isNetworkThread()) ++onNetworkThread_;
    };
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
    const std::size_t before = delegate_->completionCount();
    queue_ = session_->delegateQueue();
    std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
    for (int i = 0; i < count; ++i) {
      tasks.push_back(session_->dataTaskWithRequest(request("/big" + std::to_string(i % kPaths))));
      tasks.back()->setDeliversOnNetworkThreadWhenIdle(allow);
      tasks.back()->resume();
    }
    // The delegate counts completions over every session of the test.
    EXPECT_TRUE(delegate_->waitForCompletions(before + count, 60));
    return tasks;
  }
  void expectWholeAndInOrder(
      const std::vector<std::shared_ptr<platform::URLSessionDataTask>>& tasks) {
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      const TaskLog log = delegate_->log(tasks[i]);
      EXPECT_EQ(log.errorCode(), 0);
      EXPECT_TRUE(log.body == body(static_cast<int>(i) % kPaths)) << i;  // no 150 KB dumps
      ASSERT_FALSE(log.order.empty());
      EXPECT_EQ(log.order.front(), "response");
      EXPECT_EQ(log.order.back(), "complete");
      EXPECT_EQ(log.completions.size(), 1u);
      EXPECT_EQ(tasks[i]->countOfBytesReceived(), static_cast<std::int64_t>(log.body.size()));
    }
    EXPECT_FALSE(delegate_->overlapped());
    EXPECT_EQ(offQueue_.load(), 0);  // always an operation of the delegate queue
  }

  static constexpr int kPaths = 4;
  std::shared_ptr<platform::OperationQueue> queue_;
  std::atomic<int> calls_{0}, offQueue_{0}, onNetworkThread_{0};
};

// With nothing else on the delegate queue, every event of a task that allows it is delivered by
// the network thread itself, still as the queue's operation, one at a time and in order; a task
// that does not allow it never sees the network thread.
TEST_F(DeliveryTest, TheNetworkThreadDeliversOnlyForTasksThatAllowIt) {
  auto allowed = loadAll(12, true);
  expectWholeAndInOrder(allowed);
  EXPECT_GE(server_->peakConnections(), 2);  // concurrent loads, not one after the other
  EXPECT_GT(calls_.load(), 0);
  EXPECT_EQ(onNetworkThread_.load(), calls_.load());

  calls_ = 0;
  onNetworkThread_ = 0;
  auto refused = loadAll(12, false);
  expectWholeAndInOrder(refused);
  EXPECT_GT(calls_.load(), 0);
  EXPECT_EQ(onNetworkThread_.load(), 0);
}

// Work the delegate queue already has goes first: an operation queued on it while the network
// thread would deliver keeps its place, and the events wait behind it.
TEST_F(DeliveryTest, ABusyDelegateQueueKeepsItsOrder) {
  session_ = makeSession();
  queue_ = session_->delegateQueue();
  std::promise<void> open;
  std::atomic<bool> blockerRan{false};
  session_->delegateQueue()->addOperation([&, opened = open.get_future().share()] {
    opened.wait();
    blockerRan = true;
  });
  auto task = session_->dataTaskWithRequest(request("/big0"));
  task->setDeliversOnNetworkThreadWhenIdle(true);
  std::atomic<bool> blockerFirst{false};
  delegate_->onData = [&](const auto&) { blockerFirst = blockerRan.load(); };
  task->resume();
  ASSERT_TRUE(server_->waitForRequests(1, std::chrono::seconds(20)));
  open.set_value();
  ASSERT_TRUE(delegate_->waitForCompletion(task));
  EXPECT_TRUE(blockerFirst);
  EXPECT_TRUE(delegate_->log(task).body == body(0));
  EXPECT_EQ(offQueue_.load(), 0);
}

// A delegate running on the network thread may cancel its own task: nothing follows but the one
// cancelled completion, and the loop goes on serving other tasks.
TEST_F(DeliveryTest, CancellingFromAnEventDeliveredByTheNetworkThread) {
  server_->serveStall("/stall", std::string(1000, 's'), 100000);
  session_ = makeSession();
  queue_ = session_->delegateQueue();
  delegate_->onData = [](const std::shared_ptr<platform::URLSessionDataTask>& task) {
    task->cancel();
  };
  auto task = session_->dataTaskWithRequest(request("/stall"));
  task->setDeliversOnNetworkThreadWhenIdle(true);
  task->resume();
  ASSERT_TRUE(delegate_->waitForCompletion(task));
  const TaskLog log = delegate_->log(task);
  EXPECT_EQ(log.errorCode(), URLError::Cancelled);
  EXPECT_EQ(log.completions.size(), 1u);
  EXPECT_EQ(log.order.back(), "complete");
  EXPECT_EQ(std::count(log.order.begin(), log.order.end(), "data"), 1);

  delegate_->onData = nullptr;
  auto after = session_->dataTaskWithRequest(request("/big1"));
  after->setDeliversOnNetworkThreadWhenIdle(true);
  after->resume();
  ASSERT_TRUE(delegate_->waitForCompletion(after));
  EXPECT_TRUE(delegate_->log(after).body == body(1));
}

}  // namespace
}  // namespace nettest
