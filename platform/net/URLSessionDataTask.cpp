#include "platform/net/URLSessionDataTask.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <type_traits>

#include "platform/dispatch/OperationQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/NetworkLoop.h"
#include "platform/net/Transfer.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLErrors.h"
#include "platform/net/URLSession.h"

namespace platform {
namespace {

// A handler a delegate must call once. A second call is ignored; dropping every copy without a
// call takes the fallback, so a forgetful delegate cannot leave a task hanging for ever.
template <class... Args>
class OnceHandler {
 public:
  OnceHandler(std::function<void(Args...)> action, std::function<void()> fallback)
      : action_(std::move(action)), fallback_(std::move(fallback)) {}
  ~OnceHandler() {
    if (!called_.exchange(true) && fallback_) fallback_();
  }
  void call(Args... args) {
    if (called_.exchange(true)) return;
    action_(std::move(args)...);
  }

 private:
  std::function<void(Args...)> action_;
  std::function<void()> fallback_;
  std::atomic<bool> called_{false};
};

template <class... Args>
std::function<void(Args...)> makeOnce(std::type_identity_t<std::function<void(Args...)>> action,
                                      std::function<void()> fallback) {
  auto once = std::make_shared<OnceHandler<Args...>>(std::move(action), std::move(fallback));
  return [once](Args... args) { once->call(std::move(args)...); };
}

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): read on the caller
  return value ? value : "";
}

}  // namespace

URLSessionDataTask::URLSessionDataTask(std::shared_ptr<URLSession> session,
                                       std::uint64_t identifier, URLRequest request,
                                       CompletionHandler completionHandler)
    : session_(std::move(session)),
      identifier_(identifier),
      request_(std::move(request)),
      completionHandler_(std::move(completionHandler)),
      cacheRequest_(request_) {}

URLSessionDataTask::~URLSessionDataTask() { session_->taskDestroyed(identifier_); }

std::shared_ptr<const URLResponse> URLSessionDataTask::response() const {
  std::lock_guard lock(mutex_);
  return response_;
}

std::optional<Error> URLSessionDataTask::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void URLSessionDataTask::resume() {
  if (started_.exchange(true)) {
    URLSessionTaskState expected = URLSessionTaskState::Suspended;
    if (state_.compare_exchange_strong(expected, URLSessionTaskState::Running)) {
      NetworkLoop::post([id = identifier_](NetworkLoop& loop) {
        if (Transfer* transfer = loop.find(id)) loop.setPaused(*transfer, false);
      });
    }
    return;
  }
  {
    // Decided under the lock cancel() claims under: a cancel either came first (and counted the
    // task as started itself) or comes after the session has counted it, never between.
    std::lock_guard lock(mutex_);
    if (completionClaimed_.load()) return;  // cancelled before it ever ran
    state_ = URLSessionTaskState::Running;
    session_->taskDidStart(identifier_);
  }
  start();
}

void URLSessionDataTask::suspend() {
  if (!started_.load()) return;
  URLSessionTaskState expected = URLSessionTaskState::Running;
  if (state_.compare_exchange_strong(expected, URLSessionTaskState::Suspended)) {
    NetworkLoop::post([id = identifier_](NetworkLoop& loop) {
      if (Transfer* transfer = loop.find(id)) loop.setPaused(*transfer, true);
    });
  }
}

void URLSessionDataTask::cancel() {
  {
    std::lock_guard lock(mutex_);
    if (!claimCompletion()) return;
    // A task cancelled before it ran still owes its delegate a completion.
    if (!started_.load()) session_->taskDidStart(identifier_);
    cancelled_ = true;
    state_ = URLSessionTaskState::Canceling;
  }
  post(TaskEvent::makeComplete(makeURLError(URLError::Cancelled, request_.url().absoluteString())));
  if (started_.load()) {
    NetworkLoop::post([id = identifier_](NetworkLoop& loop) { loop.remove(id); });
  }
}

