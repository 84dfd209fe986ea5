#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"
#include "platform/net/URLAuthenticationChallenge.h"
#include "platform/net/URLCredential.h"
#include "platform/net/URLResponse.h"

namespace platform {

class URLSession;
class URLSessionDataTask;

enum class URLSessionResponseDisposition { Cancel = 0, Allow = 1 };

enum class URLSessionAuthChallengeDisposition {
  UseCredential = 0,
  PerformDefaultHandling = 1,
  CancelAuthenticationChallenge = 2,
  RejectProtectionSpace = 3,
};

// What a session tells about its data tasks. Every call arrives on the session's delegate queue,
// one at a time; for one task in this order: response, data..., will-cache, completion
// (challenges come before the response they unlock). The handlers may be called later and from
// any thread; a handler dropped without being called counts as: response → Cancel, will-cache →
// do not store, challenge → PerformDefaultHandling.
//
// Method names drop the selectors' shared first keyword, which would clash with the class
// URLSession.
class URLSessionDataDelegate {
 public:
  using ResponseHandler = std::function<void(URLSessionResponseDisposition)>;
  using CacheHandler = std::function<void(std::optional<CachedURLResponse>)>;
  using ChallengeHandler =
      std::function<void(URLSessionAuthChallengeDisposition, std::optional<URLCredential>)>;

  virtual ~URLSessionDataDelegate();

  // Default: Allow.
  virtual void didReceiveResponse(URLSession& session,
                                  const std::shared_ptr<URLSessionDataTask>& task,
                                  const std::shared_ptr<const URLResponse>& response,
                                  ResponseHandler completionHandler);
  virtual void didReceiveData(URLSession& session, const std::shared_ptr<URLSessionDataTask>& task,
                              const Data& data);
  // The same event with the bytes handed over, which is how a session delivers them: a delegate
  // that keeps the body may take the buffer (reserved for the announced length) instead of
  // copying it. Default: didReceiveData.
  virtual void didReceiveOwnedData(URLSession& session,
                                   const std::shared_ptr<URLSessionDataTask>& task, Data&& data);
  // Offered only for responses that came over the network and may be stored. Default: store the
  // proposal as offered.
  virtual void willCacheResponse(URLSession& session,
                                 const std::shared_ptr<URLSessionDataTask>& task,
                                 const CachedURLResponse& proposedResponse,
                                 CacheHandler completionHandler);
  virtual void didCompleteWithError(URLSession& session,
                                    const std::shared_ptr<URLSessionDataTask>& task,
                                    const std::optional<Error>& error);
  // HTTP Basic/Digest (the 401's realm and method, and how many credentials given for this task
  // were refused so far) and server trust (when the certificate could not be verified).
  // Default: PerformDefaultHandling.
  virtual void didReceiveChallenge(URLSession& session,
                                   const std::shared_ptr<URLSessionDataTask>& task,
                                   const URLAuthenticationChallenge& challenge,
                                   ChallengeHandler completionHandler);
  // After invalidateAndCancel or finishTasksAndInvalidate, once the last task has completed.
  virtual void didBecomeInvalidWithError(URLSession& session, const std::optional<Error>& error);
};

}  // namespace platform
