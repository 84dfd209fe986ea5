#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/foundation/URL.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLSession.h"
#include "platform/net/URLSessionDataDelegate.h"
#include "platform/net/URLSessionDataTask.h"
#include "tests/platform/core_support.h"
#include "tests/support/net_test_server.h"

namespace nettest {

inline platform::URL urlOf(const std::string& text) { return *platform::URL::parse(text); }

// Everything one task told its delegate, in order.
struct TaskLog {
  std::vector<std::string> order;  // "response", "data", "cache", "challenge", "complete"
  std::vector<std::shared_ptr<const platform::URLResponse>> responses;
  std::string body;
  std::size_t chunks = 0;
  std::vector<std::size_t> chunkRoom;  // the capacity each delivered chunk came with
  std::vector<std::optional<platform::Error>> completions;
  std::vector<platform::URLAuthenticationChallenge> challenges;
  std::vector<platform::CachedURLResponse> cacheOffers;

  long errorCode() const {
    return completions.empty() || !completions.back() ? 0 : completions.back()->code;
  }
  long status() const {
    if (responses.empty()) return 0;
    auto http = std::dynamic_pointer_cast<const platform::HTTPURLResponse>(responses.back());
    return http ? http->statusCode() : 0;
  }
};

// A delegate that writes everything down and answers as the test tells it. It notices if two of
// its calls ever overlap (the delegate queue must be serial).
class RecordingDelegate : public platform::URLSessionDataDelegate {
 public:
  using Disposition = platform::URLSessionAuthChallengeDisposition;
  using Answer = std::pair<Disposition, std::optional<platform::URLCredential>>;

  std::function<platform::URLSessionResponseDisposition(const platform::URLResponse&)>
      responseDecision;
  std::function<Answer(const platform::URLAuthenticationChallenge&)> challengeAnswer;
  std::function<std::optional<platform::CachedURLResponse>(const platform::CachedURLResponse&)>
      cacheDecision;
  std::function<void(const std::shared_ptr<platform::URLSessionDataTask>&)> onData;
  std::function<void()> onCall;  // first thing in every call about a task

  void didReceiveResponse(platform::URLSession&,
                          const std::shared_ptr<platform::URLSessionDataTask>& task,
                          const std::shared_ptr<const platform::URLResponse>& response,
                          ResponseHandler handler) override {
    Scope scope(*this);
    record(task, "response", [&](TaskLog& log) { log.responses.push_back(response); });
    handler(responseDecision ? responseDecision(*response)
                             : platform::URLSessionResponseDisposition::Allow);
  }

  void didReceiveData(platform::URLSession&,
                      const std::shared_ptr<platform::URLSessionDataTask>& task,
                      const platform::Data& data) override {
    recordData(task, data);
  }

  void didReceiveOwnedData(platform::URLSession&,
                           const std::shared_ptr<platform::URLSessionDataTask>& task,
                           platform::Data&& data) override {
    recordData(task, data);
  }

  void willCacheResponse(platform::URLSession&,
                         const std::shared_ptr<platform::URLSessionDataTask>& task,
                         const platform::CachedURLResponse& proposed,
                         CacheHandler handler) override {
    Scope scope(*this);
    record(task, "cache", [&](TaskLog& log) { log.cacheOffers.push_back(proposed); });
    handler(cacheDecision ? cacheDecision(proposed) : std::optional(proposed));
  }

  void didReceiveChallenge(platform::URLSession&,
                           const std::shared_ptr<platform::URLSessionDataTask>& task,
                           const platform::URLAuthenticationChallenge& challenge,
                           ChallengeHandler handler) override {
    Scope scope(*this);
    record(task, "challenge", [&](TaskLog& log) { log.challenges.push_back(challenge); });
    Answer answer = challengeAnswer ? challengeAnswer(challenge)
                                    : Answer{Disposition::PerformDefaultHandling, std::nullopt};
    handler(answer.first, answer.second);
  }

  void didCompleteWithError(platform::URLSession&,
                            const std::shared_ptr<platform::URLSessionDataTask>& task,
                            const std::optional<platform::Error>& error) override {
    Scope scope(*this);
    record(task, "complete", [&](TaskLog& log) { log.completions.push_back(error); });
  }

  void didBecomeInvalidWithError(platform::URLSession&,
                                 const std::optional<platform::Error>&) override {
    std::lock_guard lock(mutex_);
    invalidated_ = true;
    changed_.notify_all();
  }

