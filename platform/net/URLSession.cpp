#include "platform/net/URLSession.h"

#include <atomic>

#include "platform/dispatch/OperationQueue.h"
#include "platform/net/NetworkLoop.h"

namespace platform {
namespace {

std::atomic<std::uint64_t> gNextTaskIdentifier{1};

}  // namespace

URLSession::URLSession(URLSessionConfiguration configuration,
                       std::weak_ptr<URLSessionDataDelegate> delegate,
                       std::shared_ptr<OperationQueue> delegateQueue)
    : configuration_(std::move(configuration)),
      delegate_(std::move(delegate)),
      delegateQueue_(std::move(delegateQueue)) {
  NetworkLoop::retainForSession();
}

URLSession::~URLSession() { NetworkLoop::releaseForSession(); }

std::shared_ptr<URLSession> URLSession::create(
    URLSessionConfiguration configuration, const std::shared_ptr<URLSessionDataDelegate>& delegate,
    std::shared_ptr<OperationQueue> delegateQueue) {
  if (!delegateQueue) {
    delegateQueue = OperationQueue::create("URLSession delegate queue");
    delegateQueue->setMaxConcurrentOperationCount(1);
  }
  return std::shared_ptr<URLSession>(
      new URLSession(std::move(configuration), delegate, std::move(delegateQueue)));
}

std::shared_ptr<URLSession> URLSession::sharedSession() {
  static const std::shared_ptr<URLSession> session =
      create(URLSessionConfiguration::defaultSessionConfiguration());
  return session;
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTaskWithRequest(const URLRequest& request) {
  return makeTask(request, nullptr);
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTaskWithRequest(
    const URLRequest& request, URLSessionDataTask::CompletionHandler completionHandler) {
  return makeTask(request, std::move(completionHandler));
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTaskWithURL(const URL& url) {
  return makeTask(URLRequest(url), nullptr);
}

std::shared_ptr<URLSessionDataTask> URLSession::makeTask(
    const URLRequest& request, URLSessionDataTask::CompletionHandler completionHandler) {
  std::lock_guard lock(mutex_);
  if (invalidated_) return nullptr;
  const std::uint64_t identifier = gNextTaskIdentifier.fetch_add(1);
  auto task = std::shared_ptr<URLSessionDataTask>(new URLSessionDataTask(
      shared_from_this(), identifier, request, std::move(completionHandler)));
  tasks_[identifier] = task;
  return task;
}

std::vector<std::shared_ptr<URLSessionDataTask>> URLSession::allTasks() const {
  std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [identifier, weak] : tasks_) {
      if (auto task = weak.lock()) tasks.push_back(std::move(task));
    }
  }
  // Filtered outside the lock: dropping what may be a task's last reference runs its
  // destructor, which comes back to this session.
  std::erase_if(tasks,
                [](const auto& task) { return task->state() == URLSessionTaskState::Completed; });
  return tasks;
}

void URLSession::taskDidStart(std::uint64_t identifier) {
  std::lock_guard lock(mutex_);
  running_.insert(identifier);
}

void URLSession::taskDidComplete(std::uint64_t identifier) {
  std::unique_lock lock(mutex_);
  running_.erase(identifier);
  tasks_.erase(identifier);
  notifyInvalidIfDoneLocked(lock);
}

void URLSession::taskDestroyed(std::uint64_t identifier) {
  std::lock_guard lock(mutex_);
  tasks_.erase(identifier);
}

void URLSession::invalidateAndCancel() { invalidate(true); }

void URLSession::finishTasksAndInvalidate() { invalidate(false); }

bool URLSession::isInvalidated() const {
  std::lock_guard lock(mutex_);
  return invalidated_;
}

void URLSession::invalidate(bool cancelTasks) {
  std::vector<std::shared_ptr<URLSessionDataTask>> toCancel;
  {
    std::unique_lock lock(mutex_);
    if (invalidated_) return;
    invalidated_ = true;
    if (cancelTasks) {
      for (const auto& [identifier, weak] : tasks_) {
        if (auto task = weak.lock()) toCancel.push_back(std::move(task));
      }
    }
  }
  for (const auto& task : toCancel) task->cancel();
  std::unique_lock lock(mutex_);
  notifyInvalidIfDoneLocked(lock);
}

void URLSession::notifyInvalidIfDoneLocked(std::unique_lock<std::mutex>& lock) {
  if (!invalidated_ || invalidNotified_ || !running_.empty()) return;
  invalidNotified_ = true;
  lock.unlock();
  delegateQueue_->addOperation([self = shared_from_this()] {
    if (auto delegate = self->delegate()) delegate->didBecomeInvalidWithError(*self, std::nullopt);
  });
}

}  // namespace platform
