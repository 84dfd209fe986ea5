#pragma once

#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"
#include "platform/net/URLAuthenticationChallenge.h"
#include "platform/net/URLResponse.h"

namespace platform {

class URLCache;

// One thing a task has to tell its delegate, queued by the network thread (or by resume(), for
// answers from the cache) and delivered in order on the delegate queue.
struct TaskEvent {
  enum class Kind { Response, Data, Challenge, WillCache, Complete };

  Kind kind = Kind::Complete;
  std::shared_ptr<const URLResponse> response;          // Response
  Data data;                                            // Data
  std::optional<URLAuthenticationChallenge> challenge;  // Challenge
  std::optional<CachedURLResponse> proposal;            // WillCache
  std::shared_ptr<URLCache> cache;                      // WillCache: where an answer is stored
  std::optional<Error> error;                           // Complete

  static TaskEvent makeResponse(std::shared_ptr<const URLResponse> response) {
    TaskEvent event;
    event.kind = Kind::Response;
    event.response = std::move(response);
    return event;
  }
  static TaskEvent makeData(Data bytes) {
    TaskEvent event;
    event.kind = Kind::Data;
    event.data = std::move(bytes);
    return event;
  }
  static TaskEvent makeChallenge(URLAuthenticationChallenge challenge) {
    TaskEvent event;
    event.kind = Kind::Challenge;
    event.challenge = std::move(challenge);
    return event;
  }
  static TaskEvent makeWillCache(CachedURLResponse proposal, std::shared_ptr<URLCache> cache) {
    TaskEvent event;
    event.kind = Kind::WillCache;
    event.proposal = std::move(proposal);
    event.cache = std::move(cache);
    return event;
  }
  static TaskEvent makeComplete(std::optional<Error> error) {
    TaskEvent event;
    event.kind = Kind::Complete;
    event.error = std::move(error);
    return event;
  }
};

}  // namespace platform
