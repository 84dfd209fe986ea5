#include "platform/net/URLProtectionSpace.h"

namespace platform {

URLProtectionSpace::URLProtectionSpace(std::string host, int port, std::string protocol,
                                       std::string realm, std::string authenticationMethod)
    : host_(std::move(host)),
      port_(port),
      protocol_(std::move(protocol)),
      realm_(std::move(realm)),
      method_(std::move(authenticationMethod)) {}

bool URLProtectionSpace::receivesCredentialSecurely() const {
  return protocol_ == kURLProtectionSpaceHTTPS || method_ == kURLAuthenticationMethodHTTPDigest ||
         method_ == kURLAuthenticationMethodServerTrust;
}

}  // namespace platform