bool URLSessionDataTask::claimCompletion() { return !completionClaimed_.exchange(true); }

void URLSessionDataTask::completeWith(std::optional<Error> error) {
  if (claimCompletion()) post(TaskEvent::makeComplete(std::move(error)));
}

void URLSessionDataTask::start() {
  const URL& url = request_.url();
  const std::string scheme = lowercase(url.scheme());
  if (scheme != "http" && scheme != "https" && scheme != "file") {
    completeWith(makeURLError(URLError::UnsupportedURL, url.absoluteString()));
    return;
  }
  if (scheme != "file" && url.host().empty()) {
    completeWith(makeURLError(URLError::BadURL, url.absoluteString()));
    return;
  }
  const URLSessionConfiguration& configuration = session_->configuration();
  TransferPlan plan(request_);
  for (const auto& [name, value] : configuration.HTTPAdditionalHeaders()) {
    if (!plan.request.valueForHTTPHeaderField(name)) plan.request.setValue(value, name);
  }
  if (request_.HTTPShouldHandleCookies() && configuration.HTTPShouldSetCookies() &&
      configuration.cookieStorage() && scheme != "file") {
    plan.cookies = configuration.cookieStorage();  // the transfer picks them for each hop
  }
  // Every method meets the cache: GET is answered from it, the others may empty it. It sees
  // the request as it will be sent, the cookies of the moment included (a response may vary
  // on them).
  if (scheme != "file") plan.cache = configuration.urlCache();
  cacheRequest_ = plan.request;
  if (plan.cookies && !cacheRequest_.valueForHTTPHeaderField("Cookie")) {
    if (auto cookie = plan.cookies->cookieHeaderForURL(url))
      cacheRequest_.setValue(*cookie, "Cookie");
  }
  requestTime_ = plan.requestTime = dateNow();
  if (answerFromCache(plan)) return;

  const TimeInterval idle = request_.hasExplicitTimeoutInterval()
                                ? request_.timeoutInterval()
                                : configuration.timeoutIntervalForRequest();
  plan.idleTimeout =
      std::chrono::milliseconds(std::max<long long>(1, static_cast<long long>(idle * 1000)));
  plan.resourceTimeout = std::chrono::milliseconds(
      static_cast<long long>(configuration.timeoutIntervalForResource() * 1000));
  plan.maxBodySize = configuration.maximumResponseBodySize();
  plan.maxRedirects = configuration.maximumRedirects();
  plan.allowsInvalidCertificates = allowsInvalidCertificates_.load();
  // Like other programs on Linux: a private CA is trusted through the usual variables.
  plan.trustedRootsFile = environmentValue("SSL_CERT_FILE");
  plan.trustedRootsDirectory = environmentValue("SSL_CERT_DIR");
  NetworkLoop::post([self = shared_from_this(), plan = std::move(plan)](NetworkLoop& loop) mutable {
    loop.add(std::make_unique<Transfer>(self, std::move(plan)));
  });
}

