#pragma once

#include <optional>
#include <string>

#include "platform/net/ServerTrust.h"

namespace platform {

inline constexpr char kURLAuthenticationMethodDefault[] = "NSURLAuthenticationMethodDefault";
inline constexpr char kURLAuthenticationMethodHTTPBasic[] = "NSURLAuthenticationMethodHTTPBasic";
inline constexpr char kURLAuthenticationMethodHTTPDigest[] = "NSURLAuthenticationMethodHTTPDigest";
inline constexpr char kURLAuthenticationMethodServerTrust[] =
    "NSURLAuthenticationMethodServerTrust";
inline constexpr char kURLProtectionSpaceHTTP[] = "http";
inline constexpr char kURLProtectionSpaceHTTPS[] = "https";

// The server, realm and method a challenge is about.
class URLProtectionSpace {
 public:
  URLProtectionSpace(std::string host, int port, std::string protocol, std::string realm,
                     std::string authenticationMethod);

  const std::string& host() const { return host_; }
  int port() const { return port_; }
  const std::string& protocol() const { return protocol_; }
  const std::string& realm() const { return realm_; }
  const std::string& authenticationMethod() const { return method_; }
  // Digest never sends the password; anything over TLS is protected by the channel.
  bool receivesCredentialSecurely() const;
  // Set for server-trust challenges only.
  const std::optional<ServerTrust>& serverTrust() const { return trust_; }
  void setServerTrust(ServerTrust trust) { trust_ = std::move(trust); }

 private:
  std::string host_;
  int port_;
  std::string protocol_;
  std::string realm_;
  std::string method_;
  std::optional<ServerTrust> trust_;
};

}  // namespace platform
