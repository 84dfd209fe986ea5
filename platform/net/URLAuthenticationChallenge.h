#pragma once

#include <memory>
#include <optional>

#include "platform/foundation/Error.h"
#include "platform/net/URLCredential.h"
#include "platform/net/URLProtectionSpace.h"
#include "platform/net/URLResponse.h"

namespace platform {

// A server asking who we are (HTTP authentication) or a server whose identity could not be
// verified (server trust), handed to the session's delegate to answer.
class URLAuthenticationChallenge {
 public:
  URLAuthenticationChallenge(URLProtectionSpace protectionSpace,
                             std::optional<URLCredential> proposedCredential,
                             long previousFailureCount,
                             std::shared_ptr<const URLResponse> failureResponse,
                             std::optional<Error> error)
      : space_(std::move(protectionSpace)),
        proposed_(std::move(proposedCredential)),
        previousFailureCount_(previousFailureCount),
        failureResponse_(std::move(failureResponse)),
        error_(std::move(error)) {}

  const URLProtectionSpace& protectionSpace() const { return space_; }
  const std::optional<URLCredential>& proposedCredential() const { return proposed_; }
  // How many credentials given for this task the server has already refused.
  long previousFailureCount() const { return previousFailureCount_; }
  // The 401 response for HTTP authentication; null for server trust.
  const std::shared_ptr<const URLResponse>& failureResponse() const { return failureResponse_; }
  const std::optional<Error>& error() const { return error_; }

 private:
  URLProtectionSpace space_;
  std::optional<URLCredential> proposed_;
  long previousFailureCount_;
  std::shared_ptr<const URLResponse> failureResponse_;
  std::optional<Error> error_;
};

}  // namespace platform