// Serves the request from the URL cache when its policy and the stored response allow;
// otherwise notes the stored response for validation or for standing in on an error.
bool URLSessionDataTask::answerFromCache(TransferPlan& plan) {
  const URLRequestCachePolicy policy = request_.cachePolicy();
  const bool onlyCache = policy == URLRequestCachePolicy::ReturnCacheDataDontLoad;
  const bool noLoad = onlyCache || HTTPCachePolicy::onlyIfCached(cacheRequest_);
  std::vector<URLCache::Entry> variants;
  if (plan.cache && request_.HTTPMethod() == "GET" &&
      policy != URLRequestCachePolicy::ReloadIgnoringLocalCacheData) {
    variants = plan.cache->cachedEntriesForURL(request_.url());
  }
  auto chosen = std::find_if(variants.begin(), variants.end(), [&](const URLCache::Entry& entry) {
    auto stored = entry.stored();
    return !stored || HTTPCachePolicy::variantMatches(*stored, cacheRequest_);
  });
  auto unavailable = [&] {
    completeWith(makeURLError(URLError::ResourceUnavailable, request_.url().absoluteString()));
    return true;
  };
  if (chosen == variants.end()) return noLoad && unavailable();
  const auto stored = chosen->stored();
  if (stored && !HTTPCachePolicy::answersRange(stored->response, chosen->cached.data().size(),
                                               cacheRequest_)) {
    return noLoad && unavailable();  // a stored piece without the bytes asked for
  }
  const TimeInterval now = dateNow();
  CacheAction action = CacheAction::Reuse;
  if (validatesInBackground_ && stored) {
    if (HTTPCachePolicy::decide(cacheRequest_, *stored, now) == CacheAction::Reuse) {
      completeWith(std::nullopt);  // a validation that ended meanwhile has refreshed it
      return true;
    }
    action = HTTPCachePolicy::hasValidators(stored->response) ? CacheAction::Validate
                                                              : CacheAction::Fetch;
  } else if (stored && !onlyCache && policy != URLRequestCachePolicy::ReturnCacheDataElseLoad) {
    action = HTTPCachePolicy::decide(cacheRequest_, *stored, now);
  }
  const bool ranged = cacheRequest_.valueForHTTPHeaderField("Range").has_value();
  if (action == CacheAction::Reuse || action == CacheAction::ReuseStaleAndRevalidate) {
    answerWithStored(*chosen, cacheRequest_);
    if (action == CacheAction::ReuseStaleAndRevalidate) validateInBackground(plan.cache);
    return true;
  }
  if (noLoad) return unavailable();
  if (ranged) return false;  // a stored response answers a range only when it may be reused
  if (action == CacheAction::Validate && !plan.request.valueForHTTPHeaderField("If-None-Match") &&
      !plan.request.valueForHTTPHeaderField("If-Modified-Since")) {
    std::vector<const HTTPURLResponse*> others;
    for (const URLCache::Entry& entry : variants) {
      if (auto other = entry.stored()) others.push_back(&other->response);
    }
    HTTPCachePolicy::addConditionalFields(stored->response, others, plan.request);
    plan.conditional = true;
  }
  plan.staleIfError = HTTPCachePolicy::mayServeStaleOnError(cacheRequest_, *stored, now);
  plan.revalidating = std::move(*chosen);
  return false;
}

// The stored response as the answer; a single byte range of it as a 206.
void URLSessionDataTask::answerWithStored(const URLCache::Entry& entry, const URLRequest& request) {
  auto stored = entry.stored();
  const Data& body = entry.cached.data();
  auto piece =
      stored ? HTTPCachePolicy::storedPiece(stored->response, body.size(), request) : std::nullopt;
  if (piece) {
    const std::size_t offset = piece->first - piece->storedFirst;
    post(TaskEvent::makeResponse(HTTPCachePolicy::partialResponse(stored->response, piece->first,
                                                                  piece->last, piece->length)));
    post(TaskEvent::makeData(
        Data(body.begin() + static_cast<std::ptrdiff_t>(offset),
             body.begin() + static_cast<std::ptrdiff_t>(offset + piece->last - piece->first + 1))));
  } else {
    post(TaskEvent::makeResponse(entry.cached.response()));
    if (!body.empty()) post(TaskEvent::makeData(body));
  }
  completeWith(std::nullopt);
}

// Once per URL at a time: later requests within the window are answered from the cache alone.
void URLSessionDataTask::validateInBackground(const std::shared_ptr<URLCache>& cache) {
  const URL url = request_.url();
  if (!cache->beginBackgroundValidation(url)) return;
  URLRequest validation = request_;
  validation.setCachePolicy(URLRequestCachePolicy::UseProtocolCachePolicy);
  auto task = session_->dataTaskWithRequest(
      validation, [cache, url](std::optional<Data>, std::shared_ptr<const URLResponse>,
                               std::optional<Error>) { cache->endBackgroundValidation(url); });
  if (!task) {
    cache->endBackgroundValidation(url);
    return;
  }
  task->validatesInBackground_ = true;
  task->resume();
}

