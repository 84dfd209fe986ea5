// What lies under HTTP: replies no HTTP library would send, HTTP/2 connections, and the trusted
// roots read from the environment.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <any>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/URLErrors.h"
#include "tests/platform/net_support.h"
#include "tests/support/net_test_certificate.h"
#include "tests/support/net_test_h2_server.h"

namespace nettest {
namespace {

namespace URLError = platform::URLError;

// Accepts one connection, reads the request head, writes `reply` and closes.
class RawReplyServer {
 public:
  explicit RawReplyServer(std::string reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen on loopback";
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serveOne(); });
  }
  ~RawReplyServer() {
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/x"; }

 private:
  void serveOne() {
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) return;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      head.append(buffer, static_cast<std::size_t>(got));
    }
    for (std::size_t sent = 0; sent < reply_.size();) {
      const ssize_t wrote =
          ::send(connection, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
      if (wrote <= 0) break;  // the client gave up on it, as it should
      sent += static_cast<std::size_t>(wrote);
    }
    ::close(connection);
  }

  std::string reply_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

TEST_F(SessionTest, RepliesThatAreNotHTTPAreBadServerResponses) {
  session_ = makeSession();
  auto outcome = [&](const std::string& reply) {
    RawReplyServer raw(reply);
    return delegate_->log(load(*session_, platform::URLRequest(urlOf(raw.url()))));
  };
  const TaskLog garbage = outcome("GARBAGE NONSENSE\r\n\r\nhello");
  EXPECT_EQ(garbage.errorCode(), URLError::BadServerResponse);
  EXPECT_TRUE(garbage.responses.empty());

  const TaskLog huge = outcome("HTTP/1.1 200 OK\r\nX-Big: " + std::string(2 << 20, 'a') +
                               "\r\nContent-Length: 2\r\n\r\nhi");
  EXPECT_EQ(huge.errorCode(), URLError::BadServerResponse);
  ASSERT_FALSE(huge.completions.empty());
  ASSERT_TRUE(huge.completions.back());
  const auto& info = huge.completions.back()->userInfo;
  auto detail = info.find(platform::kURLErrorTransportDetailKey);
  ASSERT_NE(detail, info.end());
  EXPECT_EQ(std::any_cast<std::string>(detail->second), "response header too large");
  EXPECT_TRUE(huge.body.empty());
}

class HTTP2Test : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    h2_ = TestHTTP2Server::start(std::string(2000, 'h'));
    session_ = makeSession();
  }
  void TearDown() override { session_.reset(); }

  std::shared_ptr<platform::URLSessionDataTask> startLoad(const std::string& path) {
    auto task = session_->dataTaskWithRequest(platform::URLRequest(urlOf(h2_->url(path))));
    task->setAllowsInvalidCertificates(true);  // the server's certificate is made at test time
    task->resume();
    return task;
  }
  TaskLog loaded(const std::string& path) {
    auto task = startLoad(path);
    EXPECT_TRUE(delegate_->waitForCompletion(task)) << path;
    return delegate_->log(task);
  }

  std::unique_ptr<TestHTTP2Server> h2_;
};

TEST_F(HTTP2Test, ConcurrentLoadsShareOneConnection) {
  std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
  for (int i = 0; i < 6; ++i) tasks.push_back(startLoad("/many/" + std::to_string(i)));
  ASSERT_TRUE(delegate_->waitForCompletions(6));
  for (const auto& task : tasks) EXPECT_EQ(delegate_->log(task).body.size(), 2000u);
  EXPECT_EQ(h2_->requestCount(), 6u);
  EXPECT_EQ(h2_->acceptedConnections(), 1);
}

// Waiting for a shared connection must end once the server turns out to speak HTTP/1.1 only, not
// when the first load ends. Invalidating the session then ends every task it still runs.
TEST_F(HTTP2Test, LoadsToAnHTTP1ServerOverTLSStillRunSideBySide) {
  auto https = TestHTTPServer::start(/*https=*/true);
  https->serveStall("/hang", "x", 100);
  std::vector<std::shared_ptr<platform::URLSessionDataTask>> tasks;
  for (int i = 0; i < 3; ++i) {
    tasks.push_back(
        session_->dataTaskWithRequest(platform::URLRequest(urlOf(https->url("/hang")))));
    tasks.back()->setAllowsInvalidCertificates(true);
    tasks.back()->resume();
  }
  EXPECT_TRUE(https->waitForRequests(3, std::chrono::seconds(20)));
  EXPECT_EQ(https->peakConnections(), 3);
  session_->invalidateAndCancel();
  ASSERT_TRUE(delegate_->waitForCompletions(3));
  for (auto& task : tasks) EXPECT_EQ(delegate_->log(task).errorCode(), URLError::Cancelled);
  EXPECT_TRUE(delegate_->waitForInvalidation());
  EXPECT_TRUE(session_->isInvalidated());
  EXPECT_EQ(session_->dataTaskWithRequest(platform::URLRequest(urlOf(https->url("/hang")))),
            nullptr);
}

// A request refused by GOAWAY is sent once more on a new connection, and only once: a server that
// keeps refusing is a lost connection (libcurl's "framing layer" error), not a loop.
TEST_F(HTTP2Test, ARefusedRequestIsSentAgainOnlyOnce) {
  h2_->setConnectionBehaviours({TestHTTP2Server::Behaviour::Refuse});
  const TaskLog once = loaded("/refused-once");
  EXPECT_EQ(once.errorCode(), 0);
  EXPECT_EQ(once.status(), 200);
  EXPECT_EQ(once.body.size(), 2000u);
  EXPECT_EQ(h2_->acceptedConnections(), 2);

  h2_ = TestHTTP2Server::start(std::string(2000, 'h'));
  h2_->setConnectionBehaviours(std::vector(3, TestHTTP2Server::Behaviour::Refuse));
  EXPECT_EQ(loaded("/refused-always").errorCode(), URLError::NetworkConnectionLost);
  EXPECT_EQ(h2_->acceptedConnections(), 2);
}

TEST_F(HTTP2Test, AStreamResetMidBodyIsALostConnection) {
  h2_->setConnectionBehaviours({TestHTTP2Server::Behaviour::ResetMidBody});
  const TaskLog reset = loaded("/reset");
  EXPECT_EQ(reset.errorCode(), URLError::NetworkConnectionLost);
  EXPECT_EQ(reset.status(), 200);
  // Bytes of the body had arrived: nothing is sent again.
  EXPECT_EQ(h2_->requestCount(), 1u);
}

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
