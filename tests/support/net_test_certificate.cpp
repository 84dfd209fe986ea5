#include "tests/support/net_test_certificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace nettest {

SelfSignedCertificate::SelfSignedCertificate(const std::string& dnsName,
                                             const std::string& ipAddress)
    : certificate_(X509_new()), key_(EVP_EC_gen("P-256")) {
  if (!key_ || !certificate_) {
    release();  // a throwing constructor skips the destructor
    throw std::runtime_error("cannot make a key or certificate");
  }
  X509* cert = certificate_;
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 86400);
  X509_set_pubkey(cert, key_);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(dnsName.c_str()), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  const std::string names = "DNS:" + dnsName + ",IP:" + ipAddress;
  if (X509_EXTENSION* san =
          X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, names.c_str())) {
    X509_add_ext(cert, san, -1);
    X509_EXTENSION_free(san);
  }
  if (X509_sign(cert, key_, EVP_sha256()) == 0) {
    release();
    throw std::runtime_error("cannot sign the certificate");
  }
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, cert);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  pem_.assign(data, static_cast<std::size_t>(length));
  BIO_free(bio);
}

SelfSignedCertificate::~SelfSignedCertificate() { release(); }

void SelfSignedCertificate::release() {
  X509_free(certificate_);
  EVP_PKEY_free(key_);
  certificate_ = nullptr;
  key_ = nullptr;
}

}  // namespace nettest