void URLSessionDataTask::post(TaskEvent event) {
  std::unique_lock lock(mutex_);
  Data* pending = event.kind == TaskEvent::Kind::Data ? pendingDataLocked() : nullptr;
  if (pending) {
    pending->insert(pending->end(), event.data.begin(), event.data.end());
  } else {
    events_.push_back(std::move(event));
  }
  if (!drainScheduled_ && !blocked_) scheduleDrainLocked(lock);
}

void URLSessionDataTask::postData(const std::uint8_t* bytes, std::size_t length,
                                  std::size_t expected) {
  std::unique_lock lock(mutex_);
  if (Data* pending = pendingDataLocked()) {
    pending->insert(pending->end(), bytes, bytes + length);
  } else {
    Data chunk;
    chunk.reserve(std::max(length, expected));
    chunk.insert(chunk.end(), bytes, bytes + length);
    events_.push_back(TaskEvent::makeData(std::move(chunk)));
  }
  if (!drainScheduled_ && !blocked_) scheduleDrainLocked(lock);
}

// Bytes not yet delivered travel as one chunk: one delegate call (and one progress report) for
// what arrived in one round rather than one per 16 KB read.
Data* URLSessionDataTask::pendingDataLocked() {
  if (events_.empty() || events_.back().kind != TaskEvent::Kind::Data) return nullptr;
  return &events_.back().data;
}

// On the network thread the drain waits for the end of the round, so the head, the bytes and the
// end a round reads reach the delegate together.
void URLSessionDataTask::scheduleDrainLocked(std::unique_lock<std::mutex>& lock) {
  drainScheduled_ = true;
  lock.unlock();
  auto self = shared_from_this();
  if (!NetworkLoop::deferToEndOfRound([self] { self->dispatchDrain(); })) dispatchDrain();
}

void URLSessionDataTask::dispatchDrain() {
  auto drainer = [self = shared_from_this()] { self->drain(); };
  const auto& queue = session_->delegateQueue();
  if (deliversOnNetworkThread_.load() && NetworkLoop::isNetworkThread()) {
    queue->addOperationRunningHereIfIdle(std::move(drainer));
  } else {
    queue->addOperation(std::move(drainer));
  }
}

void URLSessionDataTask::drain() {
  for (;;) {
    TaskEvent event;
    {
      std::lock_guard lock(mutex_);
      if (blocked_ || events_.empty()) {
        drainScheduled_ = false;
        return;
      }
      event = std::move(events_.front());
      events_.pop_front();
    }
    deliver(event);
  }
}

void URLSessionDataTask::unblock() {
  std::unique_lock lock(mutex_);
  blocked_ = false;
  if (!drainScheduled_ && !events_.empty()) scheduleDrainLocked(lock);
}

void URLSessionDataTask::deliver(TaskEvent& event) {
  const bool refused = cancelled_.load() || dispositionCancelled_.load();
  switch (event.kind) {
    case TaskEvent::Kind::Response:
      if (!refused) deliverResponse(event);
      break;
    case TaskEvent::Kind::Data:
      if (!refused) {
        bytesReceived_ += static_cast<std::int64_t>(event.data.size());
        if (completionHandler_) {
          if (accumulated_.empty()) {
            accumulated_ = std::move(event.data);  // with the room reserved for the rest
          } else {
            accumulated_.insert(accumulated_.end(), event.data.begin(), event.data.end());
          }
        } else if (auto delegate = session_->delegate()) {
          delegate->didReceiveOwnedData(*session_, shared_from_this(), std::move(event.data));
        }
      }
      break;
    case TaskEvent::Kind::WillCache:
      if (!refused) deliverWillCache(event);
      break;
    case TaskEvent::Kind::Challenge:
      if (!cancelled_.load()) deliverChallenge(event);
      break;
    case TaskEvent::Kind::Complete:
      deliverCompletion(event);
      break;
  }
}

