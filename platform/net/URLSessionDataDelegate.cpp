#include "platform/net/URLSessionDataDelegate.h"

namespace platform {

URLSessionDataDelegate::~URLSessionDataDelegate() = default;

void URLSessionDataDelegate::didReceiveResponse(
    URLSession&, const std::shared_ptr<URLSessionDataTask>&,
    const std::shared_ptr<const URLResponse>&,
    ResponseHandler completionHandler) {  // NOLINT(performance-unnecessary-value-param)
  if (completionHandler) completionHandler(URLSessionResponseDisposition::Allow);
}

void URLSessionDataDelegate::didReceiveData(URLSession&, const std::shared_ptr<URLSessionDataTask>&,
                                            const Data&) {}

void URLSessionDataDelegate::didReceiveOwnedData(URLSession& session,
                                                 const std::shared_ptr<URLSessionDataTask>& task,
                                                 Data&& data) {
  didReceiveData(session, task, data);
}

void URLSessionDataDelegate::willCacheResponse(
    URLSession&, const std::shared_ptr<URLSessionDataTask>&,
    const CachedURLResponse& proposedResponse,
    CacheHandler completionHandler) {  // NOLINT(performance-unnecessary-value-param)
  if (completionHandler) completionHandler(proposedResponse);
}

void URLSessionDataDelegate::didCompleteWithError(URLSession&,
                                                  const std::shared_ptr<URLSessionDataTask>&,
                                                  const std::optional<Error>&) {}

void URLSessionDataDelegate::didReceiveChallenge(
    URLSession&, const std::shared_ptr<URLSessionDataTask>&, const URLAuthenticationChallenge&,
    ChallengeHandler completionHandler) {  // NOLINT(performance-unnecessary-value-param)
  if (completionHandler) {
    completionHandler(URLSessionAuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
  }
}

void URLSessionDataDelegate::didBecomeInvalidWithError(URLSession&, const std::optional<Error>&) {}

}  // namespace platform
