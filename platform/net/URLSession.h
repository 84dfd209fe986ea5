#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLSessionConfiguration.h"
#include "platform/net/URLSessionDataDelegate.h"
#include "platform/net/URLSessionDataTask.h"

namespace platform {

class OperationQueue;

// Loads URLs over HTTP(S) and file URLs. All sessions share one network thread (libcurl's multi
// interface); it runs while any session exists and is joined when the last one goes away.
//
// The delegate is held weakly: an object that owns its session may be its delegate without a
// cycle. Delegate calls and completion handlers run on the delegate queue, which the session
// makes (serial) when none is given.
class URLSession : public std::enable_shared_from_this<URLSession> {
 public:
  static std::shared_ptr<URLSession> create(
      URLSessionConfiguration configuration,
      const std::shared_ptr<URLSessionDataDelegate>& delegate = nullptr,
      std::shared_ptr<OperationQueue> delegateQueue = nullptr);
  // Default configuration, no delegate.
  static std::shared_ptr<URLSession> sharedSession();

  ~URLSession();
  URLSession(const URLSession&) = delete;
  URLSession& operator=(const URLSession&) = delete;

  // A suspended task; nullptr once the session is invalidated.
  std::shared_ptr<URLSessionDataTask> dataTaskWithRequest(const URLRequest& request);
  std::shared_ptr<URLSessionDataTask> dataTaskWithRequest(
      const URLRequest& request, URLSessionDataTask::CompletionHandler completionHandler);
  std::shared_ptr<URLSessionDataTask> dataTaskWithURL(const URL& url);

  const URLSessionConfiguration& configuration() const { return configuration_; }
  std::shared_ptr<URLSessionDataDelegate> delegate() const { return delegate_.lock(); }
  const std::shared_ptr<OperationQueue>& delegateQueue() const { return delegateQueue_; }

  // Tasks made and not yet completed.
  std::vector<std::shared_ptr<URLSessionDataTask>> allTasks() const;
  // No new tasks; every task is cancelled. The delegate then hears didBecomeInvalidWithError.
  void invalidateAndCancel();
  // No new tasks; running ones finish. The delegate then hears didBecomeInvalidWithError.
  void finishTasksAndInvalidate();
  bool isInvalidated() const;

 private:
  friend class URLSessionDataTask;

  URLSession(URLSessionConfiguration configuration, std::weak_ptr<URLSessionDataDelegate> delegate,
             std::shared_ptr<OperationQueue> delegateQueue);

  std::shared_ptr<URLSessionDataTask> makeTask(
      const URLRequest& request, URLSessionDataTask::CompletionHandler completionHandler);
  void taskDidStart(std::uint64_t identifier);
  void taskDidComplete(std::uint64_t identifier);
  void taskDestroyed(std::uint64_t identifier);
  void invalidate(bool cancelTasks);
  void notifyInvalidIfDoneLocked(std::unique_lock<std::mutex>& lock);

  const URLSessionConfiguration configuration_;
  const std::weak_ptr<URLSessionDataDelegate> delegate_;
  const std::shared_ptr<OperationQueue> delegateQueue_;

  mutable std::mutex mutex_;
  std::map<std::uint64_t, std::weak_ptr<URLSessionDataTask>> tasks_;
  std::set<std::uint64_t> running_;  // started, completion not yet delivered
  bool invalidated_ = false;
  bool invalidNotified_ = false;
};

}  // namespace platform
