#pragma once

#include <openssl/types.h>

#include <string>

namespace nettest {

// A fresh EC P-256 key and a self-signed certificate for one DNS name and one IP address, valid
// from an hour ago for a day. Made at test time so no key material lives in the repository.
class SelfSignedCertificate {
 public:
  SelfSignedCertificate(const std::string& dnsName, const std::string& ipAddress);
  ~SelfSignedCertificate();
  SelfSignedCertificate(const SelfSignedCertificate&) = delete;
  SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

  X509* certificate() const { return certificate_; }
  EVP_PKEY* key() const { return key_; }
  const std::string& pem() const { return pem_; }

 private:
  void release();

  X509* certificate_ = nullptr;
  EVP_PKEY* key_ = nullptr;
  std::string pem_;
};

}  // namespace nettest