void URLSessionDataTask::deliverResponse(TaskEvent& event) {
  {
    std::lock_guard lock(mutex_);
    response_ = event.response;
  }
  bytesExpected_ = event.response->expectedContentLength();
  auto delegate = session_->delegate();
  if (completionHandler_ || !delegate) return;
  {
    std::lock_guard lock(mutex_);
    blocked_ = true;
  }
  auto self = shared_from_this();
  auto refuse = [self] {
    self->dispositionCancelled_ = true;
    self->cancel();
    self->unblock();
  };
  auto handler = makeOnce<URLSessionResponseDisposition>(
      [self, refuse](URLSessionResponseDisposition disposition) {
        if (disposition == URLSessionResponseDisposition::Cancel) {
          refuse();
        } else {
          self->unblock();
        }
      },
      refuse);
  delegate->didReceiveResponse(*session_, self, event.response, std::move(handler));
}

void URLSessionDataTask::deliverWillCache(TaskEvent& event) {
  auto store = [cache = event.cache, request = cacheRequest_,
                time = requestTime_](std::optional<CachedURLResponse> cached) {
    if (cached && cache) cache->storeCachedResponse(*cached, request, time);
  };
  auto delegate = session_->delegate();
  if (completionHandler_ || !delegate) {
    store(event.proposal);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    blocked_ = true;
  }
  auto self = shared_from_this();
  auto handler = makeOnce<std::optional<CachedURLResponse>>(
      [self, store](std::optional<CachedURLResponse> cached) {
        store(std::move(cached));
        self->unblock();
      },
      [self] { self->unblock(); });
  delegate->willCacheResponse(*session_, self, *event.proposal, std::move(handler));
}

void URLSessionDataTask::deliverChallenge(TaskEvent& event) {
  auto self = shared_from_this();
  auto handler = makeOnce<URLSessionAuthChallengeDisposition, std::optional<URLCredential>>(
      [self](URLSessionAuthChallengeDisposition disposition,
             std::optional<URLCredential> credential) {
        self->answerChallenge(disposition, std::move(credential));
      },
      [self] {
        self->answerChallenge(URLSessionAuthChallengeDisposition::PerformDefaultHandling,
                              std::nullopt);
      });
  if (auto delegate = session_->delegate()) {
    delegate->didReceiveChallenge(*session_, self, *event.challenge, std::move(handler));
  } else {
    handler(URLSessionAuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
  }
}

void URLSessionDataTask::answerChallenge(URLSessionAuthChallengeDisposition disposition,
                                         std::optional<URLCredential> credential) {
  NetworkLoop::post(
      [id = identifier_, disposition, credential = std::move(credential)](NetworkLoop& loop) {
        Transfer* transfer = loop.find(id);
        if (!transfer) return;  // cancelled meanwhile
        switch (transfer->answerChallenge(disposition, credential)) {
          case Transfer::Outcome::Finished:
            loop.remove(id);
            break;
          case Transfer::Outcome::Restart:
            loop.attach(*transfer);
            break;
          case Transfer::Outcome::AwaitingChallenge:
            break;
        }
      });
}

void URLSessionDataTask::deliverCompletion(TaskEvent& event) {
  std::optional<Error> error = std::move(event.error);
  if (dispositionCancelled_.load() && !error) {
    error = makeURLError(URLError::Cancelled, request_.url().absoluteString());
  }
  {
    std::lock_guard lock(mutex_);
    error_ = error;
  }
  state_ = URLSessionTaskState::Completed;
  auto self = shared_from_this();
  if (completionHandler_) {
    CompletionHandler handler = std::move(completionHandler_);
    completionHandler_ = nullptr;
    std::optional<Data> data;
    if (!error) data = std::move(accumulated_);
    handler(std::move(data), response(), error);
  } else if (auto delegate = session_->delegate()) {
    delegate->didCompleteWithError(*session_, self, error);
  }
  session_->taskDidComplete(identifier_);
}

}  // namespace platform
