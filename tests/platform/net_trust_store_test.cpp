#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"
#include "tests/support/net_test_certificate.h"

namespace nettest {
namespace {

namespace URLError = platform::URLError;

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The name OpenSSL looks a certificate up by in a trust folder: "<subject hash>.0".
std::string hashedName(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  X509* certificate = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
  char name[16];
  std::snprintf(name, sizeof name, "%08lx.0", X509_subject_name_hash(certificate));
  X509_free(certificate);
  BIO_free(bio);
  return name;
}

// The variables other programs on Linux read for their trusted roots, set for one test.
class TrustStoreTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    https_ = TestHTTPServer::start(/*https=*/true);
    https_->serve("/private", "trusted");
    session_ = makeSession();
  }
  void TearDown() override {
    ::unsetenv("SSL_CERT_FILE");
    ::unsetenv("SSL_CERT_DIR");
    session_.reset();
  }

  TaskLog loadPrivate() {
    return delegate_->log(load(*session_, platform::URLRequest(urlOf(https_->url("/private")))));
  }

  std::unique_ptr<TestHTTPServer> https_;
};

TEST_F(TrustStoreTest, AFileOfTrustedRootsReplacesTheSystemOnes) {
  // Without it the private certificate is refused, and still is with another root in the file.
  EXPECT_EQ(loadPrivate().errorCode(), URLError::ServerCertificateUntrusted);
  const std::string other = folder_.path() + "/other.pem";
  writeFile(other, SelfSignedCertificate("localhost", "127.0.0.1").pem());
  ::setenv("SSL_CERT_FILE", other.c_str(), 1);
  EXPECT_EQ(loadPrivate().errorCode(), URLError::ServerCertificateUntrusted);

  const std::string mine = folder_.path() + "/school-ca.pem";
  writeFile(mine, https_->certificatePEM());
  ::setenv("SSL_CERT_FILE", mine.c_str(), 1);
  const TaskLog log = loadPrivate();
  EXPECT_EQ(log.errorCode(), 0);
  EXPECT_EQ(log.body, "trusted");
  EXPECT_TRUE(log.challenges.empty());
}

TEST_F(TrustStoreTest, AFolderOfTrustedRootsIsReadToo) {
  const std::string folder = folder_.path() + "/certs";
  std::filesystem::create_directories(folder);
  writeFile(folder + "/" + hashedName(https_->certificatePEM()), https_->certificatePEM());
  ::setenv("SSL_CERT_DIR", folder.c_str(), 1);
  const TaskLog log = loadPrivate();
  EXPECT_EQ(log.errorCode(), 0);
  EXPECT_EQ(log.body, "trusted");
}

}  // namespace
}  // namespace nettest
