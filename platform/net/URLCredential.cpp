#include "platform/net/URLCredential.h"

namespace platform {

URLCredential::URLCredential(std::string user, std::string password,
                             URLCredentialPersistence persistence)
    : user_(std::move(user)), password_(std::move(password)), persistence_(persistence) {}

URLCredential URLCredential::forTrust(ServerTrust trust) {
  URLCredential credential;
  credential.persistence_ = URLCredentialPersistence::ForSession;
  credential.trust_ = std::move(trust);
  return credential;
}

}  // namespace platform
