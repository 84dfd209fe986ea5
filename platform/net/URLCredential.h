#pragma once

#include <optional>
#include <string>

#include "platform/net/ServerTrust.h"

namespace platform {

enum class URLCredentialPersistence { None = 0, ForSession = 1, Permanent = 2, Synchronizable = 3 };

// A user name and password, or the acceptance of one server's trust.
class URLCredential {
 public:
  URLCredential(std::string user, std::string password, URLCredentialPersistence persistence);
  static URLCredential forTrust(ServerTrust trust);

  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  bool hasPassword() const { return !password_.empty(); }
  URLCredentialPersistence persistence() const { return persistence_; }
  const std::optional<ServerTrust>& serverTrust() const { return trust_; }
  bool isServerTrust() const { return trust_.has_value(); }

 private:
  URLCredential() = default;

  std::string user_;
  std::string password_;
  URLCredentialPersistence persistence_ = URLCredentialPersistence::None;
  std::optional<ServerTrust> trust_;
};

}  // namespace platform
