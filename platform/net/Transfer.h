#pragma once

#include <curl/curl.h>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Error.h"
#include "platform/net/HTTPResponseHeadParser.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLSessionDataDelegate.h"

namespace platform {

class HTTPCookieStorage;
class URLSessionDataTask;

// Everything a transfer needs to know, settled by the task before it reaches the network thread.
struct TransferPlan {
  explicit TransferPlan(URLRequest requestToSend) : request(std::move(requestToSend)) {}

  URLRequest request;  // as sent, validators included; cookies are added per hop
  std::optional<URLCache::Entry> revalidating;  // the stored entry the request is about
  std::shared_ptr<URLCache> cache;              // null: nothing from this load is cached
  std::shared_ptr<HTTPCookieStorage> cookies;   // null: no cookies are sent or stored
  std::chrono::milliseconds idleTimeout{60000};
  std::chrono::milliseconds resourceTimeout{0};
  std::size_t maxBodySize = 0;
  long maxRedirects = 0;
  bool allowsInvalidCertificates = false;
  std::string trustedRootsFile;       // empty: the system's own
  std::string trustedRootsDirectory;  // empty: the system's own

  // What the cache decided about `revalidating`: its validators went along (a 304 confirms it);
  // it may stand in for a 5xx or a failed connection. And when the request left.
  bool conditional = false;
  bool staleIfError = false;
  TimeInterval requestTime = 0;
};

// The network-thread side of one data task: its libcurl easy handle, the parsing of what comes
// back, the cache and cookie bookkeeping, and the events it queues for the task's delegate.
// Lives on the network thread only (owned by NetworkLoop).
class Transfer {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Outcome { Finished, AwaitingChallenge, Restart };

  Transfer(std::shared_ptr<URLSessionDataTask> task, TransferPlan plan);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  std::uint64_t taskIdentifier() const { return identifier_; }
  CURL* handle() const { return easy_; }
  // Sets up the easy handle; on failure the task has been completed with the error.
  bool prepare();
  // The easy handle is done (already out of the multi).
  Outcome finish(CURLcode result);
  Outcome answerChallenge(URLSessionAuthChallengeDisposition disposition,
                          const std::optional<URLCredential>& credential);
  // Ends the task now with `code` (the loop then drops the transfer).
  void fail(long code, const std::string& detail);

  // When this transfer counts as idle for too long; max() while paused or waiting.
  Clock::time_point idleDeadline() const;
  void setAttached(bool attached);
  void setPaused(bool paused);
  bool isPaused() const { return paused_; }

 private:
  enum class PendingChallenge { None, HTTP, Trust };

  static std::size_t headerCallback(char* buffer, std::size_t size, std::size_t count, void* self);
  static std::size_t writeCallback(char* buffer, std::size_t size, std::size_t count, void* self);
  static int progressCallback(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                              curl_off_t ulnow);

  bool configureRequest();
  bool configureHop();
  bool configureHeaders();
  Outcome followRedirect();
  bool mayRetryOnNewConnection(CURLcode result) const;
  void configureAttempt();
  void resetAttempt();
  std::size_t onHeaderLine(std::string_view line);
  std::size_t onBody(const char* bytes, std::size_t length);
  void onHeadComplete();
  std::size_t announcedRemainder(std::size_t length) const;
  void ensureResponse();
  void deliverResponse(std::shared_ptr<const URLResponse> response);
  bool holdForChallenge(const std::shared_ptr<HTTPURLResponse>& response);
  void answerFromRevalidation(const HTTPURLResponse& notModified);
  void answerFromStored();
  void configureContentDecoding();
  Outcome postChallenge(PendingChallenge kind);
  void releaseHeldChallengeResponse();
  std::string effectiveURL() const;
  Error errorFor(CURLcode result) const;
  void complete(std::optional<Error> error);
  void touch() { lastActivity_ = Clock::now(); }

  const std::shared_ptr<URLSessionDataTask> task_;
  const std::uint64_t identifier_;
  TransferPlan plan_;
  CURL* easy_ = nullptr;
  curl_slist* headerList_ = nullptr;
  std::string body_;  // request body, kept alive for libcurl
  char errorBuffer_[CURL_ERROR_SIZE] = {};

  HTTPResponseHeadParser head_;
  bool responseDelivered_ = false;
  std::shared_ptr<const URLResponse> response_;
  std::optional<Error> abortError_;  // set by a callback that stopped the transfer
  std::int64_t bytesReceived_ = 0;
  curl_off_t lastProgress_ = 0;

  bool storable_ = false;
  bool cacheOverflow_ = false;
  std::size_t maxCacheBody_ = 0;
  Data cacheBody_;
  std::shared_ptr<HTTPURLResponse> revalidated_;
  std::optional<URL> redirectTarget_;  // where the head just read sends us
  long redirectCount_ = 0;
  bool retriedOnNewConnection_ = false;

  PendingChallenge pending_ = PendingChallenge::None;
  bool holdingChallenge_ = false;
  std::shared_ptr<HTTPURLResponse> challengeResponse_;
  Data challengeBody_;
  std::string challengeScheme_;
  std::string challengeRealm_;
  long failureCount_ = 0;
  bool trustOverridden_ = false;
  std::optional<Error> trustError_;
  std::string trustFailure_;

  Clock::time_point lastActivity_ = Clock::now();
  bool attached_ = false;
  bool paused_ = false;
};

}  // namespace platform
