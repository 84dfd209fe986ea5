#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/Types.h"
#include "platform/net/TaskEvent.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLCredential.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "platform/net/URLSessionDataDelegate.h"

namespace platform {

class URLSession;
struct TransferPlan;

enum class URLSessionTaskState { Running = 0, Suspended = 1, Canceling = 2, Completed = 3 };

// One load of one request. Made suspended by URLSession::dataTaskWithRequest; resume() starts it.
// Whatever happens, the delegate (or the completion handler) hears exactly one completion.
// A running task keeps itself and its session alive until that completion has been delivered.
class URLSessionDataTask : public std::enable_shared_from_this<URLSessionDataTask> {
 public:
  // Data is the whole body on success and nullopt on failure.
  using CompletionHandler = std::function<void(
      std::optional<Data>, std::shared_ptr<const URLResponse>, std::optional<Error>)>;
  // The most memory an announced length sets aside before the bytes arrive: a length that lies
  // (or a huge one) is believed only as far as the body really comes.
  static constexpr std::size_t kMaxBodyReservation = std::size_t{8} << 20;

  ~URLSessionDataTask();
  URLSessionDataTask(const URLSessionDataTask&) = delete;
  URLSessionDataTask& operator=(const URLSessionDataTask&) = delete;

  std::uint64_t taskIdentifier() const { return identifier_; }
  const URLRequest& originalRequest() const { return request_; }
  // The response as delivered (a revalidated response comes from the cache); null before.
  std::shared_ptr<const URLResponse> response() const;
  URLSessionTaskState state() const { return state_.load(); }
  std::optional<Error> error() const;
  std::int64_t countOfBytesReceived() const { return bytesReceived_.load(); }
  std::int64_t countOfBytesExpectedToReceive() const { return bytesExpected_.load(); }

  // Accept any certificate for this task without asking the delegate. Set before resume().
  bool allowsInvalidCertificates() const { return allowsInvalidCertificates_.load(); }
  void setAllowsInvalidCertificates(bool allow) { allowsInvalidCertificates_.store(allow); }

  // For a delegate whose callbacks for this task never wait for other work (another load, the
  // main thread): its events may then be delivered by the network thread itself, as an operation
  // of the delegate queue, whenever that queue has nothing else to run (in order with everything
  // else on the queue, as always). Spares a thread hand-over per event. Set before resume().
  bool deliversOnNetworkThreadWhenIdle() const { return deliversOnNetworkThread_.load(); }
  void setDeliversOnNetworkThreadWhenIdle(bool value) { deliversOnNetworkThread_.store(value); }

  void resume();
  // Stops the transfer where it is (no byte moves, the idle timeout is held) until resume().
  void suspend();
  // From any thread; completes with Cancelled unless the task has already completed.
  void cancel();

 private:
  friend class URLSession;
  friend class Transfer;

  URLSessionDataTask(std::shared_ptr<URLSession> session, std::uint64_t identifier,
                     URLRequest request, CompletionHandler completionHandler);

  // Queues an event for the delegate queue (any thread).
  void post(TaskEvent event);
  // Bytes as read from the wire: appended to the chunk not yet delivered, if there is one. A new
  // chunk is made with room for `expected` bytes (the rest of the announced body), so the bytes
  // of one round are written once, never moved by the chunk's growth.
  void postData(const std::uint8_t* bytes, std::size_t length, std::size_t expected = 0);
  Data* pendingDataLocked();
  // True exactly once: whoever wins delivers the completion.
  bool claimCompletion();
  void completeWith(std::optional<Error> error);

  void start();
  bool answerFromCache(TransferPlan& plan);
  void answerWithStored(const URLCache::Entry& entry, const URLRequest& request);
  void validateInBackground(const std::shared_ptr<URLCache>& cache);
  void scheduleDrainLocked(std::unique_lock<std::mutex>& lock);
  void dispatchDrain();
  void drain();
  void unblock();
  void deliver(TaskEvent& event);
  void deliverResponse(TaskEvent& event);
  void deliverWillCache(TaskEvent& event);
  void deliverChallenge(TaskEvent& event);
  void deliverCompletion(TaskEvent& event);
  void answerChallenge(URLSessionAuthChallengeDisposition disposition,
                       std::optional<URLCredential> credential);

  const std::shared_ptr<URLSession> session_;
  const std::uint64_t identifier_;
  const URLRequest request_;
  CompletionHandler completionHandler_;  // delegate queue only

  std::atomic<URLSessionTaskState> state_{URLSessionTaskState::Suspended};
  std::atomic<bool> started_{false};
  std::atomic<bool> completionClaimed_{false};
  std::atomic<bool> cancelled_{false};             // completion claimed by cancel()
  std::atomic<bool> dispositionCancelled_{false};  // the delegate refused the response
  std::atomic<bool> allowsInvalidCertificates_{false};
  std::atomic<bool> deliversOnNetworkThread_{false};
  std::atomic<std::int64_t> bytesReceived_{0};
  std::atomic<std::int64_t> bytesExpected_{-1};
  // A validation the cache started after answering with a stale response: it never answers
  // from the cache itself.
  bool validatesInBackground_ = false;
  URLRequest cacheRequest_;       // the request as sent, before validators: what selected it
  TimeInterval requestTime_ = 0;  // when it went out

  mutable std::mutex mutex_;
  std::deque<TaskEvent> events_;
  bool drainScheduled_ = false;
  bool blocked_ = false;  // waiting for the delegate's answer to a response or will-cache
  std::shared_ptr<const URLResponse> response_;
  std::optional<Error> error_;
  Data accumulated_;  // for a completion handler
};

}  // namespace platform