  TaskLog log(const std::shared_ptr<platform::URLSessionDataTask>& task) const {
    std::lock_guard lock(mutex_);
    auto it = logs_.find(task->taskIdentifier());
    return it == logs_.end() ? TaskLog{} : it->second;
  }
  std::size_t completionCount() const {
    std::lock_guard lock(mutex_);
    return completions_;
  }
  // Waits until the task has reported `event` ("complete" by default).
  bool waitForEvent(const std::shared_ptr<platform::URLSessionDataTask>& task,
                    const std::string& event = "complete", double seconds = 20) {
    return waitUntil(
        [&] {
          auto it = logs_.find(task->taskIdentifier());
          return it != logs_.end() && std::find(it->second.order.begin(), it->second.order.end(),
                                                event) != it->second.order.end();
        },
        seconds);
  }
  bool waitForCompletion(const std::shared_ptr<platform::URLSessionDataTask>& task) {
    return waitForEvent(task);
  }
  bool waitForCompletions(std::size_t count, double seconds = 30) {
    return waitUntil([&] { return completions_ >= count; }, seconds);
  }
  bool waitForInvalidation() {
    return waitUntil([&] { return invalidated_; }, 20);
  }
  bool overlapped() const { return overlapped_.load(); }

 private:
  struct Scope {
    explicit Scope(RecordingDelegate& d) : delegate(d) {
      if (delegate.onCall) delegate.onCall();
      if (delegate.inside_.fetch_add(1) > 0) delegate.overlapped_ = true;
    }
    ~Scope() { delegate.inside_.fetch_sub(1); }
    RecordingDelegate& delegate;
  };

  void recordData(const std::shared_ptr<platform::URLSessionDataTask>& task,
                  const platform::Data& data) {
    {
      Scope scope(*this);
      record(task, "data", [&](TaskLog& log) {
        log.body.append(data.begin(), data.end());
        log.chunks++;
        log.chunkRoom.push_back(data.capacity());
      });
    }
    if (onData) onData(task);
  }

  void record(const std::shared_ptr<platform::URLSessionDataTask>& task, const char* event,
              const std::function<void(TaskLog&)>& change) {
    std::lock_guard lock(mutex_);
    TaskLog& log = logs_[task->taskIdentifier()];
    log.order.emplace_back(event);
    change(log);
    if (std::string(event) == "complete") completions_++;
    changed_.notify_all();
  }

  bool waitUntil(const std::function<bool()>& predicate, double seconds) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::duration<double>(seconds), predicate);
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, TaskLog> logs_;
  std::size_t completions_ = 0;
  bool invalidated_ = false;
  std::atomic<int> inside_{0};
  std::atomic<bool> overlapped_{false};
};

using TemporaryFolder = core_test::TempFolder;

// A loopback server, a private URL cache and cookie storage, and a session over them whose
// delegate records everything.
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = TestHTTPServer::start();
    cache_ = platform::URLCache::create(1 << 20, 4 << 20, folder_.path() + "/URLCache");
    cookies_ = platform::HTTPCookieStorage::create();
    delegate_ = std::make_shared<RecordingDelegate>();
  }

  std::shared_ptr<platform::URLSession> makeSession(
      const std::function<void(platform::URLSessionConfiguration&)>& adjust = {}) {
    auto configuration = platform::URLSessionConfiguration::defaultSessionConfiguration();
    configuration.setURLCache(cache_);
    configuration.setCookieStorage(cookies_);
    if (adjust) adjust(configuration);
    return platform::URLSession::create(configuration, delegate_);
  }

  platform::URLRequest request(const std::string& path) const {
    return platform::URLRequest(urlOf(server_->url(path)));
  }

  // Resumes a task for `request` and waits for its completion.
  std::shared_ptr<platform::URLSessionDataTask> load(platform::URLSession& session,
                                                     const platform::URLRequest& request) {
    auto task = session.dataTaskWithRequest(request);
    task->resume();
    EXPECT_TRUE(delegate_->waitForCompletion(task)) << request.url().absoluteString();
    return task;
  }

  TemporaryFolder folder_;
  std::unique_ptr<TestHTTPServer> server_;
  std::shared_ptr<platform::URLCache> cache_;
  std::shared_ptr<platform::HTTPCookieStorage> cookies_;
  std::shared_ptr<RecordingDelegate> delegate_;
  std::shared_ptr<platform::URLSession> session_;  // destroyed before the server
};

}  // namespace nettest
